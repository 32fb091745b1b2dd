// One wrapper per control kind, made from the control's description, and the order in which a
// window creates them.
#pragma once

#include <memory>
#include <span>
#include <vector>

#include "platform/win32/control.h"
#include "platform/window_description.h"

namespace vantrel::platform::win32 {

std::unique_ptr<Win32Control> MakeControl(const ControlDescription& description);

// Creation order, which is also the z-order from the top and the Tab order: the tab indices
// first to last, then the controls without one; the frames last of all, so that everything
// placed over a frame is drawn above it.
std::vector<std::size_t> CreationOrder(std::span<const ControlDescription> controls);

}  // namespace vantrel::platform::win32
