// How the Win32 front end's GUI thread waits for a worker: it handles every message but user
// input, so the windows keep painting and the input waits, in order, for the handler to end; it
// shows the wait cursor on request; and it takes a close request (the close box, Alt+F4, the
// system menu's Close) as a request to end the program, which it then ends at once.
#pragma once

#include "platform/off_thread.h"
#include "platform/win32/front_end.h"
#include "platform/win32/unique_handle.h"

namespace vantrel::platform::win32 {

class Win32GuiWait final : public GuiWait {
 public:
  explicit Win32GuiWait(FrontEnd& front_end);

  void HandleEventsUntil(std::chrono::steady_clock::time_point until) override;
  void Wake() override;
  void ShowBusy(bool busy) override;
  bool EndRequested() const override { return front_end_.end_requested; }
  [[noreturn]] void EndNow() override;

 private:
  void TakeCloseClicks();
  void TakeAltF4();
  bool IsProgramWindow(HWND window) const;

  FrontEnd& front_end_;
  UniqueHandle wake_;  // auto-reset: a Wake between two waits ends the next one
};

}  // namespace vantrel::platform::win32
