#include "platform/stuck_places.h"

#include <condition_variable>
#include <system_error>
#include <thread>
#include <utility>

namespace vantrel::platform {

void StuckPlaces::Mark(const std::string& place) {
  const std::lock_guard lock(mutex_);
  stuck_.insert(place);
}

void StuckPlaces::Unmark(const std::string& place) {
  const std::lock_guard lock(mutex_);
  const auto found = stuck_.find(place);
  if (found != stuck_.end()) stuck_.erase(found);
}

bool StuckPlaces::Contains(const std::string& place) const {
  const std::lock_guard lock(mutex_);
  return stuck_.contains(place);
}

std::size_t StuckPlaces::Count(const std::string& place) const {
  const std::lock_guard lock(mutex_);
  return stuck_.count(place);
}

const std::shared_ptr<StuckPlaces>& ProcessStuckPlaces() {
  static const auto* places = new std::shared_ptr<StuckPlaces>(std::make_shared<StuckPlaces>());
  return *places;
}

namespace {

// One look, shared with the thread making it, which may outlive the wait for it.
struct Look {
  std::mutex mutex;
  std::condition_variable done_changed;
  bool done = false;
  bool given_up = false;
};

}  // namespace

bool LookWithin(const std::shared_ptr<StuckPlaces>& places, const std::string& place,
                std::chrono::milliseconds deadline, std::function<void()> look) {
  if (places->Contains(place)) return false;
  auto shared = std::make_shared<Look>();
  try {
    std::thread([shared, places, place, look = std::move(look)] {
      try {
        look();
      } catch (...) {  // a look that failed has still answered
      }
      const std::lock_guard lock(shared->mutex);
      shared->done = true;
      shared->done_changed.notify_all();
      if (shared->given_up) places->Unmark(place);
    }).detach();
  } catch (const std::system_error&) {
    return false;
  }
  std::unique_lock lock(shared->mutex);
  if (shared->done_changed.wait_for(lock, deadline, [&shared] { return shared->done; })) {
    return true;
  }
  shared->given_up = true;
  places->Mark(place);
  return false;
}

}  // namespace vantrel::platform
