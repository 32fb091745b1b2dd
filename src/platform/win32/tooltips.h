// The tooltip control of a window, showing each button's tooltip while the mouse rests on it.
#pragma once

#include <string_view>

#include "platform/win32/api.h"

namespace vantrel::platform::win32 {

HWND MakeTooltips(HWND form);
void AddTooltip(HWND tooltips, HWND form, HWND control, std::string_view text);

}  // namespace vantrel::platform::win32
