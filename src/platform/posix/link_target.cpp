#include "platform/posix/link_target.h"

#include <chrono>
#include <memory>

#include "platform/posix/file_system_of.h"
#include "platform/stuck_places.h"

namespace vantrel::platform::posix {
namespace {

bool StatWithDeadline(const std::string& path, const std::string& file_system, struct stat& info) {
  struct Found {
    bool ok = false;
    struct stat info {};
  };
  auto found = std::make_shared<Found>();
  const bool answered = LookWithin(
      ProcessStuckPlaces(), file_system, std::chrono::milliseconds(kLinkAnswerMilliseconds),
      [found, path] { found->ok = ::stat(path.c_str(), &found->info) == 0; });
  if (!answered || !found->ok) return false;
  info = found->info;
  return true;
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
