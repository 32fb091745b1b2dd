#include "platform/posix/link_target_posix.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

#include "platform/posix/file_system_of_posix.h"

namespace vantrel::platform::posix {
namespace {

// The file systems a look at a link target is still waiting on, for the whole process.
struct Unanswered {
  std::mutex mutex;
  std::multiset<std::string> file_systems;
};

Unanswered& Waiting() {
  static Unanswered* unanswered = new Unanswered;  // never destroyed: looks may outlive main
  return *unanswered;
}

// One look, shared with the thread making it, which may outlive the wait for it.
struct Look {
  std::mutex mutex;
  std::condition_variable done_changed;
  bool done = false;
  bool given_up = false;
  bool found = false;
  struct stat info {};
};

bool StatWithDeadline(const std::string& path, const std::string& file_system, struct stat& info) {
  Unanswered& waiting = Waiting();
  {
    const std::lock_guard lock(waiting.mutex);
    if (waiting.file_systems.contains(file_system)) return false;
  }
  auto look = std::make_shared<Look>();
  std::thread([look, path, file_system] {
    struct stat found {};
    const bool ok = ::stat(path.c_str(), &found) == 0;
    const std::lock_guard lock(look->mutex);
    look->done = true;
    look->found = ok;
    look->info = found;
    look->done_changed.notify_all();
    if (look->given_up) {
      Unanswered& unanswered = Waiting();
      const std::lock_guard waiting_lock(unanswered.mutex);
      unanswered.file_systems.erase(unanswered.file_systems.find(file_system));
    }
  }).detach();
  std::unique_lock lock(look->mutex);
  if (!look->done_changed.wait_for(lock, std::chrono::milliseconds(kLinkAnswerMilliseconds),
                                   [&look] { return look->done; })) {
    look->given_up = true;
    const std::lock_guard waiting_lock(waiting.mutex);
    waiting.file_systems.insert(file_system);
    return false;
  }
  info = look->info;
  return look->found;
}

}  // namespace

bool LinkTargets::OnOwnFileSystem(const char* name) {
  if (!mount_points_) {
    mount_points_ = ReadMountPoints();
    own_ = ResolvedFileSystemIn(folder_, *mount_points_);
  }
  return ResolvedFileSystemIn(folder_ + "/" + name, *mount_points_) == own_;
}

bool LinkTargets::Stat(int folder_fd, const char* name, struct stat& info) {
  // The folder's own file system has just answered: a target on it is asked at once.
  if (OnOwnFileSystem(name)) return ::fstatat(folder_fd, name, &info, 0) == 0;
  return StatWithDeadline(folder_ + "/" + name,
                          ResolvedFileSystemIn(folder_ + "/" + name, *mount_points_), info);
}

}  // namespace vantrel::platform::posix
