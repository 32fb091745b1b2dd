// Failing system calls on request, for the failing-call sweep of the file operations. Preloaded
// (LD_PRELOAD) into fault_driver, it stands in front of the C library's file-system calls. While
// the driver has armed it (vantrel_fault_arm, right before the operation; vantrel_fault_disarm
// right after), it counts those calls and makes the N-th one fail instead of reaching the system,
// the way a failing disk, a full disk or an exhausted quota would. The loader's, the driver's and
// this library's own calls are never counted.
//
// Set by the environment:
//   VANTREL_FAULT_AT=N          the counted call to fail (1 is the first); 0 or absent: none
//   VANTREL_FAULT_ERROR=E       EIO (default): every counted call may fail, with EIO; ENOSPC or
//                               EDQUOT: only the calls that can report a full disk or quota are
//                               counted (writes, flushes, creating a name, closing a written file);
//                               ENOSYS, EOPNOTSUPP, EPERM, EILSEQ, EINVAL or ENAMETOOLONG: as EIO,
//                               for the answers of file systems that cannot do what a call asks
//                               (with VANTREL_FAULT_CALL, to choose the call)
//   VANTREL_FAULT_CALL=NAME     only the calls of that name are counted (as the marker names
//                               them: "sync_file_range", "close(written)", ...)
//   VANTREL_FAULT_MARKER=PATH   one line "N call ERROR" is appended there when a call was failed
//   VANTREL_FAULT_NO_KERNEL_COPY=1  copy_file_range refuses (EXDEV), as between file systems
//   VANTREL_FAULT_NO_UNNAMED=1      open with O_TMPFILE refuses (EOPNOTSUPP), as on file systems
//                                   that cannot make unnamed files
// The two refusals are the system's own answers, not failures: they are not counted.
//
// Only what fails is simulated: a failed call does nothing, except close, which on Linux frees
// the descriptor whatever it returns.
#undef _FORTIFY_SOURCE
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif

#include <dlfcn.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Whether a call can report a full disk or an exhausted quota.
enum class Room { kNever, kMayRunOut };

struct State {
  bool configured = false;
  bool armed = false;
  long target = 0;
  long counted = 0;
  int error = EIO;
  bool full_disk_errors_only = false;
  bool refuse_kernel_copy = false;
  bool refuse_unnamed = false;
  const char* only_call = nullptr;
  const char* marker = nullptr;
};

State state;

// Descriptors open for writing, so that only their close counts as a call that can run out of
// room (NFS reports a full disk there).
constexpr int kTrackedDescriptors = 4096;
bool written[kTrackedDescriptors];

void TrackWriting(int fd, int flags) {
  if (fd < 0 || fd >= kTrackedDescriptors) return;
  written[fd] = (flags & O_ACCMODE) != O_RDONLY;
}

bool IsWriting(int fd) {
  return fd >= 0 && fd < kTrackedDescriptors && written[fd];
}

// The C library's own function behind one of ours.
template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}
#define REAL(name)                                         \
  static const auto real = Next<decltype(&::name)>(#name); \
  if (real == nullptr) {                                   \
    errno = ENOSYS;                                        \
    return -1;                                             \
  }

struct NamedError {
  const char* name;
  int value;
};
constexpr NamedError kErrors[] = {
    {"EIO", EIO},       {"ENOSPC", ENOSPC},         {"EDQUOT", EDQUOT},
    {"ENOSYS", ENOSYS}, {"EOPNOTSUPP", EOPNOTSUPP}, {"EPERM", EPERM},
    {"EILSEQ", EILSEQ}, {"EINVAL", EINVAL},         {"ENAMETOOLONG", ENAMETOOLONG}};

const char* ErrorName(int error) {
  for (const NamedError& named : kErrors) {
    if (named.value == error) return named.name;
  }
  return "EIO";
}

void Configure() {
  if (state.configured) return;
  state.configured = true;
  if (const char* at = std::getenv("VANTREL_FAULT_AT")) state.target = std::atol(at);
  if (const char* error = std::getenv("VANTREL_FAULT_ERROR")) {
    for (const NamedError& named : kErrors) {
      if (std::strcmp(error, named.name) == 0) state.error = named.value;
    }
  }
  state.full_disk_errors_only = state.error == ENOSPC || state.error == EDQUOT;
  state.only_call = std::getenv("VANTREL_FAULT_CALL");
  state.marker = std::getenv("VANTREL_FAULT_MARKER");
  state.refuse_kernel_copy = std::getenv("VANTREL_FAULT_NO_KERNEL_COPY") != nullptr;
  state.refuse_unnamed = std::getenv("VANTREL_FAULT_NO_UNNAMED") != nullptr;
}

// Appended with the system's own calls, while disarmed, so the marker is never counted.
void Mark(const char* call) {
  if (state.marker == nullptr) return;
  static const auto real_open = Next<int (*)(const char*, int, ...)>("open");
  static const auto real_write = Next<ssize_t (*)(int, const void*, size_t)>("write");
  static const auto real_close = Next<int (*)(int)>("close");
  if (real_open == nullptr || real_write == nullptr || real_close == nullptr) return;
  char line[128];
  const int length =
      std::snprintf(line, sizeof line, "%ld %s %s\n", state.counted, call, ErrorName(state.error));
  const int fd = real_open(state.marker, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  if (length > 0) real_write(fd, line, static_cast<size_t>(length));
  real_close(fd);
}

// Counts the call when armed and tells whether it is the one to fail; errno is then set.
bool Fails(const char* call, Room room) {
  if (!state.armed) return false;
  if (state.full_disk_errors_only && room == Room::kNever) return false;
  if (state.only_call != nullptr && std::strcmp(call, state.only_call) != 0) return false;
  if (++state.counted != state.target) return false;
  state.armed = false;
  Mark(call);
  state.armed = true;
  errno = state.error;
  return true;
}

bool Creates(int flags) {
  return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE;
}

// The opening calls: an unnamed file refused, or the failure, or the system's own answer.
template <typename OpenIt>
int Open(const char* call, int flags, OpenIt open_it) {
  if (state.armed && state.refuse_unnamed && (flags & O_TMPFILE) == O_TMPFILE) {
    errno = EOPNOTSUPP;
    return -1;
  }
  if (Fails(call, Creates(flags) ? Room::kMayRunOut : Room::kNever)) return -1;
  const int fd = open_it();
  TrackWriting(fd, flags);
  return fd;
}

}  // namespace

extern "C" {

// ---- The driver's controls.

__attribute__((visibility("default"))) void vantrel_fault_arm() {
  Configure();
  state.counted = 0;
  state.armed = true;
}

// The number of calls counted since arming.
__attribute__((visibility("default"))) long vantrel_fault_disarm() {
  state.armed = false;
  return state.counted;
}

// ---- Opening, reading and writing.

// The mode argument is there only when the call creates a file.
#define MODE_OF(flags)                             \
  mode_t mode = 0;                                 \
  if (Creates(flags)) {                            \
    va_list args;                                  \
    va_start(args, flags);                         \
    mode = static_cast<mode_t>(va_arg(args, int)); \
    va_end(args);                                  \
  }

int open(const char* path, int flags, ...) {
  MODE_OF(flags);
  REAL(open);
  return Open("open", flags, [&] { return real(path, flags, mode); });
}

int open64(const char* path, int flags, ...) {
  MODE_OF(flags);
  REAL(open64);
  return Open("open64", flags, [&] { return real(path, flags, mode); });
}

int openat(int folder, const char* path, int flags, ...) {
  MODE_OF(flags);
  REAL(openat);
  return Open("openat", flags, [&] { return real(folder, path, flags, mode); });
}

int openat64(int folder, const char* path, int flags, ...) {
  MODE_OF(flags);
  REAL(openat64);
  return Open("openat64", flags, [&] { return real(folder, path, flags, mode); });
}

int close(int fd) {
  REAL(close);
  const bool writing = IsWriting(fd);
  TrackWriting(fd, O_RDONLY);
  if (Fails(writing ? "close(written)" : "close(read-only)",
            writing ? Room::kMayRunOut : Room::kNever)) {
    const int error = errno;
    real(fd);
    errno = error;
    return -1;
  }
  return real(fd);
}

ssize_t read(int fd, void* buffer, size_t size) {
  REAL(read);
  if (Fails("read", Room::kNever)) return -1;
  return real(fd, buffer, size);
}

ssize_t write(int fd, const void* buffer, size_t size) {
  REAL(write);
  if (Fails("write", Room::kMayRunOut)) return -1;
  return real(fd, buffer, size);
}

ssize_t pread(int fd, void* buffer, size_t size, off_t offset) {
  REAL(pread);
  if (Fails("pread", Room::kNever)) return -1;
  return real(fd, buffer, size, offset);
}

ssize_t pread64(int fd, void* buffer, size_t size, off64_t offset) {
  REAL(pread64);
  if (Fails("pread64", Room::kNever)) return -1;
  return real(fd, buffer, size, offset);
}

ssize_t pwrite(int fd, const void* buffer, size_t size, off_t offset) {
  REAL(pwrite);
  if (Fails("pwrite", Room::kMayRunOut)) return -1;
  return real(fd, buffer, size, offset);
}

ssize_t pwrite64(int fd, const void* buffer, size_t size, off64_t offset) {
  REAL(pwrite64);
  if (Fails("pwrite64", Room::kMayRunOut)) return -1;
  return real(fd, buffer, size, offset);
}

ssize_t copy_file_range(int in, off64_t* in_offset, int out, off64_t* out_offset, size_t size,
                        unsigned int flags) {
  REAL(copy_file_range);
  if (state.armed && state.refuse_kernel_copy) {
    errno = EXDEV;
    return -1;
  }
  if (Fails("copy_file_range", Room::kMayRunOut)) return -1;
  return real(in, in_offset, out, out_offset, size, flags);
}

// The reflink clone (FICLONE) and any other request.
int ioctl(int fd, unsigned long request, ...) noexcept {
  va_list args;
  va_start(args, request);
  void* argument = va_arg(args, void*);
  va_end(args);
  REAL(ioctl);
  if (Fails(request == FICLONE ? "ioctl(FICLONE)" : "ioctl", Room::kMayRunOut)) return -1;
  return real(fd, request, argument);
}

// ---- Flushing and sizing.

int sync_file_range(int fd, off64_t offset, off64_t size, unsigned int flags) {
  REAL(sync_file_range);
  if (Fails("sync_file_range", Room::kMayRunOut)) return -1;
  return real(fd, offset, size, flags);
}

int fsync(int fd) {
  REAL(fsync);
  if (Fails("fsync", Room::kMayRunOut)) return -1;
  return real(fd);
}

int syncfs(int fd) {
  REAL(syncfs);
  if (Fails("syncfs", Room::kMayRunOut)) return -1;
  return real(fd);
}

int fdatasync(int fd) {
  REAL(fdatasync);
  if (Fails("fdatasync", Room::kMayRunOut)) return -1;
  return real(fd);
}

int ftruncate(int fd, off_t size) noexcept {
  REAL(ftruncate);
  if (Fails("ftruncate", Room::kNever)) return -1;
  return real(fd, size);
}

int ftruncate64(int fd, off64_t size) noexcept {
  REAL(ftruncate64);
  if (Fails("ftruncate64", Room::kNever)) return -1;
  return real(fd, size);
}

// SEEK_DATA and SEEK_HOLE, which ask the file system where a sparse file's data lies.
off_t lseek(int fd, off_t offset, int whence) noexcept {
  REAL(lseek);
  if (Fails("lseek", Room::kNever)) return -1;
  return real(fd, offset, whence);
}

off64_t lseek64(int fd, off64_t offset, int whence) noexcept {
  REAL(lseek64);
  if (Fails("lseek64", Room::kNever)) return -1;
  return real(fd, offset, whence);
}

// ---- Names: links, renames, removals and folders.

int link(const char* from, const char* to) noexcept {
  REAL(link);
  if (Fails("link", Room::kMayRunOut)) return -1;
  return real(from, to);
}

int linkat(int from_folder, const char* from, int to_folder, const char* to, int flags) noexcept {
  REAL(linkat);
  if (Fails("linkat", Room::kMayRunOut)) return -1;
  return real(from_folder, from, to_folder, to, flags);
}

int rename(const char* from, const char* to) noexcept {
  REAL(rename);
  if (Fails("rename", Room::kMayRunOut)) return -1;
  return real(from, to);
}

int renameat(int from_folder, const char* from, int to_folder, const char* to) noexcept {
  REAL(renameat);
  if (Fails("renameat", Room::kMayRunOut)) return -1;
  return real(from_folder, from, to_folder, to);
}

int renameat2(int from_folder, const char* from, int to_folder, const char* to,
              unsigned int flags) noexcept {
  REAL(renameat2);
  if (Fails("renameat2", Room::kMayRunOut)) return -1;
  return real(from_folder, from, to_folder, to, flags);
}

int unlink(const char* path) noexcept {
  REAL(unlink);
  if (Fails("unlink", Room::kNever)) return -1;
  return real(path);
}

int unlinkat(int folder, const char* path, int flags) noexcept {
  REAL(unlinkat);
  if (Fails("unlinkat", Room::kNever)) return -1;
  return real(folder, path, flags);
}

int mkdir(const char* path, mode_t mode) noexcept {
  REAL(mkdir);
  if (Fails("mkdir", Room::kMayRunOut)) return -1;
  return real(path, mode);
}

int mkdirat(int folder, const char* path, mode_t mode) noexcept {
  REAL(mkdirat);
  if (Fails("mkdirat", Room::kMayRunOut)) return -1;
  return real(folder, path, mode);
}

// ---- Looking at files, and setting their bits and times.

int stat(const char* path, struct stat* info) noexcept {
  REAL(stat);
  if (Fails("stat", Room::kNever)) return -1;
  return real(path, info);
}

int stat64(const char* path, struct stat64* info) noexcept {
  REAL(stat64);
  if (Fails("stat64", Room::kNever)) return -1;
  return real(path, info);
}

int lstat(const char* path, struct stat* info) noexcept {
  REAL(lstat);
  if (Fails("lstat", Room::kNever)) return -1;
  return real(path, info);
}

int fstat(int fd, struct stat* info) noexcept {
  REAL(fstat);
  if (Fails("fstat", Room::kNever)) return -1;
  return real(fd, info);
}

int fstat64(int fd, struct stat64* info) noexcept {
  REAL(fstat64);
  if (Fails("fstat64", Room::kNever)) return -1;
  return real(fd, info);
}

int fstatat(int folder, const char* path, struct stat* info, int flags) noexcept {
  REAL(fstatat);
  if (Fails("fstatat", Room::kNever)) return -1;
  return real(folder, path, info, flags);
}

int fstatat64(int folder, const char* path, struct stat64* info, int flags) noexcept {
  REAL(fstatat64);
  if (Fails("fstatat64", Room::kNever)) return -1;
  return real(folder, path, info, flags);
}

int statx(int folder, const char* path, int flags, unsigned int mask, struct statx* info) noexcept {
  REAL(statx);
  if (Fails("statx", Room::kNever)) return -1;
  return real(folder, path, flags, mask, info);
}

int faccessat(int folder, const char* path, int mode, int flags) noexcept {
  REAL(faccessat);
  if (Fails("faccessat", Room::kNever)) return -1;
  return real(folder, path, mode, flags);
}

int fchmod(int fd, mode_t mode) noexcept {
  REAL(fchmod);
  if (Fails("fchmod", Room::kNever)) return -1;
  return real(fd, mode);
}

int futimens(int fd, const struct timespec times[2]) noexcept {
  REAL(futimens);
  if (Fails("futimens", Room::kNever)) return -1;
  return real(fd, times);
}

}  // extern "C"
