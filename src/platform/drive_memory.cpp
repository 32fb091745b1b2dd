#include "platform/drive_memory.h"

#include <algorithm>
#include <utility>

namespace vantrel::platform {

DriveMemory::DriveMemory(std::vector<DriveInfo> drives, const std::string& working_folder,
                         PathStyle style)
    : drives_(std::move(drives)), current_(drives_.size()), style_(style) {
  Remember(working_folder);
}

bool DriveMemory::HoldsFolder(const std::string& root, std::string_view folder) const {
  if (root.empty() || !folder.starts_with(root)) return false;
  // "/home" holds "/home" and "/home/ann" but not "/homework".
  return folder.size() == root.size() || root.back() == style_.separator ||
         folder[root.size()] == style_.separator;
}

std::optional<std::size_t> DriveMemory::DriveOf(std::string_view folder) const {
  std::optional<std::size_t> best;
  for (std::size_t i = 0; i < drives_.size(); ++i) {
    if (!HoldsFolder(drives_[i].root, folder)) continue;
    if (!best || drives_[i].root.size() > drives_[*best].root.size()) best = i;
  }
  return best;
}

std::optional<std::string> DriveMemory::CurrentFolderOfDrive(std::string_view drive_text) const {
  for (std::size_t i = 0; i < drives_.size(); ++i) {
    if (drives_[i].text != drive_text) continue;
    return current_[i].empty() ? drives_[i].root : current_[i];
  }
  return std::nullopt;
}

void DriveMemory::Remember(const std::string& folder) {
  if (const auto drive = DriveOf(folder)) current_[*drive] = folder;
}

void DriveMemory::Add(const std::vector<DriveInfo>& drives) {
  for (const DriveInfo& drive : drives) {
    const bool known = std::any_of(drives_.begin(), drives_.end(),
                                   [&](const DriveInfo& d) { return d.text == drive.text; });
    if (known) continue;
    drives_.push_back(drive);
    current_.emplace_back();
  }
}

}  // namespace vantrel::platform
