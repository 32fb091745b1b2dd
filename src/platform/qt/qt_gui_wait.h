// How the Qt front end's GUI thread waits for a worker: it runs an event loop in which the
// windows keep painting and timers run, while user input is dropped as a modal box drops input
// to the windows it blocks; shows the busy cursor on request; and ends the program at once when
// a window is closed meanwhile.
#pragma once

#include <QObject>
#include <atomic>
#include <functional>

#include "platform/off_thread.h"
#include "platform/qt/front_end_context.h"

class QEventLoop;

namespace vantrel::platform::qt {

class QtGuiWait final : public GuiWait {
 public:
  // `end_now` ends the process; it must not return. Made on the GUI thread.
  QtGuiWait(FrontEndContext& context, std::function<void()> end_now);

  void HandleEventsUntil(std::chrono::steady_clock::time_point until) override;
  void Wake() override;
  void ShowBusy(bool busy) override;
  bool EndRequested() const override { return context_.end_requested; }
  [[noreturn]] void EndNow() override;

 private:
  // Drops user input for every object while installed on the application.
  class InputBlocker final : public QObject {
   protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
  };

  FrontEndContext& context_;
  std::function<void()> end_now_;
  std::atomic<bool> woken_{false};
  QObject waker_;               // on the GUI thread: a Wake from a worker is delivered to it
  QEventLoop* loop_ = nullptr;  // the loop running now, if any
  InputBlocker blocker_;
};

}  // namespace vantrel::platform::qt
