// Control events and their arguments, and the sink a front end hands them to.
#pragma once

#include <cstdint>
#include <string_view>

namespace vantrel::platform {

enum class Event { Load, Change, Click, DblClick, MouseDown, MouseMove, DragDrop };

inline constexpr std::int16_t kLeftButton = 1;
inline constexpr std::int16_t kRightButton = 2;
inline constexpr std::int16_t kMiddleButton = 4;

struct EventArgs {
  std::int16_t button = 0;  // mouse buttons held or pressed, as a bit set
  std::int16_t shift = 0;   // shift keys held
  float x = 0;              // pointer position in twips, relative to the control
  float y = 0;
  std::string_view source{};  // the control being dragged (DragDrop)
};

// The window's own events (Load) are raised with this control name.
inline constexpr std::string_view kFormControl = "Form";

class EventSink {
 public:
  virtual ~EventSink() = default;
  // Whether the event has a handler: front ends only watch for the events that do.
  virtual bool Handles(std::string_view control, Event event) const = 0;
  // Runs the event's handler to completion; an event without a handler does nothing.
  virtual void Raise(std::string_view control, Event event, const EventArgs& args) = 0;
};

}  // namespace vantrel::platform
