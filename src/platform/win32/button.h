// A command button: Click when pressed (mouse, Space, its accelerator or Enter as the default
// button), MouseDown with the button that went down where the wiring asks for it, and a tooltip.
#pragma once

#include "platform/win32/control.h"
#include "platform/win32/subclass.h"

namespace vantrel::platform::win32 {

class Win32Button final : public Win32Control, private Subclassed {
 public:
  using Win32Control::Win32Control;
  void Create(const ControlHost& host) override;
  void Place(const RECT& pixels, UINT dpi) override;
  void OnCommand(WORD code) override;

 private:
  LRESULT OnMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;

  EventSink* events_ = nullptr;
};

}  // namespace vantrel::platform::win32
