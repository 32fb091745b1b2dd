// Reading a folder, the platform's own part of the lists: readdir on POSIX, FindFirstFileExW on
// Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "lists/folder_snapshot.h"
#include "lists/listing.h"

namespace vantrel::platform {

// How many entries a folder read takes between two calls of its `answered`.
inline constexpr std::size_t kEntriesPerAnswer = 256;

// Reads one folder (without "." and ".."); nullopt when it cannot be read. Executable bits cost a
// stat per file on POSIX, so they are only read when asked for. `answered`, when given, is
// called once the folder has opened and its first entries have come (or it has turned out
// empty), and again after every kEntriesPerAnswer entries: a folder on a file system that has
// stopped answering stops calling it. Blocks: call it through OffThread.
std::optional<std::vector<lists::FolderEntry>> ReadFolder(
    const std::string& path, bool with_exec_bits, const std::function<void()>& answered = {});

// Reads one folder into a snapshot with one pass of the system's folder calls: the entry type
// comes with the name, so only links and entries of unknown type cost a stat (which also gives
// their execute bits). nullopt when the folder cannot be read. `answered` as for ReadFolder.
// Blocks: call it through OffThread.
std::optional<lists::FolderSnapshot> ReadFolderSnapshot(const std::string& path,
                                                        const std::function<void()>& answered = {});

// Asks the system for the mode of each of the given entries of a snapshot of `folder`, and sets
// marks[k] to 1 where entries[k] is a regular file with an execute bit set. Safe to run on
// several threads at once for disjoint parts. False when the folder cannot be opened. Windows has
// no execute bits and marks nothing. Blocks: call it through OffThread (ReadExecuteBitsOffThread).
bool ReadExecuteBits(const std::string& folder, const lists::FolderSnapshot& snapshot,
                     std::span<const std::uint32_t> entries, std::span<std::uint8_t> marks);

}  // namespace vantrel::platform
