// What the test file systems (hung_fs, powercut_fs) share: a thread that reads their commands on
// standard input, one per line, and answers each on standard output; leaving with the mount
// detached; and the replies that describe a node.
#pragma once

#ifndef FUSE_USE_VERSION
#define FUSE_USE_VERSION 312
#endif
#include <fuse_lowlevel.h>
#include <sys/stat.h>

#include <cerrno>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

namespace vantrel::testing {

// Detaches the mount and ends the process at once, without waiting for the calls still held: the
// kernel fails every call of the closed connection, so nothing stays blocked on it.
[[noreturn]] void LeaveMount(const std::string& mount_point, int code);

// Answers each command with `answer`'s text as a line (an empty text writes nothing), until
// standard input closes (then it calls `leave` with 0) or the lifetime has passed (with 3), or
// until it is stopped. The thread takes none of SIGINT, SIGTERM and SIGHUP: they end the file
// system's loop only when they interrupt its read of /dev/fuse.
class CommandThread {
 public:
  CommandThread(std::string program, std::chrono::seconds lifetime,
                std::function<std::string(const std::string&)> answer,
                std::function<void(int code)> leave);
  // Stops it and waits for it, so that what it reads is never freed under it.
  ~CommandThread() { Stop(); }
  CommandThread(const CommandThread&) = delete;
  CommandThread& operator=(const CommandThread&) = delete;

  void Stop();

 private:
  void Read(const std::string& program, std::chrono::seconds lifetime,
            const std::function<std::string(const std::string&)>& answer,
            const std::function<void(int)>& leave);

  std::atomic<bool> stop_ = false;
  std::thread thread_;
};

// Replies to a lookup or a new name with the node's number and attributes, `attributes_of(node)`.
// The kernel keeps neither (both timeouts 0): every call reaches the server, which may change its
// answers at any time.
template <typename Node, typename AttributesOf>
void ReplyEntry(fuse_req_t request, const Node& node, AttributesOf attributes_of) {
  fuse_entry_param entry{};
  entry.ino = node.ino;
  entry.attr = attributes_of(node);
  fuse_reply_entry(request, &entry);
}

// Replies with the node's attributes, or ENOENT when there is no node.
template <typename Node, typename AttributesOf>
void ReplyAttributes(fuse_req_t request, const Node* node, AttributesOf attributes_of) {
  if (node == nullptr) {
    fuse_reply_err(request, ENOENT);
    return;
  }
  const struct stat attributes = attributes_of(*node);
  fuse_reply_attr(request, &attributes, 0);
}

}  // namespace vantrel::testing
