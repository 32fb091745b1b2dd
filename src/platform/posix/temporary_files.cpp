#include "platform/posix/temporary_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/os_services.h"
#include "platform/posix/file_checks.h"
#include "platform/posix/temporary_name.h"
#include "platform/posix/unique_fd.h"

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

// How long the fork that removes the temporary files of an ending process waits for it to end:
// a worker stuck on a file system that stopped answering keeps its process, and its descriptors,
// for as long as the mount hangs.
constexpr std::chrono::milliseconds kLongestEnding{2000};

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

// What the end of the program removes, copied out of the record beforehand: the process that
// removes it is a fork, which may use nothing that allocates or locks.
std::vector<Entry> TakeSnapshot() {
  Record& record = TheRecord();
  const std::lock_guard lock(record.mutex);
  return record.entries;
}

// In the fork that removes the temporary files of the copies the ending process leaves: lets go
// of its own descriptors of them, waits until the ending process's are closed too (`gone` reads
// end of file once it has ended) or kLongestEnding has passed, then removes each name that still
// leads to its file (one renamed over its destination meanwhile no longer does). Removing a file
// while a write to it is under way corrupts fusefat's folder, and a process ending mid-write
// finishes that write first. Makes only async-signal-safe calls; `files` has room for each entry.
void RemoveOnceEnded(const std::vector<Entry>& entries, std::vector<struct stat>& files, int gone) {
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (::fstat(entries[i].fd, &files[i]) != 0) files[i].st_ino = 0;
    ::close(entries[i].fd);
  }
  struct pollfd ended = {gone, POLLIN, 0};
  while (::poll(&ended, 1, static_cast<int>(kLongestEnding.count())) < 0 && errno == EINTR) {
  }
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (files[i].st_ino != 0 && NameLeadsTo(entries[i].folder_fd, entries[i].name, files[i])) {
      ::unlinkat(entries[i].folder_fd, entries[i].name.c_str(), 0);
    }
  }
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

// The removal runs in a process of its own, forked for it and never waited for: the window must
// go at once, and the copy's last write, a slow driver or one that stopped answering may hold
// the removal up. The fork ends as soon as its work is done.
void RemoveCopiesInProgress() {
  const std::vector<posix::Entry> entries = posix::TakeSnapshot();
  if (entries.empty()) return;
  std::vector<struct stat> files(entries.size());
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return;  // then the next copy into each folder removes it
  const pid_t remover = ::fork();
  if (remover == 0) {
    ::close(ends[1]);
    posix::RemoveOnceEnded(entries, files, ends[0]);
    ::_exit(0);
  }
  ::close(ends[0]);
  // ends[1] stays open, deliberately, until this process ends: that is what the fork waits for.
}

}  // namespace vantrel::platform
