// Folder contents as the list controls show them: filtering, sorting and the folder-list rows,
// shared so both front ends list alike. Reading a folder is the platform's own
// (platform/folder_reader.h).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "lists/folder_snapshot.h"
#include "platform/paths.h"

namespace vantrel::lists {

struct FolderEntry {
  std::string name;  // raw bytes on POSIX, UTF-8 on Windows
  EntryKind kind = EntryKind::Other;
  bool hidden = false;
  bool executable = false;  // only filled in when asked for
};

// A snapshot of entries read by ReadFolder (execute bits count as known when list_executables
// is set).
FolderSnapshot SnapshotOf(const std::vector<FolderEntry>& entries, bool list_executables);

// True when the name matches one of the ";"-separated patterns ('*' any run, '?' one character,
// letter case ignored).
bool MatchesPattern(std::string_view name, std::string_view patterns);

// The entries a file list shows, in its order: regular files, not hidden, that match the pattern
// or, when list_executables is set, that the snapshot knows to be executable.
std::vector<std::uint32_t> FileListRows(const FolderSnapshot& snapshot, std::string_view pattern,
                                        bool list_executables);

// A program list before the execute bits are read: `rows` are the files it shows in any case
// (matching the pattern, or known executable), in order; `unknown` the other regular files that
// are not hidden, whose execute bits decide.
struct ProgramRows {
  std::vector<std::uint32_t> rows;
  std::vector<std::uint32_t> unknown;
};
ProgramRows ProgramListRows(const FolderSnapshot& snapshot, std::string_view pattern);

// The rows with the unknown entries marked executable (marks[k] for unknown[k]) added in order.
std::vector<std::uint32_t> AddExecutables(const FolderSnapshot& snapshot,
                                          std::vector<std::uint32_t> rows,
                                          std::span<const std::uint32_t> unknown,
                                          std::span<const std::uint8_t> marks);

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
                                      const std::vector<FolderEntry>& entries,
                                      platform::PathStyle style);
std::vector<FolderRow> FolderListRowsFromSnapshot(const std::string& open_folder,
                                                  const FolderSnapshot& snapshot,
                                                  platform::PathStyle style);

// A folder path in the form the lists report: no trailing separator except at a root.
std::string NormalizeFolder(std::string path, platform::PathStyle style);

}  // namespace vantrel::lists
