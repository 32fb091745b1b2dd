// Repainting while a copy runs, with the real Qt front end (offscreen). The program copies a large
// file through its Copy button, the question answered Yes, and meanwhile part of the window (the
// source file list) is marked exposed every 30 ms, as a window dragged across it would do. Each
// exposure's latency runs from that moment to the list's next paint. The same is measured with
// the program idle first, for reference.
//   repaint_bench [--smoke] FOLDER SIZE
// The source file (SIZE bytes of real data, suffix K, M or G) and the destination folder are made
// in FOLDER, on the disk to measure, and removed afterwards. Before the copy the page cache is
// emptied when that is allowed (root), so the source is read from the disk. Prints the samples'
// count, median and 90th percentile, and the copy's own time.
// Exit status: 0 when the median is at most 50 ms (always with --smoke, which only checks that the
// benchmark runs), 1 when it is not, 2 or more when the benchmark failed.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <climits>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "bench_program.h"
#include "bench_support.h"
#include "platform/os_services.h"

namespace vantrel::bench {
namespace {

constexpr std::chrono::milliseconds kExposeEvery{30};
constexpr double kTargetMs = 50;
constexpr const char* kFileName = "copied.bin";

// Runs the event loop for a while, sleeping while there is nothing to do.
void RunEventLoopFor(std::chrono::milliseconds length) {
  QEventLoop loop;
  QTimer::singleShot(length, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

// The source folder, the destination folder and their files; removed when the process ends, also
// when a check of the set-up fails (Require ends the process with exit, which runs this).
struct Fixture {
  std::string source;
  std::string into;

  std::string From() const { return source + "/" + kFileName; }
  std::string To() const { return into + "/" + kFileName; }

  ~Fixture() {
    if (source.empty()) return;
    ::unlink(To().c_str());
    ::rmdir(into.c_str());
    ::unlink(From().c_str());
    ::rmdir(source.c_str());
  }
};
Fixture fixture;

// Marks a widget exposed at a steady pace from a thread of its own, so a GUI thread that is busy
// cannot delay the marking and hide its own delay: each mark is stamped when it is made and then
// handed to the GUI thread as update(). The widget's next paint serves every mark made before it.
class Exposer final : public QObject {
 public:
  explicit Exposer(QWidget* target) : target_(target) { target_->installEventFilter(this); }
  ~Exposer() override { Stop(); }

  void Start() {
    running_ = true;
    ticker_ = std::thread([this] { Tick(); });
  }

  // Stops marking, lets the marks already made be painted, and returns their latencies in ms.
  std::vector<double> Stop() {
    if (!ticker_.joinable()) return {};
    {
      const std::lock_guard lock(mutex_);
      running_ = false;
    }
    // Woken at once: a GUI thread waiting here for the next tick would delay the marks' paint.
    stopped_.notify_one();
    ticker_.join();
    for (int turn = 0; turn < 250 && Waiting(); ++turn) {
      RunEventLoopFor(std::chrono::milliseconds(20));
    }
    const std::lock_guard lock(mutex_);
    unpainted_ += pending_.size();
    pending_.clear();
    return std::exchange(latencies_, {});
  }

  // Marks left unpainted when a Stop gave up waiting for them, over all Stops.
  std::size_t unpainted() const { return unpainted_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == target_ && event->type() == QEvent::Paint) Painted(Clock::now());
    return false;
  }

 private:
  void Tick() {
    std::unique_lock lock(mutex_);
    for (auto next = Clock::now() + kExposeEvery;; next += kExposeEvery) {
      if (stopped_.wait_until(lock, next, [this] { return !running_; })) return;
      pending_.push_back(Clock::now());
      lock.unlock();
      QWidget* target = target_;
      QMetaObject::invokeMethod(
          target, [target] { target->update(); }, Qt::QueuedConnection);
      lock.lock();
    }
  }

  void Painted(Clock::time_point at) {
    const std::lock_guard lock(mutex_);
    while (!pending_.empty() && pending_.front() <= at) {
      latencies_.push_back(
          std::chrono::duration<double, std::milli>(at - pending_.front()).count());
      pending_.pop_front();
    }
  }

  bool Waiting() {
    const std::lock_guard lock(mutex_);
    return !pending_.empty();
  }

  QWidget* target_;
  std::thread ticker_;
  std::mutex mutex_;
  std::condition_variable stopped_;
  bool running_ = false;
  std::deque<Clock::time_point> pending_;
  std::vector<double> latencies_;
  std::size_t unpainted_ = 0;
};

std::string Describe(const std::vector<double>& latencies) {
  char line[160];
  double most = 0;
  for (double latency : latencies) most = std::max(most, latency);
  std::snprintf(line, sizeof line,
                "%zu samples, median %.1f ms, 90th percentile %.1f ms, max %.1f ms",
                latencies.size(), Median(latencies), Percentile(latencies, 0.9), most);
  return line;
}

// Empties the page cache, so the copy reads its source from the disk. Only root may.
bool DropPageCache() {
  ::sync();
  const int fd = ::open("/proc/sys/vm/drop_caches", O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool written = ::write(fd, "3\n", 2) == 2;
  return ::close(fd) == 0 && written;
}

// The copy holds the same bytes as the source at its start, middle and end.
bool SameSamples(const std::string& a, const std::string& b, std::uint64_t size) {
  const int fa = ::open(a.c_str(), O_RDONLY | O_CLOEXEC);
  const int fb = ::open(b.c_str(), O_RDONLY | O_CLOEXEC);
  bool same = fa >= 0 && fb >= 0;
  const std::uint64_t piece = std::min<std::uint64_t>(size, 4096);
  for (const std::uint64_t at :
       {std::uint64_t{0}, size / 2 - std::min(size / 2, piece / 2), size - piece}) {
    if (!same) break;
    char ba[4096], bb[4096];
    same = ::pread(fa, ba, piece, static_cast<off_t>(at)) == static_cast<ssize_t>(piece) &&
           ::pread(fb, bb, piece, static_cast<off_t>(at)) == static_cast<ssize_t>(piece) &&
           std::memcmp(ba, bb, piece) == 0;
  }
  if (fa >= 0) ::close(fa);
  if (fb >= 0) ::close(fb);
  return same;
}

void MakeFixture(const std::string& folder, std::uint64_t size) {
  char absolute[PATH_MAX];
  Require(::realpath(folder.c_str(), absolute) != nullptr, "no folder " + folder);
  struct statvfs space {};
  Require(::statvfs(absolute, &space) == 0, "cannot read the free space of " + folder);
  const std::uint64_t available = static_cast<std::uint64_t>(space.f_bavail) * space.f_frsize;
  Require(available > 2 * size + (512ull << 20),
          "not enough free space for two copies in " + folder);
  fixture.source = std::string(absolute) + "/repaint-source";
  fixture.into = std::string(absolute) + "/repaint-into";
  Require(::mkdir(fixture.source.c_str(), 0755) == 0 && ::mkdir(fixture.into.c_str(), 0755) == 0,
          "cannot make the folders in " + folder);
  Require(WritePatternFile(fixture.From(), size), "cannot write " + fixture.From());
}

// Picks the source file in File1 and opens the destination folder in Dir2, as the user would.
void PrepareCopy(BenchProgram& program) {
  program.WaitFor([&] { return program.Rows("File1") == 1; }, "the source file in File1");
  ClickRow(program.List("File1"), 0);
  Require(program.form2().FindFileList("File1").FileName() == kFileName, "File1 did not select");
  program.form2().FindFolderList("Dir2").SetPath(fixture.into);
  program.Settle();
  Require(program.Caption("Label6") == "Folder Name: " + fixture.into, "Dir2 did not open");
  Require(program.Rows("File2") == 0, "the destination folder is not empty");
}

struct Measured {
  std::vector<double> idle;     // latencies with the program idle, in ms
  std::vector<double> copying;  // latencies while the Copy button's handler ran, in ms
  std::size_t unpainted = 0;    // marks never painted, left out of both
  double copy_ms = 0;           // the handler: question, copy, File2 refreshed
  bool cache_dropped = false;
};

Measured Measure(BenchProgram& program, bool smoke) {
  auto* copy = program.window()->findChild<QPushButton*>(QStringLiteral("Command8"));
  Require(copy != nullptr, "no Copy button");
  Exposer exposer(program.List("File1")->viewport());
  Measured measured;
  measured.cache_dropped = !smoke && DropPageCache();
  exposer.Start();
  RunEventLoopFor(std::chrono::milliseconds(smoke ? 300 : 2000));
  measured.idle = exposer.Stop();

  exposer.Start();
  const auto start = Clock::now();
  copy->click();
  measured.copy_ms = MillisecondsSince(start);
  measured.copying = exposer.Stop();
  measured.unpainted = exposer.unpainted();
  return measured;
}

void CheckCopy(BenchProgram& program, std::uint64_t size) {
  Require(program.dialogs_asked() == 1 && program.last_dialog_title() == "Sure!",
          "the copy did not ask its question once");
  Require(program.Rows("File2") == 1, "File2 does not list the copy");
  struct stat copied {};
  Require(::stat(fixture.To().c_str(), &copied) == 0 &&
              static_cast<std::uint64_t>(copied.st_size) == size &&
              SameSamples(fixture.From(), fixture.To(), size),
          "the copy is not the source");
}

// Prints the figures and returns the exit status.
int Print(const Measured& measured, std::uint64_t size, bool smoke) {
  const double mib = static_cast<double>(size) / (1 << 20);
  std::printf("repaint during the copy of %.0f MiB (File1 exposed every %lld ms): %s\n", mib,
              static_cast<long long>(kExposeEvery.count()), Describe(measured.copying).c_str());
  std::printf("repaint while idle, same window, before the copy: %s\n",
              Describe(measured.idle).c_str());
  if (measured.unpainted > 0) {
    std::printf("exposures never painted (left out): %zu\n", measured.unpainted);
  }
  const double seconds = measured.copy_ms / 1000;
  std::printf(
      "copy of %.0f MiB through Copy (question, copy, File2 refreshed): %.3f s, %.0f MiB/s, %s\n",
      mib, seconds, mib / seconds,
      smoke ? "page cache kept (smoke run)"
      : measured.cache_dropped
          ? "page cache emptied first"
          : "page cache NOT emptied (not root): the source may come from memory");
  const std::vector<double>& copying = measured.copying;
  const bool met = !copying.empty() && Median(copying) <= kTargetMs;
  if (smoke) {
    std::printf("target median <= %.0f ms: %s (smoke run: not enforced)\n", kTargetMs,
                copying.empty() ? "no samples"
                : met           ? "met"
                                : "missed");
    return 0;
  }
  if (copying.size() < 10) {
    std::printf("too few samples to judge (%zu): the copy ended too soon; use a larger SIZE\n",
                copying.size());
    return 2;
  }
  std::printf("target median <= %.0f ms: %s\n", kTargetMs, met ? "met" : "missed");
  return met ? 0 : 1;
}

int Run(const std::string& folder, std::uint64_t size, bool smoke) {
  MakeFixture(folder, size);
  BenchProgram program(fixture.source, platform::Answer::Yes);
  PrepareCopy(program);
  const Measured measured = Measure(program, smoke);
  CheckCopy(program, size);
  return Print(measured, size, smoke);
}

}  // namespace
}  // namespace vantrel::bench

int main(int argc, char** argv) {
  using namespace vantrel::bench;
  const bool smoke = argc > 1 && std::strcmp(argv[1], "--smoke") == 0;
  const int first = smoke ? 2 : 1;
  const std::uint64_t size = argc - first == 2 ? ParseSize(argv[first + 1]) : 0;
  if (size == 0) {
    std::fprintf(stderr, "usage: repaint_bench [--smoke] FOLDER SIZE\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  vantrel::platform::PrepareProcess();
  QApplication application(argc, argv);
  return Run(argv[first], size, smoke);
}
