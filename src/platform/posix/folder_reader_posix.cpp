// ReadFolder on POSIX: readdir keeps every name as raw bytes, including names that are not valid
// UTF-8 (which Qt's own listing skips). A stat is made only where the entry type does not say
// enough (links, file systems without d_type) or the execute bits are asked for.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <memory>

#include "platform/listing.h"

namespace vantrel::platform {
namespace {

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

constexpr std::size_t kInitialCapacity = 256;

bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

EntryKind KindOfMode(mode_t mode) {
  if (S_ISREG(mode)) return EntryKind::File;
  if (S_ISDIR(mode)) return EntryKind::Folder;
  return EntryKind::Other;
}

EntryKind KindOfType(unsigned char type) {
  if (type == DT_REG) return EntryKind::File;
  if (type == DT_DIR) return EntryKind::Folder;
  return EntryKind::Other;
}

// A link counts as what it points to; a dangling link is Other.
FolderEntry MakeEntry(int folder_fd, const dirent& found, bool with_exec_bits) {
  FolderEntry entry;
  entry.name = found.d_name;
  entry.hidden = found.d_name[0] == '.';
  entry.kind = KindOfType(found.d_type);
  const bool needs_stat = found.d_type == DT_LNK || found.d_type == DT_UNKNOWN ||
                          (with_exec_bits && found.d_type == DT_REG);
  if (!needs_stat) return entry;
  struct stat info {};
  if (::fstatat(folder_fd, found.d_name, &info, 0) != 0) {
    entry.kind = EntryKind::Other;
    return entry;
  }
  entry.kind = KindOfMode(info.st_mode);
  entry.executable = with_exec_bits && S_ISREG(info.st_mode) && (info.st_mode & 0111) != 0;
  return entry;
}

}  // namespace

std::optional<std::vector<FolderEntry>> ReadFolder(const std::string& path, bool with_exec_bits) {
  std::unique_ptr<DIR, DirCloser> dir(::opendir(path.c_str()));
  if (!dir) return std::nullopt;
  const int folder_fd = ::dirfd(dir.get());
  std::vector<FolderEntry> entries;
  entries.reserve(kInitialCapacity);
  for (;;) {
    errno = 0;
    const dirent* found = ::readdir(dir.get());
    if (found == nullptr) break;
    if (IsDotOrDotDot(found->d_name)) continue;
    entries.push_back(MakeEntry(folder_fd, *found, with_exec_bits));
  }
  if (errno != 0) return std::nullopt;  // the folder vanished or failed while being read
  return entries;
}

}  // namespace vantrel::platform
