#include "platform/posix/copy_file_posix.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <random>
#include <vector>

#include "platform/posix/file_checks_posix.h"
#include "platform/posix/unique_fd_posix.h"

namespace vantrel::platform::posix {
namespace {

constexpr std::size_t kNameMax = 255;
constexpr char kTemporaryTag[] = ".vantrel-";
constexpr std::size_t kRandomLength = 6;
constexpr int kTemporaryAttempts = 100;
constexpr std::uint64_t kWriteBehindChunk = std::uint64_t{32} << 20;
constexpr std::size_t kBufferSize = std::size_t{1} << 20;

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

std::string RandomSuffix() {
  static constexpr char kAlphabet[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937_64 engine{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof(kAlphabet) - 2);
  std::string suffix(kRandomLength, ' ');
  for (char& c : suffix) c = kAlphabet[pick(engine)];
  return suffix;
}

// ".<name>.vantrel-XXXXXX", the name shortened so the whole fits in one component.
std::string TemporaryName(const std::string& name) {
  const std::size_t room = kNameMax - 1 - (sizeof(kTemporaryTag) - 1) - kRandomLength;
  return "." + name.substr(0, room) + kTemporaryTag + RandomSuffix();
}

std::error_code CreateTemporary(int folder_fd, const std::string& name, std::string& temp_name,
                                UniqueFd& fd) {
  for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
    temp_name = TemporaryName(name);
    fd.Reset(::openat(folder_fd, temp_name.c_str(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600));
    if (fd.valid()) return {};
    if (errno != EEXIST) break;
  }
  const std::error_code error = LastError();
  temp_name.clear();
  return error;
}

// Starts writing each finished chunk to disk while the next one is copied, and waits for the one
// before it, so the final fsync finds little left to do and the copy never piles up dirty memory
// (which would make the system throttle every writer, this one included).
class WriteBehind {
 public:
  explicit WriteBehind(int fd) : fd_(fd) {}
  void Advance(std::uint64_t copied) {
    while (copied - started_ >= kWriteBehindChunk) {
      ::sync_file_range(fd_, static_cast<off64_t>(started_), kWriteBehindChunk,
                        SYNC_FILE_RANGE_WRITE);
      if (started_ >= kWriteBehindChunk) {
        ::sync_file_range(
            fd_, static_cast<off64_t>(started_ - kWriteBehindChunk), kWriteBehindChunk,
            SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
      }
      started_ += kWriteBehindChunk;
    }
  }

 private:
  int fd_;
  std::uint64_t started_ = 0;
};

bool KernelCopyUnsupported(int error) {
  return error == EXDEV || error == ENOSYS || error == EOPNOTSUPP || error == EINVAL ||
         error == EBADF;
}

std::error_code CopyByReadWrite(int in, int out, std::uint64_t& copied) {
  std::vector<char> buffer(kBufferSize);
  WriteBehind write_behind(out);
  for (;;) {
    const ssize_t got = ::read(in, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return LastError();
    if (got == 0) return {};
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = ::write(out, buffer.data() + done, static_cast<std::size_t>(got - done));
      if (put < 0 && errno == EINTR) continue;
      if (put < 0) return LastError();
      done += put;
    }
    copied += static_cast<std::uint64_t>(got);
    write_behind.Advance(copied);
  }
}

// Moves the data inside the kernel where it can: a reflink clone, else copy_file_range, else a
// plain read/write loop (other file systems, old kernels, files that report no kernel copy).
std::error_code CopyData(int in, int out, std::uint64_t expected, std::uint64_t& copied) {
  if (expected > 0 && ::ioctl(out, FICLONE, in) == 0) {
    copied = expected;
    return {};
  }
  WriteBehind write_behind(out);
  for (;;) {
    const ssize_t moved = ::copy_file_range(in, nullptr, out, nullptr, kWriteBehindChunk, 0);
    if (moved < 0 && errno == EINTR) continue;
    if (moved < 0 && KernelCopyUnsupported(errno)) return CopyByReadWrite(in, out, copied);
    if (moved < 0) return LastError();
    // Some pseudo files report a size but give nothing to copy_file_range: read them instead.
    if (moved == 0 && copied == 0 && expected > 0) return CopyByReadWrite(in, out, copied);
    if (moved == 0) return {};
    copied += static_cast<std::uint64_t>(moved);
    write_behind.Advance(copied);
  }
}

// Permission bits and times as the source's, then on disk: only a file that reached the disk
// whole may replace the destination. An fsync or close error fails the copy; never retried.
std::error_code FinishTemporary(UniqueFd& fd, const struct stat& source) {
  if (::fchmod(fd.get(), source.st_mode & 0777) != 0) return LastError();
  const struct timespec times[2] = {source.st_atim, source.st_mtim};
  if (::futimens(fd.get(), times) != 0) return LastError();
  if (::fsync(fd.get()) != 0) return LastError();
  if (fd.Close() != 0) return LastError();
  return {};
}

std::error_code FillTemporary(int source_fd, const struct stat& source, UniqueFd& temp_fd) {
  std::uint64_t copied = 0;
  const auto expected = static_cast<std::uint64_t>(source.st_size);
  if (auto error = CopyData(source_fd, temp_fd.get(), expected, copied)) return error;
  struct stat after {};
  if (::fstat(source_fd, &after) != 0) return LastError();
  // The source changed while it was read: the copy would be neither the old nor the new file.
  if (copied != expected || !SameContentVersion(source, after)) return ErrorOf(EAGAIN);
  return FinishTemporary(temp_fd, source);
}

// A folder that cannot be flushed on this file system (EINVAL) holds the rename all the same.
// A folder opened for search only (EBADF) cannot be flushed either.
std::error_code FlushFolder(int folder_fd) {
  if (::fsync(folder_fd) == 0 || errno == EINVAL || errno == EBADF) return {};
  return LastError();
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

std::error_code CopyFileSafely(const std::string& from, const std::string& to) {
  UniqueFd source_fd;
  struct stat source {};
  if (auto error = OpenSource(from, source_fd, source)) return error;

  const PathParts parts = SplitLastComponent(to);
  UniqueFd folder_fd = OpenFolder(parts.folder);
  if (!folder_fd.valid()) return LastError();
  if (auto error = CheckDestination(folder_fd.get(), parts.name, source)) return error;

  std::string temp_name;
  UniqueFd temp_fd;
  if (auto error = CreateTemporary(folder_fd.get(), parts.name, temp_name, temp_fd)) return error;
  std::error_code error = FillTemporary(source_fd.get(), source, temp_fd);
  if (!error &&
      ::renameat(folder_fd.get(), temp_name.c_str(), folder_fd.get(), parts.name.c_str()) != 0) {
    error = LastError();
  }
  if (error) {
    temp_fd.Reset();
    ::unlinkat(folder_fd.get(), temp_name.c_str(), 0);
    return error;
  }
  // After the rename the new file is in place; a failed flush still reports failure, so a move
  // keeps its source.
  return FlushFolder(folder_fd.get());
}

}  // namespace vantrel::platform::posix
