// A real mounted file system that stops answering on request (the hung_fs FUSE server), for
// tests of what the program does when a network mount's server goes away.
//
// Order of cleanup matters: a thread or process blocked on a hung FUSE mount sits in state D,
// where not even SIGKILL ends it, and a process with such a thread cannot be reaped. So the
// server is always killed first (Remove(), or the destructor), which fails every blocked call at
// once; only then may a test join its own threads or wait for its own child processes.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <chrono>
#include <string>

namespace vantrel::testing {

class HungMount {
 public:
  enum class Outcome { kMounted, kUnavailable, kFailed };
  struct Started {
    Outcome outcome;
    std::string message;  // why it is unavailable or failed
  };

  HungMount() = default;
  // Removes the mount if it is still there.
  ~HungMount();
  HungMount(const HungMount&) = delete;
  HungMount& operator=(const HungMount&) = delete;

  // Mounts the file system at a fresh temporary folder and returns once the mount is listed in
  // /proc/self/mountinfo and answers. Unavailable: no /dev/fuse, or mounting is not permitted.
  Started Start();
  // The mount point (no trailing separator), and a path inside the mount.
  const std::string& path() const { return mount_point_; }
  std::string operator/(const std::string& relative) const { return mount_point_ + "/" + relative; }
  bool mounted() const { return server_ > 0; }

  // Every call on the mount from now on blocks until Answer() or Remove(). Both return once the
  // server has confirmed, so the very next call behaves as asked; false when it did not.
  [[nodiscard]] bool Hang();
  [[nodiscard]] bool Answer();
  // Calls answer until a folder's first entries have been sent; from then on all block.
  [[nodiscard]] bool StallAfterListing();
  // Reads of a file's data block until Answer() or Remove(); every other call answers.
  [[nodiscard]] bool HangReads();

  // Kills the server (every call blocked on the mount fails at once), detaches the mount, reaps
  // the server and removes the temporary folders. Safe to call more than once.
  void Remove();

 private:
  bool MakeFolders();
  bool StartServer();
  Started WaitUntilMounted();
  bool Command(const char* command, const char* confirmation);
  bool IsListed() const;
  Started Fail(Outcome outcome, const std::string& message);

  std::string base_;  // the temporary folder holding the mount point and the server's log
  std::string mount_point_;
  std::string log_;
  pid_t server_ = -1;
  int commands_ = -1;       // the server's standard input
  int confirmations_ = -1;  // its standard output
};

// Base of the tests on a hung mount: mounts before each test and skips it when FUSE cannot be
// used here.
class HungMountTest : public ::testing::Test {
 protected:
  void SetUp() override;

  HungMount mount;
};

// The scheduling state of a process or thread ('R', 'S', 'D', 'Z', ...), from /proc; '?' when
// it is gone.
char ProcessState(pid_t pid);
// Where in the kernel it sleeps (/proc/PID/wchan), or "" when it is gone.
std::string KernelWait(pid_t pid);
// Whether it is blocked on a file system that does not answer: in state D, or waiting for a FUSE
// server's answer. A call waiting on a FUSE server sleeps interruptibly (state S) until its
// first signal and only then in D, so the state alone does not tell.
bool BlockedOnMount(pid_t pid);

// How long a call took.
template <class Call>
std::chrono::milliseconds TimeOf(Call&& call) {
  const auto start = std::chrono::steady_clock::now();
  call();
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start);
}

}  // namespace vantrel::testing
