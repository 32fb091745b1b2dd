#include "platform/win32/form_layout.h"

#include "platform/win32/dpi.h"

namespace vantrel::platform::win32 {

WindowStyles StylesOf(const WindowDescription& window) {
  // No WS_CLIPCHILDREN: the window paints the face colour under its frames, which are
  // transparent inside.
  WindowStyles styles{WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0};
  if (window.border == Border::Sizable) {
    styles.style |= WS_THICKFRAME;
  } else {
    styles.ex_style |= WS_EX_DLGMODALFRAME;
  }
  if (window.minimize_button) styles.style |= WS_MINIMIZEBOX;
  if (window.maximize_button) styles.style |= WS_MAXIMIZEBOX;
  if (!window.icon) styles.ex_style |= WS_EX_DLGMODALFRAME;  // a caption without an icon
  return styles;
}

RECT ControlRect(const WindowDescription& window, const ControlDescription& control, UINT dpi) {
  Twips left = control.bounds.left, top = control.bounds.top;
  for (const ControlDescription& frame : window.controls) {
    if (!control.container.empty() && frame.name == control.container) {
      left += frame.bounds.left;
      top += frame.bounds.top;
    }
  }
  const int x = ToPixels(left, dpi), y = ToPixels(top, dpi);
  return {x, y, x + ToPixels(control.bounds.width, dpi), y + ToPixels(control.bounds.height, dpi)};
}

RECT InitialWindowRect(const WindowDescription& window, bool has_menu, UINT dpi) {
  const WindowStyles styles = StylesOf(window);
  const int left = ToPixels(window.client.left, dpi), top = ToPixels(window.client.top, dpi);
  RECT rect{left, top, left + ToPixels(window.client.width, dpi),
            top + ToPixels(window.client.height, dpi)};
  ::AdjustWindowRectEx(&rect, styles.style, has_menu ? TRUE : FALSE, styles.ex_style);
  return rect;
}

void FitClientArea(HWND hwnd, const WindowDescription& window, UINT dpi, bool place) {
  RECT client{}, outer{};
  ::GetClientRect(hwnd, &client);
  ::GetWindowRect(hwnd, &outer);
  const int grow_x = ToPixels(window.client.width, dpi) - (client.right - client.left);
  const int grow_y = ToPixels(window.client.height, dpi) - (client.bottom - client.top);
  POINT corner{0, 0};
  ::ClientToScreen(hwnd, &corner);
  int move_x = 0, move_y = 0;
  if (place && window.placement == Placement::Manual) {
    move_x = ToPixels(window.client.left, dpi) - corner.x;
    move_y = ToPixels(window.client.top, dpi) - corner.y;
  }
  if (grow_x == 0 && grow_y == 0 && move_x == 0 && move_y == 0) return;
  ::SetWindowPos(hwnd, nullptr, outer.left + move_x, outer.top + move_y,
                 outer.right - outer.left + grow_x, outer.bottom - outer.top + grow_y,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace vantrel::platform::win32
