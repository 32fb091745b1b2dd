#include "lists/folder_snapshot.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace vantrel::lists {
namespace {

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// A name to sort: its first sixteen lowered bytes as two numbers, so that comparing keys orders
// names as LessIgnoringCase does wherever the keys differ (a short name ends in zeros, which no
// name holds), and where its lowered name starts in the sort's own buffer.
struct SortItem {
  std::uint64_t head;
  std::uint64_t next;
  std::uint32_t row;
  std::uint32_t lowered;
};

constexpr std::size_t kKeyBytes = 16;

// Bytes [from, from + 8) of a lowered name as a big-endian number, zeros past its end.
std::uint64_t KeyPart(const char* lowered, std::size_t size, std::size_t from) {
  std::uint64_t part = 0;
  for (std::size_t b = from; b < from + 8; ++b) {
    part = (part << 8) | (b < size ? static_cast<unsigned char>(lowered[b]) : 0U);
  }
  return part;
}

// The lowered names of the rows, back to back, and each row's sort item.
struct SortInput {
  std::vector<char> lowered;
  std::vector<SortItem> items;
};

SortInput PrepareSort(const FolderSnapshot& snapshot, const std::vector<std::uint32_t>& rows) {
  SortInput input;
  std::size_t bytes = 0;
  for (const std::uint32_t row : rows) bytes += snapshot.at(row).size;
  input.lowered.resize(bytes);
  input.items.resize(rows.size());
  char* out = input.lowered.data();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::string_view name = snapshot.Name(rows[i]);
    for (std::size_t b = 0; b < name.size(); ++b) out[b] = Lower(name[b]);
    input.items[i] = {KeyPart(out, name.size(), 0), KeyPart(out, name.size(), 8), rows[i],
                      static_cast<std::uint32_t>(out - input.lowered.data())};
    out += name.size();
  }
  return input;
}

}  // namespace

bool FolderSnapshot::Add(std::string_view name, EntryKind kind, std::uint8_t flags) {
  if (name.size() > std::numeric_limits<std::uint16_t>::max()) return false;
  if (names_.size() + name.size() + 1 > std::numeric_limits<std::uint32_t>::max()) return false;
  entries_.push_back({static_cast<std::uint32_t>(names_.size()),
                      static_cast<std::uint16_t>(name.size()), kind, flags});
  names_.insert(names_.end(), name.begin(), name.end());
  names_.push_back('\0');
  return true;
}

void FolderSnapshot::Reserve(std::size_t entries, std::size_t name_bytes) {
  entries_.reserve(entries);
  names_.reserve(name_bytes);
}

long ListedNames::RowOf(std::string_view name) const {
  const auto found = std::lower_bound(rows_.begin(), rows_.end(), name,
                                      [this](std::uint32_t row, std::string_view wanted) {
                                        return LessIgnoringCase(snapshot_->Name(row), wanted);
                                      });
  if (found == rows_.end() || snapshot_->Name(*found) != name) return -1;
  return static_cast<long>(found - rows_.begin());
}

ListedNames ListedNames::CompactIfSparse() const {
  if (!snapshot_ || rows_.size() * 2 >= snapshot_->size()) return *this;
  auto own = std::make_shared<FolderSnapshot>();
  std::size_t bytes = 0;
  for (const std::uint32_t row : rows_) bytes += snapshot_->at(row).size + 1;
  own->Reserve(rows_.size(), bytes);
  std::vector<std::uint32_t> rows(rows_.size());
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const auto& entry = snapshot_->at(rows_[i]);
    own->Add(snapshot_->Name(rows_[i]), entry.kind, entry.flags);
    rows[i] = static_cast<std::uint32_t>(i);
  }
  return {std::move(own), std::move(rows)};
}

bool LessIgnoringCase(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const char x = Lower(a[i]);
    const char y = Lower(b[i]);
    if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

void SortByName(const FolderSnapshot& snapshot, std::vector<std::uint32_t>& rows) {
  SortInput input = PrepareSort(snapshot, rows);
  const char* lowered = input.lowered.data();
  // Equal keys: the first sixteen lowered bytes are equal (or both names ended together), so the
  // lowered comparison goes on from there; then length, then the raw bytes.
  std::sort(input.items.begin(), input.items.end(), [&](const SortItem& a, const SortItem& b) {
    if (a.head != b.head) return a.head < b.head;
    if (a.next != b.next) return a.next < b.next;
    const std::size_t a_size = snapshot.at(a.row).size;
    const std::size_t b_size = snapshot.at(b.row).size;
    const std::size_t common = std::min(a_size, b_size);
    if (common > kKeyBytes) {
      const int order = std::memcmp(lowered + a.lowered + kKeyBytes,
                                    lowered + b.lowered + kKeyBytes, common - kKeyBytes);
      if (order != 0) return order < 0;
    }
    if (a_size != b_size) return a_size < b_size;
    return snapshot.Name(a.row) < snapshot.Name(b.row);
  });
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = input.items[i].row;
}

}  // namespace vantrel::lists
