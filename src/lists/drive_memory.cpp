#include "lists/drive_memory.h"

#include <algorithm>
#include <utility>

namespace vantrel::lists {

DriveMemory::DriveMemory(std::vector<platform::DriveInfo> drives, const std::string& working_folder,
                         platform::PathStyle style)
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

std::vector<std::string> DriveMemory::FoldersOfDrive(std::string_view drive_text) const {
  std::vector<std::string> folders;
  const platform::DriveInfo* drive = Named(drive_text);
  const auto current = CurrentFolderOfDrive(drive_text);
  if (drive == nullptr || !current) return folders;
  const std::string& root = drive->root;
  folders.push_back(*current);
  while (folders.back().size() > root.size() && HoldsFolder(root, folders.back())) {
    const std::string& folder = folders.back();
    const std::size_t cut = folder.rfind(style_.separator);
    // Cut to a text shorter than the root ("C:" from "C:\Data", "" from "/tmp"): the root.
    std::string parent = cut == std::string::npos ? root : folder.substr(0, cut);
    if (parent.size() < root.size()) parent = root;
    folders.push_back(std::move(parent));
  }
  return folders;
}

void DriveMemory::Remember(const std::string& folder) {
  const auto drive = DriveOf(folder);
  if (!drive) return;
  // Every text the drive has had opens the same folder.
  const std::string root = drives_[*drive].root;
  for (std::size_t i = 0; i < drives_.size(); ++i) {
    if (drives_[i].root == root) current_[i] = folder;
  }
}

const platform::DriveInfo* DriveMemory::Named(std::string_view text) const {
  for (const platform::DriveInfo& drive : drives_) {
    if (drive.text == text) return &drive;
  }
  return nullptr;
}

DriveMemory::ListItems DriveMemory::Reread(const std::vector<platform::DriveInfo>& found,
                                           const std::string& shown) {
  for (const platform::DriveInfo& drive : found) {
    if (Named(drive.text) != nullptr) continue;
    // A new text for a known root (another volume label) starts at that drive's current folder.
    std::string folder;
    for (std::size_t i = 0; i < drives_.size(); ++i) {
      if (drives_[i].root == drive.root) folder = current_[i];
    }
    drives_.push_back(drive);
    current_.push_back(std::move(folder));
  }
  ListItems items{.texts = DriveTexts(found)};
  items.shown = ItemIndex(items.texts, shown);
  if (items.shown >= 0 || shown.empty()) return items;
  const platform::DriveInfo* was = Named(shown);
  for (std::size_t i = 0; was != nullptr && i < found.size(); ++i) {
    if (found[i].root == was->root) {
      items.shown = static_cast<int>(i);
      return items;
    }
  }
  items.texts.push_back(shown);
  items.shown = static_cast<int>(items.texts.size()) - 1;
  return items;
}

std::vector<std::string> DriveTexts(const std::vector<platform::DriveInfo>& drives) {
  std::vector<std::string> texts;
  texts.reserve(drives.size());
  for (const platform::DriveInfo& drive : drives) texts.push_back(drive.text);
  return texts;
}

int ItemIndex(const std::vector<std::string>& items, std::string_view text) {
  if (text.empty()) return -1;
  const auto found = std::find(items.begin(), items.end(), text);
  return found != items.end() ? static_cast<int>(found - items.begin()) : -1;
}

}  // namespace vantrel::lists
