#include "fileops/selection_paths.h"

namespace vantrel::fileops {
namespace {

bool IsSeparator(char c, platform::PathStyle style) {
  return c == style.separator || (style.separator == '\\' && c == '/');
}

bool HasParentStep(std::string_view path, platform::PathStyle style) {
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && !IsSeparator(path[i], style)) continue;
    if (path.substr(start, i - start) == "..") return true;
    start = i + 1;
  }
  return false;
}

}  // namespace

std::string FolderOf(std::string_view folder, platform::PathStyle style) {
  if (!folder.empty() && folder.back() == style.separator) folder.remove_suffix(1);
  return std::string(folder);
}

std::string TrimmingJoin(std::string_view folder, std::string_view name,
                         platform::PathStyle style) {
  return platform::PlainJoin(FolderOf(folder, style), name, style);
}

std::optional<std::string> NewFolderPath(const std::string& folder, const std::string& typed,
                                         platform::PathStyle style) {
  if (typed.find('\0') != std::string::npos || HasParentStep(typed, style)) return std::nullopt;
  const bool folder_ends = !folder.empty() && folder.back() == style.separator;
  const bool typed_starts = !typed.empty() && typed.front() == style.separator;
  if (folder_ends || typed_starts) return folder + typed;
  return folder + style.separator + typed;
}

}  // namespace vantrel::fileops
