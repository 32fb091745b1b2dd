#include "platform/posix/file_checks.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace vantrel::platform::posix {

PathParts SplitLastComponent(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return {".", path};
  // A name right under the root keeps the root as its folder.
  return {path.substr(0, slash == 0 ? 1 : slash), path.substr(slash + 1)};
}

bool IsReadOnly(int folder_fd, const std::string& name, const struct stat& info) {
  if ((info.st_mode & 0222) == 0) return true;
  if (::faccessat(folder_fd, name.c_str(), W_OK, AT_EACCESS) == 0) return false;
  return errno == EACCES || errno == EPERM || errno == EROFS;
}

FileVersion VersionOf(const struct stat& info) {
  FileVersion version;
  version.volume = static_cast<std::uint64_t>(info.st_dev);
  version.id[0] = static_cast<std::uint64_t>(info.st_ino);
  version.size = static_cast<std::uint64_t>(info.st_size);
  version.modified = std::int64_t{info.st_mtim.tv_sec} * 1'000'000'000 + info.st_mtim.tv_nsec;
  return version;
}

}  // namespace vantrel::platform::posix
