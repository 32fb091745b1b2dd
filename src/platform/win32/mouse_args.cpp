#include "platform/win32/mouse_args.h"

#include <windowsx.h>

#include "platform/win32/dpi.h"

namespace vantrel::platform::win32 {

std::int16_t HeldButtons(WPARAM key_state) {
  std::int16_t bits = 0;
  if (key_state & MK_LBUTTON) bits |= kLeftButton;
  if (key_state & MK_RBUTTON) bits |= kRightButton;
  if (key_state & MK_MBUTTON) bits |= kMiddleButton;
  return bits;
}

std::int16_t PressedButton(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN:
      return kLeftButton;
    case WM_RBUTTONDOWN:
      return kRightButton;
    case WM_MBUTTONDOWN:
      return kMiddleButton;
    default:
      return 0;
  }
}

EventArgs MouseArgs(HWND control, std::int16_t buttons, WPARAM key_state, LPARAM position) {
  std::int16_t shift = 0;
  if (key_state & MK_SHIFT) shift |= 1;
  if (key_state & MK_CONTROL) shift |= 2;
  if (::GetKeyState(VK_MENU) < 0) shift |= 4;
  const UINT dpi = DpiOf(control);
  return {.button = buttons,
          .shift = shift,
          .x = ToTwips(GET_X_LPARAM(position), dpi),
          .y = ToTwips(GET_Y_LPARAM(position), dpi)};
}

}  // namespace vantrel::platform::win32
