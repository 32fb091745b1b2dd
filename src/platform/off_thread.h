// Running a call that may block on a disk or a network off the GUI thread, while the GUI thread
// waits for it with the windows still painting.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "platform/stuck_places.h"
#include "platform/wait_state.h"

namespace vantrel::platform {

// What the GUI thread does while it waits: one per front end.
class GuiWait {
 public:
  virtual ~GuiWait() = default;
  // Handles the window system's events except user input (painting, timers, a close request)
  // until `woken` is set or `until` passes, whichever comes first. User input made meanwhile is
  // kept, in order, for after the handler that waits has ended.
  virtual void HandleEventsUntil(std::chrono::steady_clock::time_point until,
                                 const std::atomic<bool>& woken) = 0;
  // From any thread: makes the round of event handling running now, if any, look at its wake
  // flag again. A Wake that comes between rounds costs the next round nothing but a look.
  virtual void Wake() = 0;
  virtual void ShowBusy(bool busy) = 0;
  // The wait is over: user input kept during it is handed back to the window system, in the
  // order it came, to be handled once the handler that waited has ended.
  virtual void WaitEnded() = 0;
  // Ends the process now, with its windows gone, without waiting for any worker.
  [[noreturn]] virtual void EndNow() = 0;
};

// "Run this off the GUI thread and wait for it." Waits never nest: while one runs, a call that
// would start another is refused at once, so a wake can never be lost in an inner wait.
class OffThread {
 public:
  // Work that may never come back. It calls `answered` each time the system has shown it is
  // alive (a folder opened, more of its entries read); it may go on for long after that.
  using AnsweringWork = std::function<void(const std::function<void()>& answered)>;

  virtual ~OffThread() = default;

  // Runs the work on a worker thread and returns once it has finished. False, with the work not
  // run, while another wait is in progress or when no thread could be started. An exception the
  // work throws is thrown again here. If the user ends the program meanwhile, the process ends
  // there and Run never returns, so the work may use the caller's variables.
  [[nodiscard]] virtual bool Run(std::function<void()> work) = 0;

  // Runs work on a worker thread and waits for it to finish, but gives up when it has gone
  // `deadline` without answering (from its start, or from its last answer): then it returns
  // false at once, the worker runs on alone with its results dropped whenever it ends, and its
  // place counts as stuck until the worker answers again or ends. Work on a place that is stuck
  // is not started at all: false at once. False also where Run refuses, and when the work threw.
  // True when the work finished. The work must own everything it touches (capture by value,
  // results through shared pointers), since the caller may be long gone when it ends.
  //
  // `real_place`, when given, runs on the worker first and names the place the work really runs
  // on (a path may lead through links to another file system than its text shows). The work is
  // then counted on that place, and is not run at all while that place is stuck.
  virtual bool RunAnswering(AnsweringWork work, std::chrono::milliseconds deadline,
                            const std::string& place, std::function<std::string()> real_place) = 0;
  bool RunAnswering(AnsweringWork work, std::chrono::milliseconds deadline,
                    const std::string& place) {
    return RunAnswering(std::move(work), deadline, place, nullptr);
  }

  // True while a wait is in progress: anything that would wait again must not try.
  virtual bool Waiting() const = 0;
  // Where the places that stopped answering are kept.
  virtual const std::shared_ptr<StuckPlaces>& places() const = 0;
  // True when work on `place` has stopped answering.
  bool Stuck(const std::string& place) const { return places()->Contains(place); }
};

// Runs everything at once on the calling thread; for tools and tests that never wait on a
// network. RunAnswering always finishes and returns true. The program itself never uses it.
OffThread& ImmediateOffThread();

// The real thing: worker threads, and the front end's wait between.
class ThreadedOffThread final : public OffThread {
 public:
  // How long a wait goes on before the busy cursor shows.
  static constexpr std::chrono::milliseconds kBusyAfter{250};
  // The longest one round of event handling lasts: a wake that went astray costs no more.
  static constexpr std::chrono::milliseconds kLongestRound{100};

  // `state` says to the window system that a wait runs, and to the wait that the program must
  // end; `places` is where stuck places are kept (the process's own, outside tests).
  ThreadedOffThread(GuiWait& gui, WaitState& state, std::shared_ptr<StuckPlaces> places);
  ~ThreadedOffThread() override;
  ThreadedOffThread(const ThreadedOffThread&) = delete;
  ThreadedOffThread& operator=(const ThreadedOffThread&) = delete;

  using OffThread::RunAnswering;
  bool Run(std::function<void()> work) override;
  bool RunAnswering(AnsweringWork work, std::chrono::milliseconds deadline,
                    const std::string& place, std::function<std::string()> real_place) override;
  bool Waiting() const override { return state_.waiting; }
  const std::shared_ptr<StuckPlaces>& places() const override { return places_; }

  // How many workers given up on are still running (they end when their calls return).
  std::size_t abandoned() const;

 private:
  struct Job;
  // Starts the job's worker; false when no thread could be started.
  static bool Start(const std::shared_ptr<Job>& job, std::function<void()> body);
  // Waits on the GUI thread until the job finishes or, with a deadline, has gone that long
  // without answering.
  bool Wait(Job& job, std::chrono::milliseconds deadline);

  GuiWait& gui_;
  WaitState& state_;
  std::shared_ptr<StuckPlaces> places_;
  std::shared_ptr<std::atomic<std::size_t>> abandoned_;
};

}  // namespace vantrel::platform
