#include "platform/off_thread.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <optional>
#include <utility>

#include "platform/detached_thread.h"

namespace vantrel::platform {
namespace {

using Clock = std::chrono::steady_clock;

class Immediate final : public OffThread {
 public:
  using OffThread::RunAnswering;
  bool Run(std::function<void()> work) override {
    work();
    return true;
  }
  bool RunAnswering(AnsweringWork work, std::chrono::milliseconds, const std::string&,
                    std::function<std::string()>) override {
    work([] {});
    return true;
  }
  bool Waiting() const override { return false; }
  const std::shared_ptr<StuckPlaces>& places() const override { return places_; }

 private:
  std::shared_ptr<StuckPlaces> places_ = std::make_shared<StuckPlaces>();
};

}  // namespace

OffThread& ImmediateOffThread() {
  static Immediate immediate;
  return immediate;
}

// One piece of work, shared by the GUI thread and its worker. The worker wakes the GUI thread
// only while it still waits, so a worker that ends after its waiter (or the whole window
// system) has gone touches nothing but this and the places it was counted on.
struct ThreadedOffThread::Job {
  Job(GuiWait& gui, std::shared_ptr<StuckPlaces> places,
      std::shared_ptr<std::atomic<std::size_t>> abandoned_count, std::optional<std::string> place)
      : gui(&gui),
        places(std::move(places)),
        abandoned_count(std::move(abandoned_count)),
        place(std::move(place)) {}

  // From the worker: the system has shown it is alive. A place marked stuck for this job is
  // free again.
  void Answered() {
    const std::lock_guard lock(mutex);
    last_answer = Clock::now();
    Unmark();
  }

  // The work runs on `real` rather than on the place it was started for: false when that place
  // is stuck. A job given up on already moves its stuck mark along.
  bool MoveTo(const std::string& real) {
    const std::lock_guard lock(mutex);
    if (real == *place) return true;
    if (places->Contains(real)) return false;
    const bool was_marked = marked;
    Unmark();
    place = real;
    if (was_marked) Mark();
    return true;
  }

  void Finish(std::exception_ptr thrown) {
    const std::lock_guard lock(mutex);
    error = std::move(thrown);
    finished = true;
    Unmark();
    if (abandoned) {
      --*abandoned_count;
      return;
    }
    woken = true;
    gui->Wake();
  }

  // From the waiter, with the mutex held: it gives up on the job, whose place is stuck until
  // the job answers again or ends.
  void Abandon() {
    abandoned = true;
    ++*abandoned_count;
    Mark();
  }

  void Mark() {
    places->Mark(*place);
    marked = true;
  }
  void Unmark() {
    if (!marked) return;
    places->Unmark(*place);
    marked = false;
  }

  std::mutex mutex;
  GuiWait* gui;
  const std::shared_ptr<StuckPlaces> places;
  const std::shared_ptr<std::atomic<std::size_t>> abandoned_count;
  std::optional<std::string> place;  // none for work that is never given up on
  std::atomic<bool> woken{false};    // this job's own wake: set once, when it finishes
  Clock::time_point last_answer = Clock::now();
  bool finished = false;
  bool abandoned = false;
  bool marked = false;
  std::exception_ptr error;
};

ThreadedOffThread::ThreadedOffThread(GuiWait& gui, WaitState& state,
                                     std::shared_ptr<StuckPlaces> places)
    : gui_(gui),
      state_(state),
      places_(std::move(places)),
      abandoned_(std::make_shared<std::atomic<std::size_t>>(0)) {}

ThreadedOffThread::~ThreadedOffThread() = default;

std::size_t ThreadedOffThread::abandoned() const {
  return *abandoned_;
}

bool ThreadedOffThread::Start(const std::shared_ptr<Job>& job, std::function<void()> body) {
  // With no thread to be had, the call fails like any other.
  return StartDetachedThread([job, body = std::move(body)] {
    std::exception_ptr thrown;
    try {
      body();
    } catch (...) {
      thrown = std::current_exception();
    }
    job->Finish(std::move(thrown));
  });
}

bool ThreadedOffThread::Run(std::function<void()> work) {
  if (state_.waiting) return false;
  auto job = std::make_shared<Job>(gui_, places_, abandoned_, std::nullopt);
  if (!Start(job, std::move(work))) return false;
  Wait(*job, {});
  if (job->error) std::rethrow_exception(job->error);
  return true;
}

bool ThreadedOffThread::RunAnswering(AnsweringWork work, std::chrono::milliseconds deadline,
                                     const std::string& place,
                                     std::function<std::string()> real_place) {
  if (state_.waiting || places_->Contains(place)) return false;
  auto job = std::make_shared<Job>(gui_, places_, abandoned_, place);
  auto moved_away = std::make_shared<bool>(false);
  const bool started = Start(job, [job = job.get(), moved_away, work = std::move(work),
                                   real_place = std::move(real_place)] {
    // On a stuck file system the work would only hang beside the others.
    if (real_place && !job->MoveTo(real_place())) {
      *moved_away = true;
      return;
    }
    work([job] { job->Answered(); });
  });
  if (!started) return false;
  const bool finished = Wait(*job, deadline);
  return finished && !*moved_away && !job->error;
}

bool ThreadedOffThread::Wait(Job& job, std::chrono::milliseconds deadline) {
  state_.waiting = true;
  const Clock::time_point busy_at = Clock::now() + kBusyAfter;
  bool busy = false;
  bool finished = false;
  for (;;) {
    const Clock::time_point now = Clock::now();
    Clock::time_point next =
        std::min(busy ? Clock::time_point::max() : busy_at, now + kLongestRound);
    {
      const std::lock_guard lock(job.mutex);
      finished = job.finished;
      if (finished) break;
      if (job.place) {
        const Clock::time_point answer_by = job.last_answer + deadline;
        if (now >= answer_by) {
          job.Abandon();  // the worker runs on alone
          break;
        }
        next = std::min(next, answer_by);
      }
    }
    if (state_.end_requested) gui_.EndNow();
    if (!busy && now >= busy_at) {
      gui_.ShowBusy(true);
      busy = true;
      continue;
    }
    gui_.HandleEventsUntil(next, job.woken);
  }
  state_.waiting = false;
  if (busy) gui_.ShowBusy(false);
  if (state_.end_requested) gui_.EndNow();
  gui_.WaitEnded();
  return finished;
}

}  // namespace vantrel::platform
