#include "platform/qt/qt_gui_wait.h"

#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <utility>

#include "platform/qt/qt_window.h"

namespace vantrel::platform::qt {

namespace {

bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::NativeGesture:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool QtGuiWait::InputBlocker::eventFilter(QObject*, QEvent* event) {
  return IsUserInput(event->type());
}

QtGuiWait::QtGuiWait(FrontEndContext& context, std::function<void()> end_now)
    : context_(context), end_now_(std::move(end_now)) {}

void QtGuiWait::HandleEventsUntil(std::chrono::steady_clock::time_point until) {
  // A Wake that came before the loop started counts at once.
  if (woken_.exchange(false)) return;
  // Qt counts a close request as user input, so input cannot simply be left queued (the close
  // box would wait with it): every event is handled, and the blocker drops the input. A loop of
  // its own rather than single rounds of processEvents, since one round may serve only the most
  // urgent kind of event.
  QEventLoop loop;
  QTimer limit;
  limit.setSingleShot(true);
  QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
  if (until != std::chrono::steady_clock::time_point::max()) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    limit.start(static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, 60'000)));
  }
  QEventLoop* outer = std::exchange(loop_, &loop);
  if (outer == nullptr) QCoreApplication::instance()->installEventFilter(&blocker_);
  ++context_.waiting;
  if (!woken_.load()) loop.exec();
  --context_.waiting;
  loop_ = outer;
  if (outer == nullptr) QCoreApplication::instance()->removeEventFilter(&blocker_);
  woken_ = false;
}

void QtGuiWait::Wake() {
  woken_ = true;
  QMetaObject::invokeMethod(
      &waker_,
      [this] {
        if (loop_ != nullptr) loop_->quit();
      },
      Qt::QueuedConnection);
}

void QtGuiWait::ShowBusy(bool busy) {
  if (busy) {
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  } else {
    QApplication::restoreOverrideCursor();
  }
}

void QtGuiWait::EndNow() {
  // As at Exit: every window goes and no event reaches a handler any more. The windows are hidden
  // and the request sent before the process ends, since a worker stuck in the kernel may keep
  // the process (and its connection to the display) alive for a while after.
  context_.ended = true;
  for (QtWindow* window : context_.windows) window->Hide();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  end_now_();
  std::_Exit(0);
}

}  // namespace vantrel::platform::qt
