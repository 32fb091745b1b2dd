// Which drive holds a folder, and the folder last opened on each drive during this run. A folder
// list given a drive's text opens that drive's current folder, as a process keeps one current
// folder per drive: at first the drive's root, or the working folder for the drive holding it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/drive_info.h"
#include "platform/paths.h"

namespace vantrel::lists {

class DriveMemory {
 public:
  DriveMemory(std::vector<platform::DriveInfo> drives, const std::string& working_folder,
              platform::PathStyle style);

  const std::vector<platform::DriveInfo>& Drives() const { return drives_; }

  // The index of the drive holding the folder: the longest root that the folder starts with,
  // ending at a separator. Nullopt when no drive holds it.
  std::optional<std::size_t> DriveOf(std::string_view folder) const;
  // The current folder of the drive with this text (the folder last opened there, or its root);
  // nullopt when the text names no drive.
  std::optional<std::string> CurrentFolderOfDrive(std::string_view drive_text) const;
  // Where a drive with this text opens: its current folder, then each folder above it up to the
  // drive's root, for when the current folder has gone since. Empty when the text names no drive.
  std::vector<std::string> FoldersOfDrive(std::string_view drive_text) const;
  // The text of the drive holding the folder; empty when no drive holds it.
  std::string DriveTextOf(std::string_view folder) const;
  // Records the folder as its drive's current folder; a folder on no known drive is ignored.
  void Remember(const std::string& folder);

  // What a drive list offers once it has read the drives again: the items and which one shows.
  struct ListItems {
    std::vector<std::string> texts;
    int shown = -1;
  };
  // Learns the drives found (a medium mounted since, or a new volume label) and gives the items
  // of a list that showed the drive with the text `shown`: the drives found, that drive still
  // shown, under its new text when only its label changed, or added at the end when it has gone
  // (a list never loses the drive it shows). Every text a drive ever had keeps naming it, with
  // its current folder.
  ListItems Reread(const std::vector<platform::DriveInfo>& found, const std::string& shown);

 private:
  bool HoldsFolder(const std::string& root, std::string_view folder) const;
  const platform::DriveInfo* Named(std::string_view text) const;

  std::vector<platform::DriveInfo> drives_;  // every drive text seen, in the order first seen
  std::vector<std::string> current_;         // one per drive, empty until a folder was opened there
  platform::PathStyle style_;
};

// The texts of the drives, in order.
std::vector<std::string> DriveTexts(const std::vector<platform::DriveInfo>& drives);
// Where the text stands among the items; -1 when it is empty or not there.
int ItemIndex(const std::vector<std::string>& items, std::string_view text);

}  // namespace vantrel::lists
