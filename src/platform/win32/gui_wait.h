// How the Win32 front end's GUI thread waits for a worker: it handles every message but user
// input, so the windows keep painting and the input waits, in order, in the thread's message
// queue for the handler to end; it shows the wait cursor on request; and a window closed
// meanwhile goes as it would when idle, the last one ending the program at once.
#pragma once

#include <atomic>

#include "platform/off_thread.h"
#include "platform/win32/front_end.h"
#include "platform/win32/unique_handle.h"

namespace vantrel::platform::win32 {

class Win32GuiWait final : public GuiWait {
 public:
  explicit Win32GuiWait(FrontEnd& front_end);

  void HandleEventsUntil(std::chrono::steady_clock::time_point until,
                         const std::atomic<bool>& woken) override;
  void Wake() override;
  void ShowBusy(bool busy) override;
  // The input stayed in the queue; windows closed during the wait are unloaded once it is over.
  void WaitEnded() override;
  [[noreturn]] void EndNow() override;

 private:
  void TakeCloseClicks();
  void TakeAltF4();
  // Closes the program's window that `window` is part of, as its close box would.
  void CloseWindowOf(HWND window);

  FrontEnd& front_end_;
  // Auto-reset: makes the round running now, or the next, look at its wake flag again.
  UniqueHandle wake_;
};

}  // namespace vantrel::platform::win32
