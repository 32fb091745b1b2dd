#include "test_gui_wait.h"

#include <algorithm>
#include <cstdlib>

namespace vantrel::testing {

void TestGuiWait::HandleEventsUntil(std::chrono::steady_clock::time_point until,
                                    const std::atomic<bool>& woken) {
  {
    // Some event comes every few milliseconds, as on a desktop (a paint, a timer).
    until = std::min(until, std::chrono::steady_clock::now() + kEventEvery);
    std::unique_lock lock(mutex_);
    woken_.wait_until(lock, until, [this, &woken] { return wake_ || woken; });
    wake_ = false;
  }
  ++rounds;
  if (on_events) on_events();
}

void TestGuiWait::Wake() {
  const std::lock_guard lock(mutex_);
  wake_ = true;
  woken_.notify_all();
}

void TestGuiWait::EndNow() {
  std::_Exit(kEndedCode);
}

}  // namespace vantrel::testing
