// Running a call that may block on a disk or a network off the GUI thread, while the GUI thread
// waits for it with the windows still painting.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace vantrel::platform {

// What the GUI thread does while it waits: one per front end.
class GuiWait {
 public:
  virtual ~GuiWait() = default;
  // Handles the window system's events except user input (painting, timers, a close request)
  // until Wake is called or `until` passes, whichever comes first. User input stays queued for
  // after the handler that waits has ended.
  virtual void HandleEventsUntil(std::chrono::steady_clock::time_point until) = 0;
  // From any thread: makes the current HandleEventsUntil return, or the next one if none runs.
  virtual void Wake() = 0;
  virtual void ShowBusy(bool busy) = 0;
  // True once the user asked to end the program while it waited.
  virtual bool EndRequested() const = 0;
  // Ends the process now, with its windows gone, without waiting for any worker.
  [[noreturn]] virtual void EndNow() = 0;
};

// "Run this off the GUI thread and wait for it."
class OffThread {
 public:
  // Work that may never come back. It calls `answered` once the system has shown it is alive
  // (a folder opened and its first entries read); it may go on for long after that.
  using AnsweringWork = std::function<void(const std::function<void()>& answered)>;

  virtual ~OffThread() = default;

  // Runs the work on a worker thread and returns once it has finished. If the user ends the
  // program meanwhile, the process ends there and Run never returns, so the work may use the
  // caller's variables.
  virtual void Run(std::function<void()> work) = 0;

  // Runs work on a worker thread and waits for it to finish, but gives up when it has not
  // answered within `deadline`: then it returns false at once and the worker runs on alone, its
  // results dropped whenever it ends. Work on a `place` (a mounted file system) whose earlier
  // work is still unanswered is not started at all: false at once. True when the work finished.
  // The work must own everything it touches (capture by value, results through shared
  // pointers), since the caller may be long gone when it ends.
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
};

// Runs everything at once on the calling thread; for tools and tests that never wait on a
// network. RunAnswering always finishes and returns true.
OffThread& ImmediateOffThread();

// The real thing: worker threads, and the front end's wait between.
class ThreadedOffThread final : public OffThread {
 public:
  // How long a wait goes on before the busy cursor shows.
  static constexpr std::chrono::milliseconds kBusyAfter{250};

  explicit ThreadedOffThread(GuiWait& gui);
  ~ThreadedOffThread() override;
  ThreadedOffThread(const ThreadedOffThread&) = delete;
  ThreadedOffThread& operator=(const ThreadedOffThread&) = delete;

  using OffThread::RunAnswering;
  void Run(std::function<void()> work) override;
  bool RunAnswering(AnsweringWork work, std::chrono::milliseconds deadline,
                    const std::string& place, std::function<std::string()> real_place) override;

  // How many workers given up on are still running (they end when their calls return).
  std::size_t abandoned() const;

 private:
  struct Job;
  struct Places;
  // Waits on the GUI thread until the job finishes or, with a deadline, has not answered in time.
  bool Wait(Job& job, std::chrono::steady_clock::time_point answer_by);

  GuiWait& gui_;
  std::shared_ptr<Places> places_;
  int depth_ = 0;  // waits in progress on the GUI thread (a timer may nest one in another)
};

}  // namespace vantrel::platform
