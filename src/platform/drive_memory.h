// Which drive holds a folder, and the folder last opened on each drive during this run. A folder
// list given a drive's text opens that drive's current folder, as a process keeps one current
// folder per drive: at first the drive's root, or the working folder for the drive holding it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/native.h"
#include "platform/paths.h"

namespace vantrel::platform {

class DriveMemory {
 public:
  DriveMemory(std::vector<DriveInfo> drives, const std::string& working_folder, PathStyle style);

  const std::vector<DriveInfo>& Drives() const { return drives_; }

  // The index of the drive holding the folder: the longest root that the folder starts with,
  // ending at a separator. Nullopt when no drive holds it.
  std::optional<std::size_t> DriveOf(std::string_view folder) const;
  // The current folder of the drive with this text (the folder last opened there, or its root);
  // nullopt when the text names no drive.
  std::optional<std::string> CurrentFolderOfDrive(std::string_view drive_text) const;
  // The text of the drive holding the folder; empty when no drive holds it.
  std::string DriveTextOf(std::string_view folder) const;
  // Records the folder as its drive's current folder; a folder on no known drive is ignored.
  void Remember(const std::string& folder);
  // Learns the drives among these that are new (a medium mounted since the drives were last
  // read). A drive that has gone stays known with its current folder: a list may still show it,
  // and it may come back.
  void Add(const std::vector<DriveInfo>& drives);

 private:
  bool HoldsFolder(const std::string& root, std::string_view folder) const;

  std::vector<DriveInfo> drives_;
  std::vector<std::string> current_;  // one per drive, empty until a folder was opened there
  PathStyle style_;
};

// The texts of the drives, in order.
std::vector<std::string> DriveTexts(const std::vector<DriveInfo>& drives);
// What a drive list offers once it has read the drives again: the drives found, then the drive
// it shows if that one has gone, so the list's Drive text never changes under it.
std::vector<std::string> DriveListItems(const std::vector<DriveInfo>& found,
                                        const std::string& shown);
// Where the text stands among the items; -1 when it is empty or not there.
int ItemIndex(const std::vector<std::string>& items, std::string_view text);

}  // namespace vantrel::platform
