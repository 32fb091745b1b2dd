#include "platform/posix/copy_file_posix.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/posix/file_checks_posix.h"
#include "platform/posix/temporary_files_posix.h"
#include "platform/posix/temporary_name_posix.h"
#include "platform/posix/unique_fd_posix.h"

namespace vantrel::platform::posix {
namespace {

constexpr int kTemporaryAttempts = 100;
constexpr std::uint64_t kWriteBehindChunk = std::uint64_t{32} << 20;
constexpr std::size_t kBufferSize = std::size_t{1} << 20;
constexpr std::uint64_t kToTheEnd = UINT64_MAX;

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool SameContentVersion(const struct stat& a, const struct stat& b) {
  return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
         a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

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

// Starts writing each finished chunk to disk while the next one is copied, and waits for the one
// before it, so the final fsync finds little left to do and the copy never piles up dirty memory
// (which would make the system throttle every writer, this one included). A flush that fails
// fails the copy: a wait that meets a write error takes that error for this descriptor, and the
// final fsync would then report success for data that never reached the disk.
class WriteBehind {
 public:
  explicit WriteBehind(int fd) : fd_(fd) {}
  // `reached`: the end of what has been written so far.
  std::error_code Advance(std::uint64_t reached) {
    while (reached >= started_ + kWriteBehindChunk) {
      if (auto error = Flush(started_, SYNC_FILE_RANGE_WRITE)) return error;
      if (started_ >= kWriteBehindChunk) {
        if (auto error = Flush(started_ - kWriteBehindChunk, SYNC_FILE_RANGE_WAIT_BEFORE |
                                                                 SYNC_FILE_RANGE_WRITE |
                                                                 SYNC_FILE_RANGE_WAIT_AFTER)) {
          return error;
        }
      }
      started_ += kWriteBehindChunk;
    }
    return {};
  }
  // Nothing is written in a hole: the next chunk starts where the data does again.
  void SkipTo(std::uint64_t offset) { started_ = std::max(started_, offset); }

 private:
  // A file that cannot be flushed this way (EINVAL, ENOSYS, ESPIPE, EOPNOTSUPP) is left to the
  // final fsync.
  std::error_code Flush(std::uint64_t from, unsigned int flags) {
    if (!available_) return {};
    if (::sync_file_range(fd_, static_cast<off64_t>(from), kWriteBehindChunk, flags) == 0) {
      return {};
    }
    if (errno == EINVAL || errno == ENOSYS || errno == ESPIPE || errno == EOPNOTSUPP) {
      available_ = false;
      return {};
    }
    return LastError();
  }

  int fd_;
  std::uint64_t started_ = 0;
  bool available_ = true;
};

bool KernelCopyUnsupported(int error) {
  return error == EXDEV || error == ENOSYS || error == EOPNOTSUPP || error == EINVAL ||
         error == EBADF;
}

// Copies byte ranges to the same offsets in the temporary file: inside the kernel where it can
// (copy_file_range), else through a buffer (other file systems, old kernels, files that give the
// kernel copy nothing). The kernel copy is given up for good at its first refusal.
class RangeCopier {
 public:
  RangeCopier(int in, int out) : in_(in), out_(out), write_behind_(out) {}

  // Copies [offset, end), or up to the source's end if that comes first; `reached` tells where
  // the copy stopped.
  std::error_code Copy(std::uint64_t offset, std::uint64_t end, std::uint64_t& reached) {
    write_behind_.SkipTo(offset);
    for (reached = offset; reached < end;) {
      const ssize_t moved = kernel_copy_ ? KernelCopy(reached, end) : BufferCopy(reached, end);
      if (moved < 0 && errno == EINTR) continue;
      if (moved < 0 && kernel_copy_ && KernelCopyUnsupported(errno)) {
        kernel_copy_ = false;
        continue;
      }
      if (moved < 0) return LastError();
      // Some pseudo files report a size but give copy_file_range nothing: read them instead.
      if (moved == 0 && kernel_copy_ && reached == offset) {
        kernel_copy_ = false;
        continue;
      }
      if (moved == 0) break;
      reached += static_cast<std::uint64_t>(moved);
      if (auto error = write_behind_.Advance(reached)) return error;
    }
    return {};
  }

 private:
  ssize_t KernelCopy(std::uint64_t at, std::uint64_t end) {
    auto in_offset = static_cast<off64_t>(at);
    auto out_offset = in_offset;
    return ::copy_file_range(in_, &in_offset, out_, &out_offset,
                             std::min(end - at, kWriteBehindChunk), 0);
  }

  // One buffer's worth: what was read is written out whole, or the call fails.
  ssize_t BufferCopy(std::uint64_t at, std::uint64_t end) {
    if (buffer_.empty()) buffer_.resize(kBufferSize);
    const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(end - at, kBufferSize));
    const ssize_t got = ::pread(in_, buffer_.data(), length, static_cast<off_t>(at));
    for (ssize_t done = 0; done < got;) {
      const ssize_t put =
          ::pwrite(out_, buffer_.data() + done, static_cast<std::size_t>(got - done),
                   static_cast<off_t>(at) + done);
      if (put < 0 && errno == EINTR) continue;
      if (put < 0) return -1;
      done += put;
    }
    return got;
  }

  int in_;
  int out_;
  bool kernel_copy_ = true;
  WriteBehind write_behind_;
  std::vector<char> buffer_;
};

// Copies the data regions one by one and sets the size last, so the holes stay holes: the
// kernel copy of a range with a hole in it writes the hole out as zeros on most file systems.
std::error_code CopyDataRegions(int in, int out, std::uint64_t size, RangeCopier& copier) {
  for (std::uint64_t at = 0; at < size;) {
    const off_t data = ::lseek(in, static_cast<off_t>(at), SEEK_DATA);
    if (data < 0 && errno == ENXIO) break;  // only a hole is left
    if (data < 0) return LastError();
    const off_t hole = ::lseek(in, data, SEEK_HOLE);
    if (hole < 0) return LastError();
    const std::uint64_t end = std::min(static_cast<std::uint64_t>(hole), size);
    if (static_cast<std::uint64_t>(data) >= end) break;
    std::uint64_t reached = 0;
    if (auto error = copier.Copy(static_cast<std::uint64_t>(data), end, reached)) return error;
    if (reached != end) return ErrorOf(EAGAIN);  // the source shrank while it was read
    at = end;
  }
  if (::ftruncate(out, static_cast<off_t>(size)) != 0) return LastError();
  return {};
}

// Fewer blocks than the size needs: the file may have holes. A file without any (the common
// case, told from its size and blocks alone) is copied in one range as it is, start to end.
bool MayHaveHoles(const struct stat& info) {
  return static_cast<std::uint64_t>(info.st_blocks) * 512 <
         static_cast<std::uint64_t>(info.st_size);
}

// A reflink clone first (instant, and keeps holes), else the data moved range by range.
std::error_code CopyData(int in, int out, const struct stat& source) {
  const auto size = static_cast<std::uint64_t>(source.st_size);
  if (size > 0 && ::ioctl(out, FICLONE, in) == 0) return {};
  RangeCopier copier(in, out);
  if (MayHaveHoles(source)) {
    const off_t first_hole = ::lseek(in, 0, SEEK_HOLE);
    if (first_hole >= 0 && static_cast<std::uint64_t>(first_hole) < size) {
      return CopyDataRegions(in, out, size, copier);
    }
  }
  std::uint64_t reached = 0;
  if (auto error = copier.Copy(0, kToTheEnd, reached)) return error;
  return reached == size ? std::error_code{} : ErrorOf(EAGAIN);
}

// A file system that keeps no permission bits or no times (FAT through fusefat answers ENOSYS;
// others EOPNOTSUPP, or EPERM where the owner and bits are fixed at mount time): the copy keeps
// the data, as cp does without -p.
bool MetadataUnsupported(int error) {
  return error == ENOSYS || error == EOPNOTSUPP || error == EPERM;
}

// The data, then permission bits and times as the source's where the file system keeps them,
// then on disk: only a file that reached the disk whole may replace the destination. An fsync
// error fails the copy; never retried.
std::error_code FillTemporary(int source_fd, const struct stat& source, int temp_fd) {
  if (auto error = CopyData(source_fd, temp_fd, source)) return error;
  struct stat after {};
  if (::fstat(source_fd, &after) != 0) return LastError();
  // The source changed while it was read: the copy would be neither the old nor the new file.
  if (!SameContentVersion(source, after)) return ErrorOf(EAGAIN);
  if (::fchmod(temp_fd, source.st_mode & 0777) != 0 && !MetadataUnsupported(errno)) {
    return LastError();
  }
  const struct timespec times[2] = {source.st_atim, source.st_mtim};
  if (::futimens(temp_fd, times) != 0 && !MetadataUnsupported(errno)) return LastError();
  if (::fsync(temp_fd) != 0) return LastError();
  return {};
}

// ---- The temporary file.

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

  bool named = temporary == TemporaryFile::kNamed;
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
