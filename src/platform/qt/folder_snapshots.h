// The folders read while the program handles one event. A folder list and the file lists it sets
// in its Change handler show the same folder: they share one read of it instead of reading it
// once each. The snapshots are forgotten when the outermost scope ends (the event has been
// handled), so the next event always reads afresh; Refresh always reads again.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lists/folder_snapshot.h"
#include "platform/events.h"
#include "platform/off_thread.h"

namespace vantrel::platform::qt {

class FolderSnapshots {
 public:
  // Open while a user action or a handler runs; scopes nest.
  class Scope {
   public:
    explicit Scope(FolderSnapshots& snapshots) : snapshots_(snapshots) { ++snapshots_.depth_; }
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    FolderSnapshots& snapshots_;
  };

  // Folders are read through `off_thread`.
  explicit FolderSnapshots(OffThread& off_thread) : off_thread_(&off_thread) {}

  // The snapshot this scope already read of the folder, or a fresh read; null when the folder
  // cannot be read or did not answer in time. Outside any scope nothing is kept.
  lists::SharedSnapshot Read(const std::string& folder);
  // Always reads the folder again; the lists that read it later in this scope share the new one.
  lists::SharedSnapshot Reread(const std::string& folder);
  // How many folders are kept now.
  std::size_t kept() const { return kept_.size(); }

 private:
  lists::SharedSnapshot Keep(const std::string& folder, lists::SharedSnapshot snapshot);

  OffThread* off_thread_;
  int depth_ = 0;
  std::vector<std::pair<std::string, lists::SharedSnapshot>> kept_;
};

// Passes events on with a scope open, so the lists that one handler sets share their reads.
class ScopedSink final : public EventSink {
 public:
  ScopedSink(EventSink& inner, FolderSnapshots& snapshots) : inner_(inner), snapshots_(snapshots) {}

  bool Handles(std::string_view control, Event event) const override {
    return inner_.Handles(control, event);
  }
  void Raise(std::string_view control, Event event, const EventArgs& args) override {
    const FolderSnapshots::Scope scope(snapshots_);
    inner_.Raise(control, event, args);
  }

 private:
  EventSink& inner_;
  FolderSnapshots& snapshots_;
};

}  // namespace vantrel::platform::qt
