#include "platform/posix/copy_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/posix/copy_checks.h"
#include "platform/posix/copy_data.h"
#include "platform/posix/file_checks.h"
#include "platform/posix/temporary_files.h"
#include "platform/posix/temporary_name.h"
#include "platform/posix/unique_fd.h"

namespace vantrel::platform::posix {
namespace {

constexpr int kTemporaryAttempts = 100;

// A name the file system cannot store (not valid UTF-8 on exFAT or NTFS, too long in its own
// count): the short form, which owes nothing to the file's name, may still do.
bool NameRefused(int error) {
  return error == EILSEQ || error == EINVAL || error == ENAMETOOLONG;
}

// The hidden name to try next: the long form, or the short one once the long was refused.
std::string NextTemporaryName(const std::string& name, bool short_form) {
  return short_form ? ShortTemporaryName(RandomTail()) : TemporaryName(name);
}

// Makes the temporary file under a fresh hidden name and holds it (see HoldTemporary).
std::error_code CreateTemporary(int folder_fd, const std::string& name, std::string& temp_name,
                                UniqueFd& fd) {
  bool short_form = false;
  int error = EEXIST;
  for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
    temp_name = NextTemporaryName(name, short_form);
    fd.Reset(::openat(folder_fd, temp_name.c_str(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600));
    if (!fd.valid()) {
      error = errno;
      if (!short_form && NameRefused(error)) {
        short_form = true;
      } else if (error != EEXIST) {
        break;
      }
      continue;
    }
    bool lost = false;
    if (auto held = HoldTemporary(fd.get(), folder_fd, temp_name, lost)) {
      ::unlinkat(folder_fd, temp_name.c_str(), 0);  // made a moment ago, and still held
      fd.Reset();
      temp_name.clear();
      return held;
    }
    if (!lost) return {};
    fd.Reset();  // another copy's tidying has it, and removes it
  }
  temp_name.clear();
  return ErrorOf(error);
}

// The file is written through one descriptor and held (its lock) through a second one of the
// same open file, so that the first can be closed, and its close checked, with the file still
// held until it has taken the destination's name or gone. Removed on failure while still held.
std::error_code CopyThroughNamedFile(int source_fd, const struct stat& source, int folder_fd,
                                     const std::string& name) {
  std::string temp_name;
  UniqueFd temp_fd;
  if (auto error = CreateTemporary(folder_fd, name, temp_name, temp_fd)) return error;
  const UniqueFd held(::fcntl(temp_fd.get(), F_DUPFD_CLOEXEC, 0));
  if (!held.valid()) {
    const std::error_code error = LastError();
    ::unlinkat(folder_fd, temp_name.c_str(), 0);
    return error;
  }
  const TemporaryInProgress in_progress(folder_fd, temp_name, held.get());
  std::error_code error = FillTemporary(source_fd, source, temp_fd.get());
  // A close error can mean lost data: it fails the copy like an fsync error.
  if (!error && temp_fd.Close() != 0) error = LastError();
  if (!error && ::renameat(folder_fd, temp_name.c_str(), folder_fd, name.c_str()) != 0) {
    error = LastError();
  }
  if (error) ::unlinkat(folder_fd, temp_name.c_str(), 0);
  return error;
}

// Gives the complete unnamed file a fresh hidden name beside the destination. A link by the
// descriptor itself is allowed to the file's opener on current kernels; older ones allow it to
// privileged processes only (ENOENT otherwise), and the link through /proc is the way left.
std::error_code NameUnnamedFile(int fd, int folder_fd, const std::string& name,
                                std::string& temp_name) {
  const std::string through_proc = "/proc/self/fd/" + std::to_string(fd);
  bool by_descriptor = true;
  bool short_form = false;
  for (int attempt = 0; attempt < kTemporaryAttempts;) {
    temp_name = NextTemporaryName(name, short_form);
    const int linked = by_descriptor ? ::linkat(fd, "", folder_fd, temp_name.c_str(), AT_EMPTY_PATH)
                                     : ::linkat(AT_FDCWD, through_proc.c_str(), folder_fd,
                                                temp_name.c_str(), AT_SYMLINK_FOLLOW);
    if (linked == 0) return {};
    if (by_descriptor && errno == ENOENT) {
      by_descriptor = false;
      continue;
    }
    if (!short_form && NameRefused(errno)) {
      short_form = true;
      continue;
    }
    if (errno != EEXIST) break;
    ++attempt;  // another file took that name in the meantime: draw another
  }
  const std::error_code error = LastError();
  temp_name.clear();
  return error;
}

// Fills a file that has no name at all, names it only once it is complete and on disk, and
// renames it over the destination. `unavailable` is set when the file system cannot make an
// unnamed file or this process cannot name one: the caller then copies the named way. The file
// is held (locked) before it has a name, so its hidden name is never taken for a leftover.
std::error_code CopyThroughUnnamedFile(int source_fd, const struct stat& source, int folder_fd,
                                       const std::string& name, bool& unavailable) {
  UniqueFd temp_fd(::openat(folder_fd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
  if (!temp_fd.valid()) {
    // EISDIR: a kernel without O_TMPFILE opened the folder itself.
    unavailable = errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL;
    return LastError();
  }
  HoldUnnamedFile(temp_fd.get());
  // Failed or killed up to here, the copy leaves nothing: the file goes with its descriptor.
  if (auto error = FillTemporary(source_fd, source, temp_fd.get())) return error;
  std::string temp_name;
  if (auto error = NameUnnamedFile(temp_fd.get(), folder_fd, name, temp_name)) {
    unavailable = error == std::errc::no_such_file_or_directory;
    return error;
  }
  // The hidden name exists only from the linkat above to this renameat, two calls apart: the end
  // of the program removes it, and a copy killed between them leaves it to the next copy here.
  {
    const TemporaryInProgress in_progress(folder_fd, temp_name, temp_fd.get());
    if (::renameat(folder_fd, temp_name.c_str(), folder_fd, name.c_str()) != 0) {
      const std::error_code error = LastError();
      ::unlinkat(folder_fd, temp_name.c_str(), 0);
      return error;
    }
  }
  if (temp_fd.Close() != 0) return LastError();
  return {};
}

// A folder that cannot be flushed on this file system (EINVAL) holds the rename all the same. A
// folder opened for search only (EBADF: one the user may write to but not list) cannot be
// flushed by itself: the whole file system is, through the new file, so that a move never
// deletes its source while the new name may still be lost to a power cut.
std::error_code FlushFolder(int folder_fd, const std::string& name) {
  if (::fsync(folder_fd) == 0 || errno == EINVAL) return {};
  if (errno != EBADF) return LastError();
  constexpr int kFlags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  UniqueFd file(::openat(folder_fd, name.c_str(), O_RDONLY | kFlags));
  if (!file.valid()) file.Reset(::openat(folder_fd, name.c_str(), O_WRONLY | kFlags));
  if (!file.valid() || ::syncfs(file.get()) != 0) return LastError();
  return {};
}

// Opened for reading so it can be flushed; a folder the user may write to but not list is
// opened for search only.
UniqueFd OpenFolder(const std::string& folder) {
  UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.valid() && errno == EACCES) {
    fd.Reset(::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  }
  return fd;
}

}  // namespace

std::error_code CopyFileSafely(const std::string& from, const std::string& to, FileVersion* copied,
                               TemporaryFile temporary) {
  UniqueFd source_fd;
  struct stat source {};
  if (auto error = OpenSource(from, source_fd, source)) return error;

  const PathParts parts = SplitLastComponent(to);
  UniqueFd folder_fd = OpenFolder(parts.folder);
  if (!folder_fd.valid()) return LastError();
  if (auto error = CheckDestination(folder_fd.get(), parts.name, source)) return error;
  RemoveLeftoverTemporaries(folder_fd.get(), source, parts.name);

  bool named = temporary == TemporaryFile::Named;
  std::error_code error;
  if (!named) {
    error = CopyThroughUnnamedFile(source_fd.get(), source, folder_fd.get(), parts.name, named);
  }
  if (named) error = CopyThroughNamedFile(source_fd.get(), source, folder_fd.get(), parts.name);
  if (error) return error;
  // After the rename the new file is in place; a failed flush still reports failure, so a move
  // keeps its source.
  if (auto flush_error = FlushFolder(folder_fd.get(), parts.name)) return flush_error;
  if (copied != nullptr) *copied = VersionOf(source);
  return {};
}

}  // namespace vantrel::platform::posix
