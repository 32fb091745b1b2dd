#include "lists/listing.h"

#include <algorithm>
#include <cstddef>

namespace vantrel::lists {
namespace {

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

// Where a literal part of a pattern first occurs in the name, at or after `from`.
std::size_t FindIgnoringCase(std::string_view name, std::string_view part, std::size_t from) {
  if (part.empty()) return from;
  const char first = Lower(part[0]);
  for (std::size_t i = from; i + part.size() <= name.size(); ++i) {
    if (Lower(name[i]) == first && EqualIgnoringCase(name.substr(i, part.size()), part)) return i;
  }
  return std::string_view::npos;
}

// A pattern whose only wildcard is '*': its first part must start the name, its last part end
// it, and the parts between follow in order, each found as early as it can be.
bool MatchStars(std::string_view name, std::string_view pattern) {
  const std::size_t first_star = pattern.find('*');
  if (first_star == std::string_view::npos) return EqualIgnoringCase(name, pattern);
  const std::size_t last_star = pattern.rfind('*');
  const std::string_view head = pattern.substr(0, first_star);
  const std::string_view tail = pattern.substr(last_star + 1);
  if (name.size() < head.size() + tail.size()) return false;
  if (!EqualIgnoringCase(name.substr(0, head.size()), head)) return false;
  if (!EqualIgnoringCase(name.substr(name.size() - tail.size()), tail)) return false;
  const std::string_view between =
      name.substr(head.size(), name.size() - head.size() - tail.size());
  std::string_view parts = pattern.substr(first_star + 1, last_star - first_star);
  std::size_t at = 0;
  while (!parts.empty()) {
    const std::size_t end = parts.find('*');
    const std::string_view part = parts.substr(0, end);
    at = FindIgnoringCase(between, part, at);
    if (at == std::string_view::npos) return false;
    at += part.size();
    parts.remove_prefix(end == std::string_view::npos ? parts.size() : end + 1);
  }
  return true;
}

// Glob match with '*' and '?', ASCII letters compared without case; iterative with one
// backtrack point, so long names cannot blow up.
bool MatchOne(std::string_view name, std::string_view pattern) {
  if (pattern.find('?') == std::string_view::npos) return MatchStars(name, pattern);
  std::size_t n = 0, p = 0, star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || Lower(pattern[p]) == Lower(name[n]))) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

// True when one of the patterns is only stars, which every name matches.
bool MatchesEverything(std::string_view patterns) {
  while (true) {
    const std::size_t end = patterns.find(';');
    const std::string_view one = patterns.substr(0, end);
    if (!one.empty() && one.find_first_not_of('*') == std::string_view::npos) return true;
    if (end == std::string_view::npos) return false;
    patterns.remove_prefix(end + 1);
  }
}

// "C:\": a drive's root, which only Windows paths have; "/:/" is the folder ":" on Linux.
bool IsDriveRoot(std::string_view path, platform::PathStyle style) {
  const bool letter = !path.empty() && Lower(path[0]) >= 'a' && Lower(path[0]) <= 'z';
  return style.separator == platform::kWindowsPaths.separator && path.size() == 3 && letter &&
         path[1] == ':' && path[2] == style.separator;
}

bool IsRoot(std::string_view path, platform::PathStyle style) {
  return (path.size() == 1 && path[0] == style.separator) || IsDriveRoot(path, style);
}

bool IsListedFile(const FolderSnapshot& snapshot, std::size_t i) {
  return snapshot.at(i).kind == EntryKind::File && !snapshot.IsHidden(i);
}

}  // namespace

bool MatchesPattern(std::string_view name, std::string_view patterns) {
  while (true) {
    const std::size_t end = patterns.find(';');
    if (MatchOne(name, patterns.substr(0, end))) return true;
    if (end == std::string_view::npos) return false;
    patterns.remove_prefix(end + 1);
  }
}

void SortNamesIgnoringCase(std::vector<std::string>& names) {
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return LessIgnoringCase(a, b); });
}

std::vector<std::uint32_t> FileListRows(const FolderSnapshot& snapshot, std::string_view pattern,
                                        bool list_executables) {
  const bool everything = MatchesEverything(pattern);
  std::vector<std::uint32_t> rows;
  rows.reserve(snapshot.size());
  for (std::size_t i = 0; i < snapshot.size(); ++i) {
    if (!IsListedFile(snapshot, i)) continue;
    if (everything || (list_executables && snapshot.IsKnownExecutable(i)) ||
        MatchesPattern(snapshot.Name(i), pattern)) {
      rows.push_back(static_cast<std::uint32_t>(i));
    }
  }
  SortByName(snapshot, rows);
  return rows;
}

ProgramRows ProgramListRows(const FolderSnapshot& snapshot, std::string_view pattern) {
  if (MatchesEverything(pattern)) return {FileListRows(snapshot, pattern, true), {}};
  ProgramRows program;
  for (std::size_t i = 0; i < snapshot.size(); ++i) {
    if (!IsListedFile(snapshot, i)) continue;
    const auto entry = static_cast<std::uint32_t>(i);
    if (snapshot.IsKnownExecutable(i) || MatchesPattern(snapshot.Name(i), pattern)) {
      program.rows.push_back(entry);
    } else if (!snapshot.IsModeKnown(i)) {
      program.unknown.push_back(entry);
    }
  }
  SortByName(snapshot, program.rows);
  return program;
}

std::vector<std::uint32_t> AddExecutables(const FolderSnapshot& snapshot,
                                          std::vector<std::uint32_t> rows,
                                          std::span<const std::uint32_t> unknown,
                                          std::span<const std::uint8_t> marks) {
  std::vector<std::uint32_t> found;
  for (std::size_t k = 0; k < unknown.size(); ++k) {
    if (marks[k] != 0) found.push_back(unknown[k]);
  }
  if (found.empty()) return rows;
  SortByName(snapshot, found);
  std::vector<std::uint32_t> merged(rows.size() + found.size());
  std::merge(rows.begin(), rows.end(), found.begin(), found.end(), merged.begin(),
             [&snapshot](std::uint32_t a, std::uint32_t b) {
               return LessIgnoringCase(snapshot.Name(a), snapshot.Name(b));
             });
  return merged;
}

FolderSnapshot SnapshotOf(const std::vector<FolderEntry>& entries, bool list_executables) {
  FolderSnapshot snapshot;
  std::size_t bytes = 0;
  for (const auto& entry : entries) bytes += entry.name.size() + 1;
  snapshot.Reserve(entries.size(), bytes);
  for (const auto& entry : entries) {
    std::uint8_t flags = entry.hidden ? FolderSnapshot::kHidden : 0;
    if (list_executables) flags |= FolderSnapshot::kModeKnown;
    if (list_executables && entry.executable) flags |= FolderSnapshot::kExecutable;
    snapshot.Add(entry.name, entry.kind, flags);
  }
  return snapshot;
}

std::vector<std::string> FileListNames(const std::vector<FolderEntry>& entries,
                                       std::string_view pattern, bool list_executables) {
  const FolderSnapshot snapshot = SnapshotOf(entries, list_executables);
  std::vector<std::string> names;
  for (const std::uint32_t row : FileListRows(snapshot, pattern, list_executables)) {
    names.emplace_back(snapshot.Name(row));
  }
  return names;
}

std::string NormalizeFolder(std::string path, platform::PathStyle style) {
  while (path.size() > 1 && path.back() == style.separator && !IsRoot(path, style)) {
    path.pop_back();
  }
  return path;
}

std::vector<FolderRow> FolderListRows(const std::string& open_folder,
                                      const std::vector<FolderEntry>& entries,
                                      platform::PathStyle style) {
  return FolderListRowsFromSnapshot(open_folder, SnapshotOf(entries, false), style);
}

std::vector<FolderRow> FolderListRowsFromSnapshot(const std::string& open_folder,
                                                  const FolderSnapshot& snapshot,
                                                  platform::PathStyle style) {
  const std::string folder = NormalizeFolder(open_folder, style);
  std::vector<FolderRow> rows;
  // Ancestors and the open folder: one row per level, each opening the path up to that level.
  std::size_t start = 0;
  if (!folder.empty() && folder[0] == style.separator) {
    rows.push_back({std::string(1, style.separator), std::string(1, style.separator), 0, false});
    start = 1;
  } else if (IsDriveRoot(folder.substr(0, 3), style)) {
    rows.push_back({folder.substr(0, 3), folder.substr(0, 3), 0, false});
    start = 3;
  }
  while (start < folder.size()) {
    std::size_t end = folder.find(style.separator, start);
    if (end == std::string::npos) end = folder.size();
    if (end > start) {
      rows.push_back({folder.substr(0, end), folder.substr(start, end - start),
                      static_cast<int>(rows.size()), false});
    }
    start = end + 1;
  }
  if (rows.empty()) return rows;
  rows.back().is_open = true;

  std::vector<std::uint32_t> children;
  for (std::size_t i = 0; i < snapshot.size(); ++i) {
    if (snapshot.at(i).kind == EntryKind::Folder && !snapshot.IsHidden(i))
      children.push_back(static_cast<std::uint32_t>(i));
  }
  SortByName(snapshot, children);
  const int depth = static_cast<int>(rows.size());
  const std::string base = IsRoot(folder, style) ? folder : folder + style.separator;
  for (const std::uint32_t child : children) {
    const std::string_view name = snapshot.Name(child);
    rows.push_back({base + std::string(name), std::string(name), depth, false});
  }
  return rows;
}

}  // namespace vantrel::lists
