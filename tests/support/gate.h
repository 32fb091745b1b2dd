// Holds worker threads at a point until the test opens it.
#pragma once

#include <condition_variable>
#include <mutex>

namespace vantrel::testing {

class Gate {
 public:
  void Pass() {
    std::unique_lock lock(mutex_);
    ++arrived_;
    changed_.notify_all();
    changed_.wait(lock, [this] { return open_; });
  }
  void Open() {
    const std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }
  bool IsOpen() {
    const std::lock_guard lock(mutex_);
    return open_;
  }
  // How many workers have come to the gate.
  int arrived() {
    const std::lock_guard lock(mutex_);
    return arrived_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int arrived_ = 0;
  bool open_ = false;
};

}  // namespace vantrel::testing
