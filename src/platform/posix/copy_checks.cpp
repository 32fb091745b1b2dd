#include "platform/posix/copy_checks.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/file_checks.h"

namespace vantrel::platform::posix {

// Looks before opening, so a device is never opened at all, then opens without blocking (a FIFO
// with no writer would otherwise hang the window) and checks the opened file is the one seen.
std::error_code OpenSource(const std::string& from, UniqueFd& fd, struct stat& info) {
  struct stat seen {};
  if (::stat(from.c_str(), &seen) != 0) return LastError();
  if (!S_ISREG(seen.st_mode)) return ErrorOf(S_ISDIR(seen.st_mode) ? EISDIR : EINVAL);
  fd.Reset(::open(from.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!fd.valid()) return LastError();
  if (::fstat(fd.get(), &info) != 0) return LastError();
  if (!S_ISREG(info.st_mode) || !SameFile(info, seen)) return ErrorOf(EINVAL);
  const int flags = ::fcntl(fd.get(), F_GETFL);
  if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) return LastError();
  return {};
}

// The destination may be absent, a regular file, or a link to one; it must not be the source
// (checked on the name itself and on what it points to), a folder or a read-only file.
std::error_code CheckDestination(int folder_fd, const std::string& name,
                                 const struct stat& source) {
  if (name.empty()) return ErrorOf(EISDIR);
  struct stat own {};
  if (::fstatat(folder_fd, name.c_str(), &own, AT_SYMLINK_NOFOLLOW) != 0) {
    return errno == ENOENT ? std::error_code{} : LastError();
  }
  if (SameFile(own, source)) return ErrorOf(EINVAL);
  if (S_ISDIR(own.st_mode)) return ErrorOf(EISDIR);
  struct stat target = own;
  if (S_ISLNK(own.st_mode) && ::fstatat(folder_fd, name.c_str(), &target, 0) != 0) {
    return errno == ENOENT ? std::error_code{} : LastError();  // a dangling link is replaced
  }
  if (SameFile(target, source)) return ErrorOf(EINVAL);
  if (S_ISDIR(target.st_mode)) return ErrorOf(EISDIR);
  if (!S_ISREG(target.st_mode)) return ErrorOf(EINVAL);
  if (IsReadOnly(folder_fd, name, target)) return ErrorOf(EACCES);
  return {};
}

}  // namespace vantrel::platform::posix
