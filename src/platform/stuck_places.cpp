#include "platform/stuck_places.h"

#include <condition_variable>
#include <utility>

#include "platform/detached_thread.h"

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

// The looks of one call, shared with the threads making them, which may outlive the wait.
struct Looks {
  Looks(std::shared_ptr<StuckPlaces> places, std::vector<std::string> looked)
      : places(std::move(places)),
        looked(std::move(looked)),
        done(this->looked.size(), false),
        given_up(this->looked.size(), false) {}

  void Done(std::size_t i) {
    const std::lock_guard lock(mutex);
    done[i] = true;
    --left;
    if (given_up[i]) places->Unmark(looked[i]);
    done_changed.notify_all();
  }

  const std::shared_ptr<StuckPlaces> places;
  const std::vector<std::string> looked;
  std::mutex mutex;
  std::condition_variable done_changed;
  std::vector<bool> done;
  std::vector<bool> given_up;
  std::size_t left = 0;
};

}  // namespace

std::vector<bool> LooksWithin(const std::shared_ptr<StuckPlaces>& places,
                              const std::vector<std::string>& looked,
                              std::chrono::milliseconds deadline,
                              std::function<void(std::size_t)> look) {
  const auto until = std::chrono::steady_clock::now() + deadline;
  auto looks = std::make_shared<Looks>(places, looked);
  auto shared_look = std::make_shared<std::function<void(std::size_t)>>(std::move(look));
  std::vector<bool> started(looked.size(), false);
  for (std::size_t i = 0; i < looked.size(); ++i) {
    if (places->Contains(looked[i])) continue;  // it would only hang beside the others
    {
      const std::lock_guard lock(looks->mutex);
      ++looks->left;
    }
    started[i] = StartDetachedThread([looks, shared_look, i] {
      try {
        (*shared_look)(i);
      } catch (...) {  // a look that failed has still answered
      }
      looks->Done(i);
    });
    if (!started[i]) {
      const std::lock_guard lock(looks->mutex);
      --looks->left;
    }
  }
  std::unique_lock lock(looks->mutex);
  looks->done_changed.wait_until(lock, until, [&looks] { return looks->left == 0; });
  std::vector<bool> answered(looked.size(), false);
  for (std::size_t i = 0; i < looked.size(); ++i) {
    if (!started[i]) continue;
    answered[i] = looks->done[i];
    if (answered[i]) continue;
    looks->given_up[i] = true;
    places->Mark(looked[i]);
  }
  return answered;
}

bool LookWithin(const std::shared_ptr<StuckPlaces>& places, const std::string& place,
                std::chrono::milliseconds deadline, std::function<void()> look) {
  return LooksWithin(places, {place}, deadline, [look = std::move(look)](std::size_t) { look(); })
      .front();
}

}  // namespace vantrel::platform
