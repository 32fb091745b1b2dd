// The event sink a window's controls raise through: it passes events on to the program's sink
// until the program has ended, so no handler runs while the windows close, and never while a
// handler waits for a worker, so handlers never nest. The folders read while a handler runs are
// shared by the lists it sets.
#pragma once

#include "platform/events.h"
#include "platform/qt/front_end_context.h"

namespace vantrel::platform::qt {

class GatedSink final : public EventSink {
 public:
  GatedSink(EventSink& inner, FrontEndContext& front_end) : inner_(inner), front_end_(front_end) {}

  bool Handles(std::string_view control, Event event) const override {
    return Open() && inner_.Handles(control, event);
  }
  void Raise(std::string_view control, Event event, const EventArgs& args) override {
    if (!Open()) return;
    const FolderSnapshots::Scope scope(front_end_.snapshots);
    inner_.Raise(control, event, args);
  }

 private:
  bool Open() const { return !front_end_.ended && front_end_.waiting == 0; }

  EventSink& inner_;
  FrontEndContext& front_end_;
};

}  // namespace vantrel::platform::qt
