// The event sink a window's controls raise through: events pass to the program's sink until the
// program has ended, so no handler runs while the windows close, and never while a handler waits
// for a worker, so handlers never nest.
#pragma once

#include "platform/events.h"
#include "platform/win32/front_end.h"

namespace vantrel::platform::win32 {

class GatedSink final : public EventSink {
 public:
  GatedSink(EventSink& inner, const FrontEnd& front_end) : inner_(inner), front_end_(front_end) {}

  bool Handles(std::string_view control, Event event) const override {
    return Open() && inner_.Handles(control, event);
  }
  void Raise(std::string_view control, Event event, const EventArgs& args) override {
    if (Open()) inner_.Raise(control, event, args);
  }

 private:
  bool Open() const { return !front_end_.ended && front_end_.waiting == 0; }

  EventSink& inner_;
  const FrontEnd& front_end_;
};

}  // namespace vantrel::platform::win32
