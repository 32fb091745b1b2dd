// A list that drags of this program's own lists can be dropped on: a drop raises the control's
// DragDrop with the dragged control as source and the position in twips. Drags from anywhere
// else are refused.
#pragma once

#include "platform/qt/control.h"

namespace vantrel::platform::qt {

void AcceptControlDrops(const QtControl& control, ControlContext context);

}  // namespace vantrel::platform::qt
