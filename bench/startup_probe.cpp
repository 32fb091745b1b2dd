// Linked into a Qt program, reports when its first window appeared on the screen and when its
// first paint had reached the screen: the milliseconds since VANTREL_BENCH_T0 (CLOCK_MONOTONIC
// nanoseconds, set by whoever started the process) of each, and the peak memory by then, as
// "shown_ms painted_ms hwm_kb" on stdout; then the process ends at once.
#include <unistd.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

namespace {

double MillisecondsSinceStart() {
  const char* start = std::getenv("VANTREL_BENCH_T0");
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  const double now_ns = static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
  return start != nullptr ? (now_ns - std::strtod(start, nullptr)) / 1e6 : 0;
}

long PeakKilobytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return 0;
}

// On X, waits until the server has handled every request sent so far, the painted image
// included: a request that needs an answer is answered only after all before it.
void WaitForXServer() {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
  if (connection == nullptr) return;
  std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

// Notes when a window is first exposed (mapped, on X) and when its first paint has ended.
class FirstPaint final : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* target, QEvent* event) override {
    if (event->type() == QEvent::Expose && shown_ms_ < 0) {
      auto* window = qobject_cast<QWindow*>(target);
      if (window != nullptr && window->isTopLevel() && window->isExposed())
        shown_ms_ = MillisecondsSinceStart();
    }
    auto* widget = qobject_cast<QWidget*>(target);
    if (event->type() == QEvent::Paint && widget != nullptr && widget->isWindow() && !seen_) {
      seen_ = true;
      // Runs once the whole window has been painted and sent, before any other posted work
      // (the program may have queued some for after its first paint).
      QCoreApplication::postEvent(this, new QEvent(QEvent::User), Qt::HighEventPriority);
    }
    return false;
  }

  bool event(QEvent* event) override {
    if (event->type() != QEvent::User) return QObject::event(event);
    WaitForXServer();
    std::printf("%.3f %.3f %ld\n", shown_ms_, MillisecondsSinceStart(), PeakKilobytes());
    std::fflush(stdout);
    ::_exit(0);
  }

 private:
  double shown_ms_ = -1;
  bool seen_ = false;
};

void InstallProbe() {
  qApp->installEventFilter(new FirstPaint(qApp));
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallProbe)
