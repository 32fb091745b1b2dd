// ReadFolder on Windows: one FindFirstFileExW search of the folder, asking for no short names
// and in large batches. Hidden and system entries are marked hidden. Programs are recognised by
// their name, so there are no execute bits to read.
#include "platform/folder_reader.h"
#include "lists/listing.h"
#include "platform/win32/api.h"
#include "platform/win32/path.h"
#include "platform/win32/text.h"

namespace vantrel::platform {
namespace {

constexpr std::size_t kInitialCapacity = 256;

struct SearchCloser {
  HANDLE search;
  ~SearchCloser() { ::FindClose(search); }
};

bool IsDotOrDotDot(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

lists::FolderEntry MakeEntry(const WIN32_FIND_DATAW& found) {
  lists::FolderEntry entry;
  entry.name = win32::Narrow(found.cFileName);
  const DWORD attributes = found.dwFileAttributes;
  entry.hidden = (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    entry.kind = lists::EntryKind::Folder;
  } else if (attributes & FILE_ATTRIBUTE_DEVICE) {
    entry.kind = lists::EntryKind::Other;
  } else {
    entry.kind = lists::EntryKind::File;
  }
  return entry;
}

}  // namespace

std::optional<std::vector<lists::FolderEntry>> ReadFolder(const std::string& path, bool,
                                                          const std::function<void()>& answered) {
  std::wstring pattern = win32::SystemPath(path);
  if (pattern.empty()) return std::nullopt;
  if (!win32::IsSeparator(pattern.back())) pattern.push_back(L'\\');
  pattern.push_back(L'*');

  WIN32_FIND_DATAW found{};
  const HANDLE search =
      ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                         FIND_FIRST_EX_LARGE_FETCH);
  // The folder opened and gave its first batch of entries, or the system said why not: it is
  // answering.
  if (answered) answered();
  std::vector<lists::FolderEntry> entries;
  if (search == INVALID_HANDLE_VALUE) {
    // An empty drive root has not even "." and ".."; anything else means no readable folder.
    if (::GetLastError() == ERROR_FILE_NOT_FOUND) return entries;
    return std::nullopt;
  }
  const SearchCloser closer{search};
  entries.reserve(kInitialCapacity);
  std::size_t count = 0;
  do {
    if (!IsDotOrDotDot(found.cFileName)) entries.push_back(MakeEntry(found));
    if (++count % kEntriesPerAnswer == 0 && answered) answered();  // still giving entries
  } while (::FindNextFileW(search, &found));
  if (::GetLastError() != ERROR_NO_MORE_FILES) return std::nullopt;
  return entries;
}

// Windows lists carry everything a snapshot needs in one search; with no execute bits to read,
// every entry's mode counts as known.
std::optional<lists::FolderSnapshot> ReadFolderSnapshot(const std::string& path,
                                                        const std::function<void()>& answered) {
  const auto entries = ReadFolder(path, false, answered);
  if (!entries) return std::nullopt;
  return lists::SnapshotOf(*entries, true);
}

bool ReadExecuteBits(const std::string&, const lists::FolderSnapshot&,
                     std::span<const std::uint32_t>, std::span<std::uint8_t>) {
  return true;
}

}  // namespace vantrel::platform
