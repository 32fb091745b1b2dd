// The drive list on POSIX: the mounted file systems a user would browse, and the working folder.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>

#include "platform/native.h"
#include "platform/posix/mount_table_posix.h"

namespace vantrel::platform {
namespace {

std::string ReadMountInfo() {
  std::ifstream file("/proc/self/mountinfo", std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// A bind mount of a single file (containers do this for /etc/hosts) is no drive.
bool IsFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::vector<DriveInfo> ListDrives() {
  std::vector<DriveInfo> drives;
  for (std::string& point : posix::BrowsableMountPoints(posix::ParseMountInfo(ReadMountInfo()))) {
    if (point != "/" && !IsFolder(point)) continue;
    drives.push_back({point, point});
  }
  return drives;
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
