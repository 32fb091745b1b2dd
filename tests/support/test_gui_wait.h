// A GUI thread's wait without a window system: each round of "handling events" runs what the
// test gives it (a paint, or user input that must stay queued) and counts it.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/off_thread.h"

namespace vantrel::testing {

class TestGuiWait final : public platform::GuiWait {
 public:
  // The exit code of a process ended by EndNow.
  static constexpr int kEndedCode = 42;
  // The longest a round of event handling waits for something to happen.
  static constexpr std::chrono::milliseconds kEventEvery{10};

  void HandleEventsUntil(std::chrono::steady_clock::time_point until,
                         const std::atomic<bool>& woken) override;
  void Wake() override;
  void ShowBusy(bool busy) override { busy_changes.push_back(busy); }
  void WaitEnded() override { ++waits_ended; }
  [[noreturn]] void EndNow() override;

  // Runs in every round of event handling, on the waiting thread.
  std::function<void()> on_events;
  std::atomic<int> rounds{0};
  std::vector<bool> busy_changes;
  int waits_ended = 0;
  // The window system's side of the wait: set end_requested here, on the waiting thread.
  platform::WaitState state;

 private:
  std::mutex mutex_;
  std::condition_variable woken_;
  bool wake_ = false;
};

}  // namespace vantrel::testing
