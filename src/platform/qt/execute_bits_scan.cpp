#include "platform/qt/execute_bits_scan.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <span>
#include <thread>
#include <utility>

#include "lists/listing.h"
#include "platform/detached_thread.h"
#include "platform/folder_reader.h"

namespace vantrel::platform::qt {
namespace {
// Files per turn of a worker: large enough that taking a turn costs nothing, small enough that a
// stop request is seen within a millisecond or two.
constexpr std::size_t kChunk = 1024;
constexpr unsigned kMostThreads = 4;
}  // namespace

// What the workers share. The receiver is cleared (under the mutex) when the scan goes, so the
// last worker posts its delivery only while the scan still exists.
struct ExecuteBitsScan::Work {
  std::string folder;
  lists::SharedSnapshot snapshot;
  std::vector<std::uint32_t> files;
  std::vector<std::uint8_t> marks;
  std::atomic<std::size_t> next{0};
  std::atomic<unsigned> working{0};
  std::atomic<bool> stop{false};
  std::mutex mutex;
  QObject* receiver = nullptr;
  std::function<void()> deliver;
  std::shared_ptr<StuckPlaces> places;
  std::string place;
  bool marked = false;  // the place is marked stuck for this scan

  // On the GUI thread, once the deadline has passed.
  void MarkIfRunning() {
    const std::lock_guard lock(mutex);
    if (working == 0 || marked) return;
    places->Mark(place);
    marked = true;
  }

  void Run() {
    const std::span<const std::uint32_t> all(files);
    const std::span<std::uint8_t> all_marks(marks);
    while (!stop) {
      const std::size_t first = next.fetch_add(kChunk);
      if (first >= all.size()) break;
      const std::size_t count = std::min(kChunk, all.size() - first);
      ReadExecuteBits(folder, *snapshot, all.subspan(first, count),
                      all_marks.subspan(first, count));
    }
    // The last worker to finish hands the marks over.
    if (working.fetch_sub(1) != 1) return;
    const std::lock_guard lock(mutex);
    if (marked) places->Unmark(place);
    marked = false;
    if (receiver != nullptr && !stop) {
      QMetaObject::invokeMethod(receiver, deliver, Qt::QueuedConnection);
    }
  }
};

unsigned ExecuteBitsScan::Threads() {
  return std::clamp(std::thread::hardware_concurrency(), 1U, kMostThreads);
}

ExecuteBitsScan::ExecuteBitsScan(std::string folder, lists::SharedSnapshot snapshot,
                                 std::vector<std::uint32_t> files, Done done,
                                 std::shared_ptr<StuckPlaces> places, std::string place)
    : work_(std::make_shared<Work>()), done_(std::move(done)) {
  work_->places = std::move(places);
  work_->place = std::move(place);
  work_->folder = std::move(folder);
  work_->snapshot = std::move(snapshot);
  work_->files = std::move(files);
  work_->marks.resize(work_->files.size());
  work_->receiver = &receiver_;
  work_->deliver = [this] { Deliver(); };
  const unsigned threads = Threads();
  work_->working = threads;
  unsigned started = 0;
  while (started < threads && StartDetachedThread([work = work_] { work->Run(); })) ++started;
  if (started < threads) {
    // Fewer threads than planned (none at worst, and then no marks come): those started do it all.
    work_->working -= threads - started;
    if (started == 0) work_->receiver = nullptr;
  }
  deadline_.setSingleShot(true);
  QObject::connect(&deadline_, &QTimer::timeout, &receiver_,
                   [work = work_] { work->MarkIfRunning(); });
  deadline_.start(static_cast<int>(kAnswerDeadline.count()));
}

ExecuteBitsScan::~ExecuteBitsScan() {
  const std::lock_guard lock(work_->mutex);
  work_->stop = true;
  work_->receiver = nullptr;
}

void ExecuteBitsScan::Deliver() {
  // Every worker has finished with the lists: the last one posted this after the others ended.
  std::vector<std::uint32_t> files = std::move(work_->files);
  std::vector<std::uint8_t> marks = std::move(work_->marks);
  work_->snapshot.reset();
  // Whatever the callback holds (the snapshot, at least) goes as soon as it has run.
  Done done = std::move(done_);
  done_ = nullptr;
  done(std::move(files), std::move(marks));
}

}  // namespace vantrel::platform::qt
