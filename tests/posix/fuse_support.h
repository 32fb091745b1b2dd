// What the tests that mount a FUSE server of their own share: reading the server's replies with a
// deadline, finding the mount in the kernel's table, and detaching it.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace vantrel::testing {

// One line from the descriptor, without its newline, read within the deadline; empty when none
// came in time or the other end closed.
std::string ReadLineWithin(int fd, std::chrono::milliseconds deadline);

// Whether /proc/self/mountinfo lists a mount of that type ("fuse.hung_fs") at the mount point. The
// kernel's table says so without asking the mounted file system, which may have stopped answering.
bool IsMountListed(const std::string& mount_point, std::string_view type);

// umount -l; fusermount3 -z for a mount made without root.
void DetachMount(const std::string& mount_point);

}  // namespace vantrel::testing
