// One folder's entries as read at one moment, compactly: every name back to back in one buffer
// (raw bytes on POSIX, UTF-8 on Windows), each with its kind and flags. The lists that show the
// same folder share one snapshot instead of holding one string per name each.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::lists {

enum class EntryKind : std::uint8_t { File, Folder, Other };

class FolderSnapshot {
 public:
  static constexpr std::uint8_t kHidden = 1;
  static constexpr std::uint8_t kModeKnown = 2;   // the reader already asked for the mode
  static constexpr std::uint8_t kExecutable = 4;  // with kModeKnown: an execute bit is set

  struct Entry {
    std::uint32_t offset = 0;  // where the name starts in the buffer
    std::uint16_t size = 0;    // the name's length, without its terminating NUL
    EntryKind kind = EntryKind::Other;
    std::uint8_t flags = 0;
  };

  // False when the name does not fit (longer than 65,535 bytes, or a buffer over 4 GiB).
  bool Add(std::string_view name, EntryKind kind, std::uint8_t flags);
  void Reserve(std::size_t entries, std::size_t name_bytes);

  std::size_t size() const { return entries_.size(); }
  const Entry& at(std::size_t i) const { return entries_[i]; }
  std::string_view Name(std::size_t i) const {
    return {names_.data() + entries_[i].offset, entries_[i].size};
  }
  // The name with its terminating NUL, for the system's calls.
  const char* CName(std::size_t i) const { return names_.data() + entries_[i].offset; }
  bool IsHidden(std::size_t i) const { return (entries_[i].flags & kHidden) != 0; }
  bool IsKnownExecutable(std::size_t i) const {
    return (entries_[i].flags & (kModeKnown | kExecutable)) == (kModeKnown | kExecutable);
  }
  bool IsModeKnown(std::size_t i) const { return (entries_[i].flags & kModeKnown) != 0; }
  // Bytes held, for the memory a list keeps.
  std::size_t Footprint() const { return names_.capacity() + entries_.capacity() * sizeof(Entry); }

 private:
  std::vector<char> names_;
  std::vector<Entry> entries_;
};

using SharedSnapshot = std::shared_ptr<const FolderSnapshot>;

// The names one list shows, in its order: entries of a snapshot it shares.
class ListedNames {
 public:
  ListedNames() = default;
  ListedNames(SharedSnapshot snapshot, std::vector<std::uint32_t> rows)
      : snapshot_(std::move(snapshot)), rows_(std::move(rows)) {}

  std::size_t size() const { return rows_.size(); }
  bool empty() const { return rows_.empty(); }
  std::string_view operator[](std::size_t row) const { return snapshot_->Name(rows_[row]); }
  // The row showing exactly this name, or -1 (the rows are in LessIgnoringCase order).
  long RowOf(std::string_view name) const;
  // A list that shows only a small part of its snapshot keeps a copy of its own names instead,
  // so the whole folder is not kept for a few of its names.
  ListedNames CompactIfSparse() const;
  const SharedSnapshot& snapshot() const { return snapshot_; }

 private:
  SharedSnapshot snapshot_;
  std::vector<std::uint32_t> rows_;
};

// The order of every list: ASCII letters compared without case, then shorter first, then the raw
// bytes, so different names never compare equal.
bool LessIgnoringCase(std::string_view a, std::string_view b);

// Sorts entries of a snapshot by their names in that order.
void SortByName(const FolderSnapshot& snapshot, std::vector<std::uint32_t>& rows);

}  // namespace vantrel::lists
