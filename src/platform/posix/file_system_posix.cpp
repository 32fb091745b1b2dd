// FileSystem on POSIX. Paths are raw bytes and are handed to the system unchanged.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/native.h"
#include "platform/posix/copy_file_posix.h"
#include "platform/posix/file_checks_posix.h"
#include "platform/posix/unique_fd_posix.h"

namespace vantrel::platform {
namespace {

using posix::ErrorOf;
using posix::LastError;

// Removes exactly one name. Refused: a folder (even an empty one), a path ending in a separator
// (nothing was selected, so it names the folder), and a read-only file, which Windows will not
// delete either (so a move of a read-only file leaves it in both folders). A link is removed
// itself; its target is never looked at.
std::error_code DeleteOneFile(const std::string& path) {
  const posix::PathParts parts = posix::SplitLastComponent(path);
  if (parts.name.empty() || parts.name == "." || parts.name == "..") return ErrorOf(EISDIR);
  posix::UniqueFd folder_fd(::open(parts.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder_fd.valid()) return LastError();
  struct stat info {};
  if (::fstatat(folder_fd.get(), parts.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
    return LastError();
  }
  if (S_ISDIR(info.st_mode)) return ErrorOf(EISDIR);
  if (S_ISREG(info.st_mode) && posix::IsReadOnly(folder_fd.get(), parts.name, info)) {
    return ErrorOf(EACCES);
  }
  if (::unlinkat(folder_fd.get(), parts.name.c_str(), 0) != 0) return LastError();
  return {};
}

class PosixFileSystem final : public FileSystem {
 public:
  std::error_code CopyFile(const std::string& from, const std::string& to) override {
    return posix::CopyFileSafely(from, to);
  }

  std::error_code DeleteFile(const std::string& path) override { return DeleteOneFile(path); }

  // One level only: a missing parent or an existing name fails.
  std::error_code MakeFolder(const std::string& path) override {
    if (::mkdir(path.c_str(), 0777) != 0) return LastError();
    return {};
  }

  // The length of a regular file (through a link); nullopt for anything else, folders included.
  std::optional<std::uint64_t> FileLength(const std::string& path) override {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    return static_cast<std::uint64_t>(info.st_size);
  }

  // The exact name only (no wildcards); a regular file or a link to one counts.
  std::string FileExists(const std::string& path) override {
    const posix::PathParts parts = posix::SplitLastComponent(path);
    struct stat info {};
    if (parts.name.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
      return {};
    }
    return parts.name;
  }
};

}  // namespace

std::unique_ptr<FileSystem> MakeNativeFileSystem() {
  return std::make_unique<PosixFileSystem>();
}

}  // namespace vantrel::platform
