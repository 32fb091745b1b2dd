#include "platform/listing.h"

#include <algorithm>
#include <cstddef>

namespace vantrel::platform {
namespace {

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Glob match with '*' and '?', ASCII letters compared without case; iterative with one
// backtrack point, so long names cannot blow up.
bool MatchOne(std::string_view name, std::string_view pattern) {
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

bool IsRoot(std::string_view path, PathStyle style) {
  if (path.size() == 1 && path[0] == style.separator) return true;
  return path.size() == 3 && path[1] == ':' && path[2] == style.separator;  // "C:\"
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

std::vector<std::string> FileListNames(const std::vector<FolderEntry>& entries,
                                       std::string_view pattern, bool list_executables) {
  std::vector<std::string> names;
  names.reserve(entries.size());
  for (const auto& entry : entries) {
    if (entry.kind != EntryKind::File || entry.hidden) continue;
    if (MatchesPattern(entry.name, pattern) || (list_executables && entry.executable)) {
      names.push_back(entry.name);
    }
  }
  SortNamesIgnoringCase(names);
  return names;
}

std::string NormalizeFolder(std::string path, PathStyle style) {
  while (path.size() > 1 && path.back() == style.separator && !IsRoot(path, style)) {
    path.pop_back();
  }
  return path;
}

std::vector<FolderRow> FolderListRows(const std::string& open_folder,
                                      const std::vector<FolderEntry>& entries, PathStyle style) {
  const std::string folder = NormalizeFolder(open_folder, style);
  std::vector<FolderRow> rows;
  // Ancestors and the open folder: one row per level, each opening the path up to that level.
  std::size_t start = 0;
  if (!folder.empty() && folder[0] == style.separator) {
    rows.push_back({std::string(1, style.separator), std::string(1, style.separator), 0, false});
    start = 1;
  } else if (folder.size() >= 3 && folder[1] == ':') {
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

  std::vector<std::string> children;
  for (const auto& entry : entries) {
    if (entry.kind == EntryKind::Folder && !entry.hidden) children.push_back(entry.name);
  }
  SortNamesIgnoringCase(children);
  const int depth = static_cast<int>(rows.size());
  const std::string base = IsRoot(folder, style) ? folder : folder + style.separator;
  for (auto& name : children) rows.push_back({base + name, std::move(name), depth, false});
  return rows;
}

}  // namespace vantrel::platform
