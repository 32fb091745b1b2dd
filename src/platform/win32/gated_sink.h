// The event sink a window's controls raise through: events pass to the program's sink until the
// program has ended, so no handler runs while the windows close.
#pragma once

#include "platform/events.h"

namespace vantrel::platform::win32 {

class GatedSink final : public EventSink {
 public:
  GatedSink(EventSink& inner, const bool& ended) : inner_(inner), ended_(ended) {}

  bool Handles(std::string_view control, Event event) const override {
    return !ended_ && inner_.Handles(control, event);
  }
  void Raise(std::string_view control, Event event, const EventArgs& args) override {
    if (!ended_) inner_.Raise(control, event, args);
  }

 private:
  EventSink& inner_;
  const bool& ended_;
};

}  // namespace vantrel::platform::win32
