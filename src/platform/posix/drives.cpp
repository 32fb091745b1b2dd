// The drive list on POSIX: the mounted file systems a user would browse, and the working folder.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <exception>
#include <memory>
#include <mutex>

#include "platform/os_services.h"
#include "platform/posix/file_system_of.h"
#include "platform/posix/mount_table.h"
#include "platform/stuck_places.h"

namespace vantrel::platform {
namespace {

// A bind mount of a single file (containers do this for /etc/hosts) is no drive.
bool IsFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// What the probe of the mount points has found so far; shared with a probe that may outlive
// the listing that started it.
struct Probe {
  std::mutex mutex;
  std::vector<std::string> points;
  std::vector<bool> not_folder;
};

}  // namespace

std::vector<DriveInfo> ListDrives(OffThread& off_thread) {
  auto probe = std::make_shared<Probe>();
  probe->points = posix::BrowsableMountPoints(posix::ParseMountInfo(posix::ReadMountInfo()));
  probe->not_folder.assign(probe->points.size(), false);
  // Every mount point is asked at once, each counted on itself: one that hangs is listed
  // unchecked and stays stuck alone, and one known stuck is not asked again.
  // Asking fails as a whole only when no thread can be had: then every drive is listed unchecked.
  const std::shared_ptr<StuckPlaces> places = off_thread.places();
  try {
    (void)off_thread.Run([probe, places] {
      LooksWithin(places, probe->points, kDriveAnswerDeadline, [probe](std::size_t i) {
        const bool folder = probe->points[i] == "/" || IsFolder(probe->points[i]);
        const std::lock_guard lock(probe->mutex);
        probe->not_folder[i] = !folder;
      });
    });
  } catch (const std::exception&) {
  }
  std::vector<DriveInfo> drives;
  const std::lock_guard lock(probe->mutex);
  for (std::size_t i = 0; i < probe->points.size(); ++i) {
    if (!probe->not_folder[i]) drives.push_back({probe->points[i], probe->points[i]});
  }
  return drives;
}

std::string FileSystemOf(const std::string& path) {
  return posix::FileSystemIn(path, posix::ReadMountPoints());
}

std::string ResolvedFileSystemOf(const std::string& path) {
  return posix::ResolvedFileSystemIn(path, posix::ReadMountPoints());
}

// getcwd gives no trailing separator except at "/". A working folder that was removed has no
// path any more; the root stands in for it.
std::string WorkingFolder() {
  std::string buffer(256, '\0');
  for (;;) {
    if (::getcwd(buffer.data(), buffer.size()) != nullptr) {
      buffer.resize(std::char_traits<char>::length(buffer.c_str()));
      return buffer;
    }
    if (errno != ERANGE) return "/";
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace vantrel::platform
