// How the Qt front end's GUI thread waits for a worker: it runs an event loop in which the
// windows keep painting, timers run and the close box works, while the user's clicks and keys
// are taken from the window system's queue and kept, to be handed back in order once the wait
// is over; it shows the busy cursor on request; and it ends the program at once when asked.
#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "platform/off_thread.h"
#include "platform/qt/front_end_context.h"

class QEventLoop;

namespace vantrel::platform::qt {

class QtGuiWait final : public GuiWait {
 public:
  // `end_now` ends the process; it must not return. Made on the GUI thread, after QApplication.
  QtGuiWait(FrontEndContext& context, std::function<void()> end_now);
  ~QtGuiWait() override;
  QtGuiWait(const QtGuiWait&) = delete;
  QtGuiWait& operator=(const QtGuiWait&) = delete;

  void HandleEventsUntil(std::chrono::steady_clock::time_point until,
                         const std::atomic<bool>& woken) override;
  void Wake() override;
  void ShowBusy(bool busy) override;
  void WaitEnded() override;
  [[noreturn]] void EndNow() override;

  // Drops the clicks and keys made so far, kept or still queued: a question about to show must
  // never take its answer from input made before the user could see it.
  void DropQueuedInput();

 private:
  // Drops input that reaches a widget without passing the window system's queue (a synthetic
  // event) while installed on the application.
  class InputBlocker final : public QObject {
   protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
  };
  class InputKeeper;

  FrontEndContext& context_;
  std::function<void()> end_now_;
  QObject waker_;               // on the GUI thread: a Wake from a worker is delivered to it
  QEventLoop* loop_ = nullptr;  // the loop running now, if any
  InputBlocker blocker_;
  std::unique_ptr<InputKeeper> keeper_;
};

}  // namespace vantrel::platform::qt
