// The widget behind one control of a window, and what a control gets to do its work.
#pragma once

#include <QWidget>

#include "platform/events.h"
#include "platform/qt/front_end_context.h"
#include "platform/window_description.h"

namespace vantrel::platform::qt {

struct ControlContext {
  EventSink& events;
  FrontEndContext& front_end;
};

class QtControl {
 public:
  explicit QtControl(const ControlDescription& description) : description_(description) {}
  virtual ~QtControl() = default;
  QtControl(const QtControl&) = delete;
  QtControl& operator=(const QtControl&) = delete;

  virtual QWidget* widget() const = 0;
  // Puts the control in its design-time state as its window loads.
  virtual void Load() {}
  // True while the control drags itself: the pointer then belongs to the drag.
  virtual bool Dragging() const { return false; }

  const ControlDescription& description() const { return description_; }
  std::string_view name() const { return description_.name; }

 private:
  const ControlDescription& description_;
};

}  // namespace vantrel::platform::qt
