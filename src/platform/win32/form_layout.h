// Where a window and its controls go, in pixels at the window's dpi.
#pragma once

#include "platform/win32/api.h"
#include "platform/window_description.h"

namespace vantrel::platform::win32 {

struct WindowStyles {
  DWORD style = 0;
  DWORD ex_style = 0;
};
WindowStyles StylesOf(const WindowDescription& window);

// A control's rectangle in the window's client area: its own place plus its frame's.
RECT ControlRect(const WindowDescription& window, const ControlDescription& control, UINT dpi);

// The outer rectangle for a new window whose client area has the described size (and, for a
// manually placed window, the described screen position).
RECT InitialWindowRect(const WindowDescription& window, bool has_menu, UINT dpi);

// Corrects the window so that its client area has exactly the described size (a menu bar that
// wraps takes room), and for a manually placed window puts the client area's corner at the
// described screen position.
void FitClientArea(HWND hwnd, const WindowDescription& window, UINT dpi, bool place);

}  // namespace vantrel::platform::win32
