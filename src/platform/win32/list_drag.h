// A drag of a list by the program itself: the list holds the mouse capture and the pointer
// shows the drag picture until the button is released, the capture is lost, or Escape.
#pragma once

#include "platform/win32/api.h"

namespace vantrel::platform::win32 {

class ListDrag {
 public:
  bool Active() const { return list_ != nullptr; }
  void Begin(HWND list, HCURSOR cursor);
  // Shows the drag picture again (while the pointer moves).
  void Track() const;
  // The drag is over: the pointer shows the arrow again. The caller ends the capture, so the
  // capture change that follows is not taken for a cancel.
  void Finish();
  // Cancels: finishes and gives up the capture.
  void Cancel();

 private:
  HWND list_ = nullptr;
  HCURSOR cursor_ = nullptr;
};

}  // namespace vantrel::platform::win32
