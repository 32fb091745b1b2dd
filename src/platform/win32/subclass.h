// Lets a control wrapper see the messages of its native control before the control's own
// procedure does (comctl32 window subclassing). The wrapper passes on what it does not take.
#pragma once

#include "platform/win32/api.h"

namespace vantrel::platform::win32 {

class Subclassed {
 public:
  virtual ~Subclassed() = default;

 protected:
  void Subclass(HWND window);
  // The control's own handling of a message.
  static LRESULT Default(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  virtual LRESULT OnMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) = 0;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                    UINT_PTR id, DWORD_PTR data);
};

}  // namespace vantrel::platform::win32
