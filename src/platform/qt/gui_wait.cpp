#include "platform/qt/gui_wait.h"

#include <qpa/qwindowsysteminterface_p.h>
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <utility>

#include "platform/os_services.h"
#include "platform/qt/window.h"

namespace vantrel::platform::qt {

namespace {

using SystemEvent = QWindowSystemInterfacePrivate::WindowSystemEvent;

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

// A copy of a queued click, key or wheel turn, to be queued again later; null for other events.
std::unique_ptr<SystemEvent> CopyOfInput(const SystemEvent& event) {
  using Private = QWindowSystemInterfacePrivate;
  switch (event.type) {
    case Private::Mouse:
      return std::make_unique<Private::MouseEvent>(static_cast<const Private::MouseEvent&>(event));
    case Private::Key:
      return std::make_unique<Private::KeyEvent>(static_cast<const Private::KeyEvent&>(event));
    case Private::Wheel:
      return std::make_unique<Private::WheelEvent>(static_cast<const Private::WheelEvent&>(event));
    default:
      return nullptr;
  }
}

}  // namespace

// Sees every event of the window system's queue before Qt handles it. While a handler waits it
// keeps the clicks, keys and wheel turns (the pointer moves with them, so a press, a drag and a
// release come back as one gesture) and drops touch and pen input; a close request, the pointer
// entering or leaving a window and everything that is no input pass as usual.
class QtGuiWait::InputKeeper final : public QWindowSystemEventHandler {
 public:
  enum class Mode { Pass, Keep, Drop };

  InputKeeper() { QWindowSystemInterfacePrivate::installWindowSystemEventHandler(this); }
  ~InputKeeper() override { QWindowSystemInterfacePrivate::removeWindowSystemEventhandler(this); }
  InputKeeper(const InputKeeper&) = delete;
  InputKeeper& operator=(const InputKeeper&) = delete;

  bool sendEvent(SystemEvent* event) override {
    if (mode == Mode::Pass || (event->type & QWindowSystemInterfacePrivate::UserInputEvent) == 0) {
      return QWindowSystemEventHandler::sendEvent(event);
    }
    switch (event->type) {
      case QWindowSystemInterfacePrivate::Close:
      case QWindowSystemInterfacePrivate::Enter:
      case QWindowSystemInterfacePrivate::Leave:
      case QWindowSystemInterfacePrivate::FileOpen:
        return QWindowSystemEventHandler::sendEvent(event);
      default:
        break;
    }
    if (mode == Mode::Keep) {
      if (auto copy = CopyOfInput(*event)) kept.push_back(std::move(copy));
    }
    return true;
  }

  // Puts the kept input back at the head of the queue, in the order it came, ahead of anything
  // that came after it.
  void GiveBack() {
    for (auto event = kept.rbegin(); event != kept.rend(); ++event) {
      QWindowSystemInterfacePrivate::windowSystemEventQueue.prepend(event->release());
    }
    const bool any = !kept.empty();
    kept.clear();
    if (any) {
      if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
        dispatcher->wakeUp();
      }
    }
  }

  Mode mode = Mode::Pass;
  std::vector<std::unique_ptr<SystemEvent>> kept;
};

bool QtGuiWait::InputBlocker::eventFilter(QObject*, QEvent* event) {
  return IsUserInput(event->type());
}

QtGuiWait::QtGuiWait(FrontEndContext& context, std::function<void()> end_now)
    : context_(context), end_now_(std::move(end_now)), keeper_(std::make_unique<InputKeeper>()) {}

QtGuiWait::~QtGuiWait() = default;

void QtGuiWait::HandleEventsUntil(std::chrono::steady_clock::time_point until,
                                  const std::atomic<bool>& woken) {
  // Qt counts a close request as user input, so input cannot simply be left in the queue (the
  // close box would wait with it): every event is taken, and the keeper keeps the input. A loop
  // of its own rather than single rounds of processEvents, since one round may serve only the
  // most urgent kind of event.
  QEventLoop loop;
  QTimer limit;
  limit.setSingleShot(true);
  QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
  const auto left =
      std::chrono::ceil<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
  limit.start(static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, 60'000)));
  loop_ = &loop;
  keeper_->mode = InputKeeper::Mode::Keep;
  QCoreApplication::instance()->installEventFilter(&blocker_);
  // A Wake that came before the loop started counts at once; one that comes after it reaches
  // the loop through the waker.
  if (!woken) loop.exec();
  QCoreApplication::instance()->removeEventFilter(&blocker_);
  keeper_->mode = InputKeeper::Mode::Pass;
  loop_ = nullptr;
}

void QtGuiWait::Wake() {
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

void QtGuiWait::WaitEnded() {
  keeper_->GiveBack();
}

void QtGuiWait::DropQueuedInput() {
  keeper_->kept.clear();
  keeper_->mode = InputKeeper::Mode::Drop;
  // Takes in what the display has sent so far, so input still on its way is dropped too.
  QCoreApplication::processEvents();
  keeper_->mode = InputKeeper::Mode::Pass;
}

void QtGuiWait::EndNow() {
  // As at Exit: every window goes and no event reaches a handler any more. The windows are hidden
  // and the request sent before the process ends, since a worker stuck in the kernel may keep
  // the process (and its connection to the display) alive for a while after.
  context_.wait.ended = true;
  for (QtWindow* window : context_.windows) window->Hide();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  // The copy the worker may be writing is never finished: its temporary file goes first.
  RemoveCopiesInProgress();
  end_now_();
  std::_Exit(0);
}

}  // namespace vantrel::platform::qt
