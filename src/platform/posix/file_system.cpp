// FileSystem on POSIX. Paths are raw bytes and are handed to the system unchanged.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/os_services.h"
#include "platform/posix/copy_file.h"
#include "platform/posix/file_checks.h"
#include "platform/posix/unique_fd.h"

namespace vantrel::platform {
namespace {

using posix::ErrorOf;
using posix::LastError;

// A name about to be deleted, in its opened folder, as seen without following a link.
struct NameToDelete {
  posix::UniqueFd folder_fd;
  std::string name;
  struct stat own {};
};

// Refused before anything is removed: a folder (even an empty one), a path ending in a separator
// (nothing was selected, so it names the folder), and a read-only file, which Windows will not
// delete either (so a move of a read-only file leaves it in both folders). A link is removed
// itself; whether its target may be deleted is never asked.
std::error_code LookBeforeDelete(const std::string& path, NameToDelete& target) {
  const posix::PathParts parts = posix::SplitLastComponent(path);
  if (parts.name.empty() || parts.name == "." || parts.name == "..") return ErrorOf(EISDIR);
  target.folder_fd.Reset(::open(parts.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!target.folder_fd.valid()) return LastError();
  target.name = parts.name;
  if (::fstatat(target.folder_fd.get(), target.name.c_str(), &target.own, AT_SYMLINK_NOFOLLOW) !=
      0) {
    return LastError();
  }
  if (S_ISDIR(target.own.st_mode)) return ErrorOf(EISDIR);
  if (S_ISREG(target.own.st_mode) &&
      posix::IsReadOnly(target.folder_fd.get(), target.name, target.own)) {
    return ErrorOf(EACCES);
  }
  return {};
}

std::error_code DeleteOneFile(const std::string& path) {
  NameToDelete target;
  if (auto error = LookBeforeDelete(path, target)) return error;
  if (::unlinkat(target.folder_fd.get(), target.name.c_str(), 0) != 0) return LastError();
  return {};
}

// The copy opened the source through any link, so what it read was the link's target: the
// guard compares what the name points to now with that version, and the name itself (the link,
// as DeleteOneFile would) is what goes. A name that no longer leads to that very version (another
// file renamed over it, the file rewritten in place, the link pointed elsewhere or dangling) is
// left alone. The look and the unlink are the two last calls, in the one folder already open:
// POSIX has no unlink that checks the file, so this is as close as the check can get.
std::error_code DeleteIfStillCopied(const std::string& path, const FileVersion& copied) {
  NameToDelete target;
  if (auto error = LookBeforeDelete(path, target)) return error;
  struct stat now = target.own;
  if (S_ISLNK(target.own.st_mode) &&
      ::fstatat(target.folder_fd.get(), target.name.c_str(), &now, 0) != 0) {
    return LastError();
  }
  if (!S_ISREG(now.st_mode) || posix::VersionOf(now) != copied) return ErrorOf(ESTALE);
  if (::unlinkat(target.folder_fd.get(), target.name.c_str(), 0) != 0) return LastError();
  return {};
}

class PosixFileSystem final : public FileSystem {
 public:
  using FileSystem::CopyFile;
  std::error_code CopyFile(const std::string& from, const std::string& to,
                           FileVersion* copied) override {
    return posix::CopyFileSafely(from, to, copied);
  }

  std::error_code DeleteFile(const std::string& path) override { return DeleteOneFile(path); }

  std::error_code DeleteCopiedFile(const std::string& path, const FileVersion& copied) override {
    return DeleteIfStillCopied(path, copied);
  }

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
