// Folder contents as the list controls show them. Reading a folder is the platform's own
// (readdir on POSIX, FindFirstFileW on Windows); filtering, sorting and the folder-list rows are
// shared, so both front ends list alike.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/paths.h"

namespace vantrel::platform {

enum class EntryKind { File, Folder, Other };

struct FolderEntry {
  std::string name;  // raw bytes on POSIX, UTF-8 on Windows
  EntryKind kind = EntryKind::Other;
  bool hidden = false;
  bool executable = false;  // only filled in when asked for
};

// Reads one folder (without "." and ".."); nullopt when it cannot be read. Executable bits cost a
// stat per file on POSIX, so they are only read when asked for.
std::optional<std::vector<FolderEntry>> ReadFolder(const std::string& path, bool with_exec_bits);

// True when the name matches one of the ";"-separated patterns ('*' any run, '?' one character,
// letter case ignored).
bool MatchesPattern(std::string_view name, std::string_view patterns);

// The names a file list shows: regular, not hidden, matching the pattern (or, when
// list_executables is set, executable), sorted without regard to case.
std::vector<std::string> FileListNames(const std::vector<FolderEntry>& entries,
                                       std::string_view pattern, bool list_executables);

// Sorts names without regard to ASCII letter case; equal names keep a stable byte order.
void SortNamesIgnoringCase(std::vector<std::string>& names);

struct FolderRow {
  std::string path;   // full path this row opens
  std::string label;  // what the row shows: a folder's own name, or the root itself
  int depth = 0;      // indentation level
  bool is_open = false;
};

// The rows of a folder list: the ancestors of the open folder from the root down, the open
// folder, then its subfolders (sorted, hidden ones left out).
std::vector<FolderRow> FolderListRows(const std::string& open_folder,
                                      const std::vector<FolderEntry>& entries, PathStyle style);

// A folder path in the form the lists report: no trailing separator except at a root.
std::string NormalizeFolder(std::string path, PathStyle style);

}  // namespace vantrel::platform
