// Folder reading on POSIX: readdir keeps every name as raw bytes, including names that are not
// valid UTF-8 (which Qt's own listing skips). A stat is made only where the entry type does not
// say enough (links, file systems without d_type) or the execute bits are asked for.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "lists/listing.h"
#include "platform/folder_reader.h"
#include "platform/posix/link_target.h"
#include "platform/posix/unique_fd.h"

namespace vantrel::platform {
namespace {

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

constexpr std::size_t kInitialEntries = 256;
constexpr std::size_t kInitialNameBytes = 8192;

bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

lists::EntryKind KindOfMode(mode_t mode) {
  if (S_ISREG(mode)) return lists::EntryKind::File;
  if (S_ISDIR(mode)) return lists::EntryKind::Folder;
  return lists::EntryKind::Other;
}

lists::EntryKind KindOfType(unsigned char type) {
  if (type == DT_REG) return lists::EntryKind::File;
  if (type == DT_DIR) return lists::EntryKind::Folder;
  return lists::EntryKind::Other;
}

bool IsExecutableFile(mode_t mode) {
  return S_ISREG(mode) && (mode & 0111) != 0;
}

// Adds one entry. A link counts as what it points to; a dangling link, or one into another file
// system that does not answer, is Other. The stat that resolves a link or an unknown type gives
// its execute bits for free.
bool AddEntry(lists::FolderSnapshot& snapshot, int folder_fd, posix::LinkTargets& links,
              const dirent& found) {
  std::uint8_t flags = found.d_name[0] == '.' ? lists::FolderSnapshot::kHidden : 0;
  lists::EntryKind kind = KindOfType(found.d_type);
  if (found.d_type == DT_LNK || found.d_type == DT_UNKNOWN) {
    struct stat info {};
    kind = lists::EntryKind::Other;
    bool known = false;
    if (found.d_type == DT_UNKNOWN &&
        ::fstatat(folder_fd, found.d_name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
      known = !S_ISLNK(info.st_mode);
    }
    if (!known) known = links.Stat(folder_fd, found.d_name, info);
    if (known) {
      kind = KindOfMode(info.st_mode);
      flags |= lists::FolderSnapshot::kModeKnown;
      if (IsExecutableFile(info.st_mode)) flags |= lists::FolderSnapshot::kExecutable;
    }
  }
  return snapshot.Add(found.d_name, kind, flags);
}

}  // namespace

std::optional<lists::FolderSnapshot> ReadFolderSnapshot(const std::string& path,
                                                        const std::function<void()>& answered) {
  std::unique_ptr<DIR, DirCloser> dir(::opendir(path.c_str()));
  if (!dir) return std::nullopt;
  const int folder_fd = ::dirfd(dir.get());
  lists::FolderSnapshot snapshot;
  snapshot.Reserve(kInitialEntries, kInitialNameBytes);
  posix::LinkTargets links(path);
  for (std::size_t count = 0;; ++count) {
    errno = 0;
    const dirent* found = ::readdir(dir.get());
    // The first readdir has fetched a batch of entries from the file system: it is alive; so is
    // one that keeps giving entries, each of which may have cost a look at a link's target.
    if (count % kEntriesPerAnswer == 0 && answered) answered();
    if (found == nullptr) break;
    if (IsDotOrDotDot(found->d_name)) continue;
    if (!AddEntry(snapshot, folder_fd, links, *found)) return std::nullopt;
  }
  if (errno != 0) return std::nullopt;  // the folder vanished or failed while being read
  return snapshot;
}

bool ReadExecuteBits(const std::string& folder, const lists::FolderSnapshot& snapshot,
                     std::span<const std::uint32_t> entries, std::span<std::uint8_t> marks) {
  const posix::UniqueFd folder_fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder_fd.valid()) return false;
  for (std::size_t k = 0; k < entries.size(); ++k) {
    struct stat info {};
    if (::fstatat(folder_fd.get(), snapshot.CName(entries[k]), &info, 0) == 0 &&
        IsExecutableFile(info.st_mode)) {
      marks[k] = 1;
    }
  }
  return true;
}

std::optional<std::vector<lists::FolderEntry>> ReadFolder(const std::string& path,
                                                          bool with_exec_bits,
                                                          const std::function<void()>& answered) {
  const auto snapshot = ReadFolderSnapshot(path, answered);
  if (!snapshot) return std::nullopt;
  std::vector<lists::FolderEntry> entries(snapshot->size());
  std::vector<std::uint32_t> files;
  for (std::size_t i = 0; i < snapshot->size(); ++i) {
    entries[i].name = snapshot->Name(i);
    entries[i].kind = snapshot->at(i).kind;
    entries[i].hidden = snapshot->IsHidden(i);
    entries[i].executable = with_exec_bits && snapshot->IsKnownExecutable(i);
    if (entries[i].kind == lists::EntryKind::File && !snapshot->IsModeKnown(i))
      files.push_back(static_cast<std::uint32_t>(i));
  }
  if (!with_exec_bits) return entries;
  std::vector<std::uint8_t> marks(files.size());
  if (!ReadExecuteBits(path, *snapshot, files, marks)) return std::nullopt;
  for (std::size_t k = 0; k < files.size(); ++k) entries[files[k]].executable = marks[k] != 0;
  return entries;
}

}  // namespace vantrel::platform
