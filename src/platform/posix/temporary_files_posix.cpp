#include "platform/posix/temporary_files_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/native.h"
#include "platform/posix/temporary_name_posix.h"
#include "platform/posix/unique_fd_posix.h"

// Why flock marks a temporary file being written, and why that is safe where it is not kept
// everywhere:
// - flock belongs to the open file, not to the process (unlike the locks of fcntl's F_SETLK, which
//   any close of the same file by the same process would drop), so the tidying of this very
//   process, opening the file on its own, sees it held too.
// - A FUSE file system that does not implement locking (exfat-fuse, fusefat, ntfs-3g, sshfs)
//   gets flock kept by the kernel itself, on this machine: every process here sees it.
// - NFS sends flock to the server as a lock of the whole file, seen by every client.
// - Where a lock is not seen (a cleaner on another machine, a mount with local locks only), the
//   worst a cleaner can do is remove a temporary still being written: that copy's rename then
//   fails, the copy reports the failure, and its destination and source are as they were.
// - A file system that refuses locks altogether leaves running copies unmarked, and its leftovers
//   are then never taken for abandoned: nothing is removed there.

namespace vantrel::platform::posix {
namespace {

// How long the end of the program waits for its temporary files to go: a hung file system must
// not keep a closed window's process alive.
constexpr std::chrono::milliseconds kEndingWait{100};

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether the name in the folder names the file open as `fd`.
bool NameLeadsTo(int folder_fd, const std::string& name, const struct stat& opened) {
  struct stat named {};
  return ::fstatat(folder_fd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
         SameFile(named, opened);
}

// The files a copy must never take for leftovers: its source, and the file at its destination
// (which a file system that ignores letter case may list under another spelling).
struct Kept {
  struct stat source;
  std::optional<struct stat> destination;
};

bool MayBeLeftOver(const struct stat& seen, const Kept& kept) {
  return S_ISREG(seen.st_mode) && seen.st_uid == ::geteuid() && seen.st_nlink == 1 &&
         !SameFile(seen, kept.source) && !(kept.destination && SameFile(seen, *kept.destination));
}

// Only a file this call holds locked goes, and only while the name still leads to it: a copy
// that made a new file under the same name in between holds that one, or will find it gone and
// draw another name.
void RemoveIfLeftOver(int folder_fd, const std::string& name, const Kept& kept) {
  struct stat seen {};
  if (::fstatat(folder_fd, name.c_str(), &seen, AT_SYMLINK_NOFOLLOW) != 0) return;
  if (!MayBeLeftOver(seen, kept)) return;
  const UniqueFd fd(
      ::openat(folder_fd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat opened {};
  if (!fd.valid() || ::fstat(fd.get(), &opened) != 0 || !SameFile(opened, seen)) return;
  if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return;  // a copy holds it, or no locks here
  if (NameLeadsTo(folder_fd, name, opened)) ::unlinkat(folder_fd, name.c_str(), 0);
}

// ---- The record of the temporary files this process is writing.

struct Entry {
  std::uint64_t id;
  int folder_fd;
  std::string name;
  int fd;  // the temporary file, open for as long as the entry is recorded
};

struct Record {
  std::mutex mutex;
  std::vector<Entry> entries;
  std::uint64_t next_id = 1;
};

// Never destroyed: a worker still writing as the process ends may reach it after main returns.
Record& TheRecord() {
  static Record* const record = new Record;
  return *record;
}

// Removes each recorded name that still leads to its file; one the copy has renamed over its
// destination meanwhile no longer does.
void RemoveRecorded() {
  Record& record = TheRecord();
  const std::lock_guard lock(record.mutex);
  for (const Entry& entry : record.entries) {
    struct stat opened {};
    if (::fstat(entry.fd, &opened) == 0 && NameLeadsTo(entry.folder_fd, entry.name, opened)) {
      ::unlinkat(entry.folder_fd, entry.name.c_str(), 0);
    }
  }
}

bool NothingRecorded() {
  Record& record = TheRecord();
  const std::unique_lock lock(record.mutex, std::try_to_lock);
  return lock.owns_lock() && record.entries.empty();
}

}  // namespace

std::error_code HoldTemporary(int fd, int folder_fd, const std::string& name, bool& lost) {
  lost = false;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    lost = true;  // a tidying copy has it open and locked, and is about to remove it
    return {};
  }
  struct stat opened {};
  struct stat named {};
  if (::fstat(fd, &opened) != 0) return LastError();
  // Only a name that is gone, or leads elsewhere, was taken: a failed look fails the copy.
  if (::fstatat(folder_fd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno != ENOENT) return LastError();
    lost = true;
    return {};
  }
  lost = !SameFile(named, opened);
  return {};
}

void HoldUnnamedFile(int fd) {
  ::flock(fd, LOCK_EX | LOCK_NB);  // nobody else can reach an unnamed file: only "no locks" fails
}

void RemoveLeftoverTemporaries(int folder_fd, const struct stat& source,
                               const std::string& destination) {
  // A second descriptor of the same open folder (a search-only one cannot be listed, and fails
  // here), so that nothing is opened by name for the listing.
  const int listing_fd = ::fcntl(folder_fd, F_DUPFD_CLOEXEC, 0);
  if (listing_fd < 0) return;
  DIR* folder = ::fdopendir(listing_fd);
  if (folder == nullptr) {
    ::close(listing_fd);
    return;
  }
  std::vector<std::string> candidates;
  while (const dirent* entry = ::readdir(folder)) {
    if (entry->d_type != DT_REG && entry->d_type != DT_UNKNOWN) continue;
    const std::string_view name = entry->d_name;
    if (name != destination && IsTemporaryName(name)) candidates.emplace_back(name);
  }
  ::closedir(folder);
  if (candidates.empty()) return;
  Kept kept{source, std::nullopt};
  struct stat destination_file {};
  if (::fstatat(folder_fd, destination.c_str(), &destination_file, AT_SYMLINK_NOFOLLOW) == 0) {
    kept.destination = destination_file;
  } else if (errno != ENOENT) {
    return;  // what is at the destination cannot be told: nothing is removed
  }
  for (const std::string& name : candidates) RemoveIfLeftOver(folder_fd, name, kept);
}

TemporaryInProgress::TemporaryInProgress(int folder_fd, std::string name, int fd) {
  Record& record = TheRecord();
  const std::lock_guard lock(record.mutex);
  id_ = record.next_id++;
  record.entries.push_back({id_, folder_fd, std::move(name), fd});
}

TemporaryInProgress::~TemporaryInProgress() {
  Record& record = TheRecord();
  const std::lock_guard lock(record.mutex);
  std::erase_if(record.entries, [this](const Entry& entry) { return entry.id == id_; });
}

}  // namespace vantrel::platform::posix

namespace vantrel::platform {

// The removal runs on a thread of its own, waited for a short while only: a copy stuck on a
// file system that stopped answering would hold it up, and the window must still go at once.
void RemoveCopiesInProgress() {
  if (posix::NothingRecorded()) return;
  struct Done {
    std::mutex mutex;
    std::condition_variable changed;
    bool done = false;
  };
  const auto done = std::make_shared<Done>();
  try {
    std::thread([done] {
      posix::RemoveRecorded();
      const std::lock_guard lock(done->mutex);
      done->done = true;
      done->changed.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    return;  // no thread to be had: the next copy into that folder removes what is left
  }
  std::unique_lock lock(done->mutex);
  done->changed.wait_for(lock, posix::kEndingWait, [&done] { return done->done; });
}

}  // namespace vantrel::platform
