#include "fileops/selection_paths.h"

namespace vantrel::fileops {

std::string FolderOf(std::string_view folder, platform::PathStyle style) {
  if (!folder.empty() && folder.back() == style.separator) folder.remove_suffix(1);
  return std::string(folder);
}

std::string TrimmingJoin(std::string_view folder, std::string_view name,
                         platform::PathStyle style) {
  return platform::PlainJoin(FolderOf(folder, style), name, style);
}

std::string NewFolderPath(const std::string& folder, const std::string& typed,
                          platform::PathStyle style) {
  const bool folder_ends = !folder.empty() && folder.back() == style.separator;
  const bool typed_starts = !typed.empty() && typed.front() == style.separator;
  if (folder_ends || typed_starts) return folder + typed;
  return folder + style.separator + typed;
}

}  // namespace vantrel::fileops
