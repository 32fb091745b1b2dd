// Mouse messages as event arguments: the buttons as the bit set 1 left, 2 right, 4 middle, the
// shift keys as 1 Shift, 2 Ctrl, 4 Alt, and the position in twips relative to the control.
#pragma once

#include "platform/events.h"
#include "platform/win32/api.h"

namespace vantrel::platform::win32 {

// The buttons held, from a mouse message's key state.
std::int16_t HeldButtons(WPARAM key_state);
// The button of a button-down message, or 0 for another message.
std::int16_t PressedButton(UINT message);
EventArgs MouseArgs(HWND control, std::int16_t buttons, WPARAM key_state, LPARAM position);

}  // namespace vantrel::platform::win32
