// A frame: a group box with a caption. The controls it contains are its siblings, placed
// relative to it, and drawn above it.
#pragma once

#include "platform/win32/control.h"

namespace vantrel::platform::win32 {

class Win32Frame final : public Win32Control {
 public:
  using Win32Control::Win32Control;
  void Create(const ControlHost& host) override;
};

}  // namespace vantrel::platform::win32
