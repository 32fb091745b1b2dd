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

std::string DriveMemory::DriveTextOf(std::string_view folder) const {
  const auto drive = DriveOf(folder);
  return drive ? drives_[*drive].text : std::string();
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

std::vector<std::string> DriveTexts(const std::vector<DriveInfo>& drives) {
  std::vector<std::string> texts;
  texts.reserve(drives.size());
  for (const DriveInfo& drive : drives) texts.push_back(drive.text);
  return texts;
}

std::vector<std::string> DriveListItems(const std::vector<DriveInfo>& found,
                                        const std::string& shown) {
  std::vector<std::string> items = DriveTexts(found);
  if (!shown.empty() && ItemIndex(items, shown) < 0) items.push_back(shown);
  return items;
}

int ItemIndex(const std::vector<std::string>& items, std::string_view text) {
  if (text.empty()) return -1;
  const auto found = std::find(items.begin(), items.end(), text);
  return found != items.end() ? static_cast<int>(found - items.begin()) : -1;
}

}  // namespace vantrel::platform
