// What the test file systems (hung_fs, powercut_fs) share: a thread that reads their commands on
// standard input, one per line, and answers each on standard output; and leaving with the mount
// detached.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <thread>

namespace vantrel::testing {

// Detaches the mount and ends the process at once, without waiting for the calls still held: the
// kernel fails every call of the closed connection, so nothing stays blocked on it.
[[noreturn]] void LeaveMount(const std::string& mount_point, int code);

// Answers each command with `answer`'s text as a line (an empty text writes nothing), until
// standard input closes (the process leaves with 0) or the lifetime has passed (with 3). The
// thread takes none of SIGINT, SIGTERM and SIGHUP: they end the file system's loop only when they
// interrupt its read of /dev/fuse.
std::thread StartCommands(std::string program, std::string mount_point,
                          std::chrono::seconds lifetime,
                          std::function<std::string(const std::string&)> answer);

}  // namespace vantrel::testing
