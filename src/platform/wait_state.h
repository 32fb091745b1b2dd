// Whether a handler waits for a worker and whether the program has ended, as a front end's
// windows, its wait and its event gate share it; and the gate itself.
#pragma once

#include <string_view>

#include "platform/events.h"

namespace vantrel::platform {

struct WaitState {
  // A handler waits for a worker: no other handler may start, and no other wait.
  bool waiting = false;
  // The program has ended: no event reaches a handler any more.
  bool ended = false;
  // The last window closed while a handler waited: the wait ends the program at once.
  bool end_requested = false;
};

// The event sink a window's controls raise through: events pass to the program's sink until the
// program has ended, so no handler runs while the windows close, and never while a handler waits
// for a worker, so handlers never nest.
class GatedSink final : public EventSink {
 public:
  GatedSink(EventSink& inner, const WaitState& state) : inner_(inner), state_(state) {}

  bool Handles(std::string_view control, Event event) const override {
    return Open() && inner_.Handles(control, event);
  }
  void Raise(std::string_view control, Event event, const EventArgs& args) override {
    if (Open()) inner_.Raise(control, event, args);
  }

 private:
  bool Open() const { return !state_.ended && !state_.waiting; }

  EventSink& inner_;
  const WaitState& state_;
};

}  // namespace vantrel::platform
