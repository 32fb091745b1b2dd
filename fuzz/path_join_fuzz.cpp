// The paths built from a folder text and a name, in both path styles: the selected file's path
// (the trimming join), the plain join, the new folder's path from a typed name, and the folder
// list's rows. A path built from a folder and a name lands inside that folder, unless the name
// itself leaves it, and then the rule refuses it.
#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fileops/selection_paths.h"
#include "fuzz_check.h"
#include "lists/listing.h"
#include "platform/paths.h"

namespace {

using vantrel::platform::PathStyle;

// Windows reads '/' as a separator too.
bool IsSeparator(char c, PathStyle style) {
  return c == style.separator || (style.separator == '\\' && c == '/');
}

std::vector<std::string_view> Components(std::string_view path, PathStyle style) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && !IsSeparator(path[i], style)) continue;
    if (i > start) parts.push_back(path.substr(start, i - start));
    start = i + 1;
  }
  return parts;
}

// The folders a path passes through, by its text alone: "." stays, ".." goes up (never above
// the root of an absolute path; above the start of a relative one it is kept).
std::vector<std::string_view> Lexical(std::string_view path, PathStyle style) {
  const bool absolute = !path.empty() && IsSeparator(path[0], style);
  std::vector<std::string_view> kept;
  for (const std::string_view part : Components(path, style)) {
    if (part == ".") continue;
    if (part == ".." && !kept.empty() && kept.back() != "..") {
      kept.pop_back();
    } else if (part != ".." || !absolute) {
      kept.push_back(part);
    }
  }
  return kept;
}

// True when the path lies strictly below the folder, by their texts.
bool Inside(std::string_view path, std::string_view folder, PathStyle style) {
  const std::vector<std::string_view> outer = Lexical(folder, style);
  const std::vector<std::string_view> inner = Lexical(path, style);
  const bool same_root = (!path.empty() && IsSeparator(path[0], style)) ==
                         (!folder.empty() && IsSeparator(folder[0], style));
  return same_root && inner.size() > outer.size() &&
         std::equal(outer.begin(), outer.end(), inner.begin());
}

// True when following the name from a folder goes above that folder at some step.
bool Climbs(std::string_view name, PathStyle style) {
  int depth = 0;
  for (const std::string_view part : Components(name, style)) {
    if (part == "..") --depth;
    if (part != "." && part != "..") ++depth;
    if (depth < 0) return true;
  }
  return false;
}

bool HasStepUp(std::string_view name, PathStyle style) {
  const std::vector<std::string_view> parts = Components(name, style);
  return std::find(parts.begin(), parts.end(), "..") != parts.end();
}

// A bare name of one entry: one component that goes nowhere else.
bool IsPlainName(std::string_view name, PathStyle style) {
  return !name.empty() && name != "." && name != ".." &&
         name.find('\0') == std::string_view::npos &&
         std::none_of(name.begin(), name.end(), [&](char c) { return IsSeparator(c, style); });
}

void CheckJoins(std::string_view folder, std::string_view name, PathStyle style) {
  using namespace vantrel;
  const std::string trimmed = fileops::TrimmingJoin(folder, name, style);
  const std::string plain = platform::PlainJoin(folder, name, style);
  FUZZ_CHECK(trimmed.ends_with(name) && plain.ends_with(name));
  // Only the folder's last separator is dropped: a root stays a root.
  FUZZ_CHECK(trimmed.starts_with(fileops::FolderOf(folder, style)));
  if (!folder.empty() && IsPlainName(name, style)) {
    FUZZ_CHECK(Inside(trimmed, folder, style));
    FUZZ_CHECK(Inside(plain, folder, style));
  }
}

void CheckNewFolder(const std::string& folder, const std::string& typed, PathStyle style) {
  const std::optional<std::string> made = vantrel::fileops::NewFolderPath(folder, typed, style);
  // Refused exactly when the typed text leaves the folder at some step, or holds a NUL that would
  // cut the path short at the system (or steps up and comes back, which no name needs).
  const bool leaves = Climbs(typed, style) || typed.find('\0') != std::string::npos;
  if (leaves) FUZZ_CHECK(!made);
  if (!made) {
    FUZZ_CHECK(leaves || HasStepUp(typed, style));
    return;
  }
  const std::string& path = *made;
  // The folder's text is kept as the list reports it, and a separator stands between it and
  // the typed text.
  FUZZ_CHECK(path.starts_with(folder) && path.ends_with(typed));
  const std::string_view added = std::string_view(path).substr(folder.size());
  FUZZ_CHECK(folder.empty() || IsSeparator(folder.back(), style) ||
             IsSeparator(added.front(), style));
  // What it makes is a folder inside the source folder.
  if (!folder.empty() && !Lexical(typed, style).empty()) FUZZ_CHECK(Inside(path, folder, style));
}

void CheckFolderRows(const std::string& folder, std::string_view name, PathStyle style) {
  using namespace vantrel::lists;
  const std::string normal = NormalizeFolder(folder, style);
  FUZZ_CHECK(NormalizeFolder(normal, style) == normal);
  FUZZ_CHECK(Lexical(normal, style) == Lexical(folder, style));
  std::vector<FolderEntry> entries;
  if (IsPlainName(name, style)) entries.push_back({std::string(name), EntryKind::Folder});
  const std::vector<FolderRow> rows = FolderListRows(folder, entries, style);
  FUZZ_CHECK(rows.empty() == folder.empty());
  if (rows.empty()) return;
  // The open folder's ancestors, each a beginning of its text; then its subfolders inside it.
  std::size_t open = 0;
  while (!rows[open].is_open) {
    FUZZ_CHECK(normal.starts_with(rows[open].path));
    ++open;
  }
  FUZZ_CHECK(rows[open].path == normal);
  FUZZ_CHECK(rows.size() == open + 1 + entries.size());
  for (std::size_t i = open + 1; i < rows.size(); ++i) {
    FUZZ_CHECK(rows[i].label == name && rows[i].path.ends_with(name));
    FUZZ_CHECK(Inside(rows[i].path, folder, style));
  }
}

}  // namespace

// Input: the folder, the entry's name and the typed text, one a line (the last may hold more).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vantrel::fuzz::Fields fields(vantrel::fuzz::AsText(data, size));
  const std::string folder(fields.Next());
  const std::string_view name = fields.Next();
  const std::string typed(fields.Rest());
  for (const PathStyle style : {vantrel::platform::kWindowsPaths, vantrel::platform::kPosixPaths}) {
    CheckJoins(folder, name, style);
    if (!typed.empty()) CheckNewFolder(folder, typed, style);
    CheckFolderRows(folder, name, style);
  }
  return 0;
}
