// Builds a window's widgets from its description: every control at its place and size, in its
// container, with its looks, stacking, tab order and events; and the window's own frame.
#pragma once

#include <memory>
#include <vector>

#include "platform/qt/control.h"
#include "platform/qt/form_widget.h"

namespace vantrel::platform::qt {

struct BuiltControls {
  std::vector<std::unique_ptr<QtControl>> controls;
  QWidget* first_focus = nullptr;  // first in the tab order
};

BuiltControls BuildControls(const WindowDescription& window, FormWidget& form,
                            ControlContext context);

// Border and buttons of the title bar, taskbar entry, icon and font.
void ApplyWindowFrame(const WindowDescription& window, FormWidget& form);

// The design-time size, and the place for a window placed by hand (the system places the
// others). Call after the menu bar is made, whose height adds to the client area's.
void PlaceWindow(const WindowDescription& window, FormWidget& form);

}  // namespace vantrel::platform::qt
