// Folder contents as the list controls show them. Reading a folder is the platform's own
// (readdir on POSIX, FindFirstFileW on Windows); filtering, sorting and the folder-list rows are
// shared, so both front ends list alike.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/folder_snapshot.h"
#include "platform/paths.h"

namespace vantrel::platform {

struct FolderEntry {
  std::string name;  // raw bytes on POSIX, UTF-8 on Windows
  EntryKind kind = EntryKind::Other;
  bool hidden = false;
  bool executable = false;  // only filled in when asked for
};

// Reads one folder (without "." and ".."); nullopt when it cannot be read. Executable bits cost a
// stat per file on POSIX, so they are only read when asked for. `answered`, when given, is
// called once the folder has opened and its first entries have come (or it has turned out
// empty): a folder on a file system that has stopped answering never gets that far.
std::optional<std::vector<FolderEntry>> ReadFolder(const std::string& path, bool with_exec_bits,
                                                   const std::function<void()>& answered = {});

// Reads one folder into a snapshot with one pass of the system's folder calls: the entry type
// comes with the name, so only links and entries of unknown type cost a stat (which also gives
// their execute bits). nullopt when the folder cannot be read. `answered` as for ReadFolder.
std::optional<FolderSnapshot> ReadFolderSnapshot(const std::string& path,
                                                 const std::function<void()>& answered = {});

// Asks the system for the mode of each of the given entries of a snapshot of `folder`, and sets
// marks[k] to 1 where entries[k] is a regular file with an execute bit set. Safe to run on
// several threads at once for disjoint parts. False when the folder cannot be opened. Windows has
// no execute bits and marks nothing.
bool ReadExecuteBits(const std::string& folder, const FolderSnapshot& snapshot,
                     std::span<const std::uint32_t> entries, std::span<std::uint8_t> marks);

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
                                      const std::vector<FolderEntry>& entries, PathStyle style);
std::vector<FolderRow> FolderListRowsFromSnapshot(const std::string& open_folder,
                                                  const FolderSnapshot& snapshot, PathStyle style);

// A folder path in the form the lists report: no trailing separator except at a root.
std::string NormalizeFolder(std::string path, PathStyle style);

}  // namespace vantrel::platform
