#include "platform/posix/copy_data.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <vector>

#include "platform/posix/unique_fd.h"

namespace vantrel::platform::posix {
namespace {

constexpr std::uint64_t kWriteBehindChunk = std::uint64_t{32} << 20;
constexpr std::size_t kBufferSize = std::size_t{1} << 20;
constexpr std::uint64_t kToTheEnd = UINT64_MAX;

bool SameContentVersion(const struct stat& a, const struct stat& b) {
  return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
         a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
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

}  // namespace

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

}  // namespace vantrel::platform::posix
