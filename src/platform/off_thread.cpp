#include "platform/off_thread.h"

#include <algorithm>
#include <mutex>
#include <set>
#include <thread>
#include <utility>

namespace vantrel::platform {
namespace {

using Clock = std::chrono::steady_clock;

class Immediate final : public OffThread {
 public:
  using OffThread::RunAnswering;
  void Run(std::function<void()> work) override { work(); }
  bool RunAnswering(AnsweringWork work, std::chrono::milliseconds, const std::string&,
                    std::function<std::string()>) override {
    work([] {});
    return true;
  }
};

}  // namespace

OffThread& ImmediateOffThread() {
  static Immediate immediate;
  return immediate;
}

// The places whose work was given up on unanswered, shared with the workers that may outlive
// the waiter.
struct ThreadedOffThread::Places {
  std::mutex mutex;
  std::multiset<std::string> stuck;
  std::size_t abandoned = 0;
};

// One piece of work, shared by the GUI thread and its worker. The worker wakes the GUI thread
// only while it still waits, so a worker that ends after its waiter (or the whole window
// system) has gone touches nothing but this.
struct ThreadedOffThread::Job {
  Job(GuiWait& gui, std::shared_ptr<Places> places, std::string place)
      : gui(&gui), places(std::move(places)), place(std::move(place)) {}

  // Called with the mutex held.
  void MarkAnswered() {
    if (answered) return;
    answered = true;
    if (!abandoned || place.empty()) return;
    const std::lock_guard lock(places->mutex);
    places->stuck.erase(places->stuck.find(place));
  }

  // The work runs on `real` rather than on the place it was started for: false when that place
  // is stuck. A job given up on already moves its stuck mark along.
  bool MoveTo(const std::string& real) {
    const std::lock_guard lock(mutex);
    if (real == place) return true;
    const std::lock_guard places_lock(places->mutex);
    if (places->stuck.contains(real)) return false;
    if (abandoned && !answered) {
      if (!place.empty()) places->stuck.erase(places->stuck.find(place));
      if (!real.empty()) places->stuck.insert(real);
    }
    place = real;
    return true;
  }

  void Finish() {
    const std::lock_guard lock(mutex);
    MarkAnswered();
    finished = true;
    if (!abandoned) {
      gui->Wake();
      return;
    }
    const std::lock_guard places_lock(places->mutex);
    --places->abandoned;
  }

  std::mutex mutex;
  GuiWait* gui;
  const std::shared_ptr<Places> places;
  std::string place;
  bool answered = false;
  bool finished = false;
  bool abandoned = false;
};

ThreadedOffThread::ThreadedOffThread(GuiWait& gui)
    : gui_(gui), places_(std::make_shared<Places>()) {}

ThreadedOffThread::~ThreadedOffThread() = default;

std::size_t ThreadedOffThread::abandoned() const {
  const std::lock_guard lock(places_->mutex);
  return places_->abandoned;
}

void ThreadedOffThread::Run(std::function<void()> work) {
  auto job = std::make_shared<Job>(gui_, places_, std::string());
  std::thread([job, work = std::move(work)] {
    work();
    job->Finish();
  }).detach();
  Wait(*job, Clock::time_point::max());
}

bool ThreadedOffThread::RunAnswering(AnsweringWork work, std::chrono::milliseconds deadline,
                                     const std::string& place,
                                     std::function<std::string()> real_place) {
  if (!place.empty()) {
    const std::lock_guard lock(places_->mutex);
    if (places_->stuck.contains(place)) return false;
  }
  auto job = std::make_shared<Job>(gui_, places_, place);
  std::thread([job, work = std::move(work), real_place = std::move(real_place)] {
    if (real_place && !job->MoveTo(real_place())) {
      job->Finish();  // its file system is stuck: the work would only hang beside it
      return;
    }
    work([&job] {
      const std::lock_guard lock(job->mutex);
      job->MarkAnswered();
    });
    job->Finish();
  }).detach();
  return Wait(*job, Clock::now() + deadline);
}

bool ThreadedOffThread::Wait(Job& job, Clock::time_point answer_by) {
  const Clock::time_point busy_at = Clock::now() + kBusyAfter;
  bool busy = false;
  bool finished = false;
  for (;;) {
    const Clock::time_point now = Clock::now();
    Clock::time_point next = busy ? Clock::time_point::max() : busy_at;
    {
      const std::lock_guard lock(job.mutex);
      finished = job.finished;
      if (finished) break;
      if (!job.answered) {
        if (now >= answer_by) {
          // Given up on: the worker runs on alone, and its place stays stuck until it answers.
          job.abandoned = true;
          const std::lock_guard places_lock(places_->mutex);
          if (!job.place.empty()) places_->stuck.insert(job.place);
          ++places_->abandoned;
          break;
        }
        next = std::min(next, answer_by);
      }
    }
    if (gui_.EndRequested()) gui_.EndNow();
    if (!busy && now >= busy_at) {
      gui_.ShowBusy(true);
      busy = true;
      continue;
    }
    gui_.HandleEventsUntil(next);
  }
  if (busy) gui_.ShowBusy(false);
  if (gui_.EndRequested()) gui_.EndNow();
  return finished;
}

}  // namespace vantrel::platform
