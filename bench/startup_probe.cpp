// Linked into a Qt program, reports when its first window has been painted: the milliseconds
// since VANTREL_BENCH_T0 (CLOCK_MONOTONIC nanoseconds, set by whoever started the process) and the
// peak memory so far, as "painted_ms hwm_kb" on stdout; then the process ends at once.
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QWidget>
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

void Finish() {
  std::printf("%.3f %ld\n", MillisecondsSinceStart(), PeakKilobytes());
  std::fflush(stdout);
  ::_exit(0);
}

// Waits for the first paint of a window; the report goes out once that paint has ended.
class FirstPaint final : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* target, QEvent* event) override {
    auto* widget = qobject_cast<QWidget*>(target);
    if (event->type() == QEvent::Paint && widget != nullptr && widget->isWindow() && !seen_) {
      seen_ = true;
      QMetaObject::invokeMethod(qApp, &Finish, Qt::QueuedConnection);
    }
    return false;
  }

 private:
  bool seen_ = false;
};

void InstallProbe() {
  qApp->installEventFilter(new FirstPaint(qApp));
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallProbe)
