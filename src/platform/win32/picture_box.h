// A picture box showing the program's 48x48 icon at its natural size, inside a sunken border.
// It takes the focus in the tab order but shows no mark of it.
#pragma once

#include "platform/win32/control.h"

namespace vantrel::platform::win32 {

class Win32PictureBox final : public Win32Control {
 public:
  using Win32Control::Win32Control;
  void Create(const ControlHost& host) override;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
};

}  // namespace vantrel::platform::win32
