// Mouse presses and moves of a control, passed to the window's events with the buttons as a bit
// set (1 left, 2 right, 4 middle), the shift keys, and the position in twips relative to the
// control. Only installed for the events that have a handler.
#pragma once

#include "platform/qt/control.h"

namespace vantrel::platform::qt {

void ForwardMouseEvents(const QtControl& control, EventSink& events);

}  // namespace vantrel::platform::qt
