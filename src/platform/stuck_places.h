// The places where work has stopped answering: mounted file systems, named as FileSystemOf names
// them ("" where the mount table could not be read). A read on a stuck place is refused at once
// instead of starting one more thread that would hang beside the others.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace vantrel::platform {

// How long a read may go without an answer before it counts as one that cannot be made: a folder
// that does not open and give entries, a folder whose next entries do not come, a file whose
// length or type is not told. A folder that keeps giving entries is read to its end, however long.
inline constexpr std::chrono::milliseconds kAnswerDeadline{3000};

class StuckPlaces {
 public:
  // One more worker is stuck on `place`.
  void Mark(const std::string& place);
  // A worker marked on `place` has answered or ended.
  void Unmark(const std::string& place);
  bool Contains(const std::string& place) const;
  // How many workers are stuck on `place` now.
  std::size_t Count(const std::string& place) const;

 private:
  mutable std::mutex mutex_;
  std::multiset<std::string> stuck_;
};

// The process's own: a hung mount hangs every part of the program alike. It is never destroyed,
// since stuck workers may outlive main.
const std::shared_ptr<StuckPlaces>& ProcessStuckPlaces();

// For a worker thread that must not hang on one look among many (a link's target, a folder of
// the program search path): runs `look` on a thread of its own and waits for it at most
// `deadline`. False at once while `place` is stuck; false when the look did not end in time,
// and then `place` stays stuck until it does. The look must own what it touches.
bool LookWithin(const std::shared_ptr<StuckPlaces>& places, const std::string& place,
                std::chrono::milliseconds deadline, std::function<void()> look);

// Several looks at once, look(i) counted on looked[i], each on a thread of its own, all waited
// for together at most `deadline`. answered[i] is false for a look whose place was stuck (not
// started) or that did not end in time (its place then stays stuck until it does).
std::vector<bool> LooksWithin(const std::shared_ptr<StuckPlaces>& places,
                              const std::vector<std::string>& looked,
                              std::chrono::milliseconds deadline,
                              std::function<void(std::size_t)> look);

}  // namespace vantrel::platform
