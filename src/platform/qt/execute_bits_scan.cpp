#include "platform/qt/execute_bits_scan.h"

#include <algorithm>
#include <span>
#include <utility>

#include "platform/listing.h"

namespace vantrel::platform::qt {
namespace {
// Files per turn of a worker: large enough that taking a turn costs nothing, small enough that a
// stop request is seen within a millisecond or two.
constexpr std::size_t kChunk = 1024;
constexpr unsigned kMostThreads = 4;
}  // namespace

unsigned ExecuteBitsScan::Threads() {
  return std::clamp(std::thread::hardware_concurrency(), 1U, kMostThreads);
}

ExecuteBitsScan::ExecuteBitsScan(std::string folder, SharedSnapshot snapshot,
                                 std::vector<std::uint32_t> files, Done done)
    : folder_(std::move(folder)),
      snapshot_(std::move(snapshot)),
      files_(std::move(files)),
      marks_(files_.size()),
      done_(std::move(done)) {
  const unsigned threads = Threads();
  working_ = threads;
  for (unsigned i = 0; i < threads; ++i) workers_.emplace_back([this] { Work(); });
}

ExecuteBitsScan::~ExecuteBitsScan() {
  stop_ = true;
  for (auto& worker : workers_) {
    if (worker.joinable()) worker.join();
  }
}

void ExecuteBitsScan::Work() {
  const std::span<const std::uint32_t> files(files_);
  const std::span<std::uint8_t> marks(marks_);
  while (!stop_) {
    const std::size_t first = next_.fetch_add(kChunk);
    if (first >= files.size()) break;
    const std::size_t count = std::min(kChunk, files.size() - first);
    ReadExecuteBits(folder_, *snapshot_, files.subspan(first, count), marks.subspan(first, count));
  }
  // The last worker to finish hands the marks over.
  if (working_.fetch_sub(1) == 1 && !stop_) {
    QMetaObject::invokeMethod(
        &receiver_, [this] { Deliver(); }, Qt::QueuedConnection);
  }
}

void ExecuteBitsScan::Deliver() {
  for (auto& worker : workers_) worker.join();
  workers_.clear();
  snapshot_.reset();
  // Whatever the callback holds (the snapshot, at least) goes as soon as it has run.
  Done done = std::move(done_);
  done_ = nullptr;
  done(std::move(files_), std::move(marks_));
}

}  // namespace vantrel::platform::qt
