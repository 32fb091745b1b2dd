// A line drawn on the window itself, in its colour and width.
#pragma once

#include "platform/win32/control.h"

namespace vantrel::platform::win32 {

class Win32Line final : public Win32Control {
 public:
  using Win32Control::Win32Control;
  void Create(const ControlHost&) override {}
  void Paint(HDC dc, UINT dpi) override;
};

}  // namespace vantrel::platform::win32
