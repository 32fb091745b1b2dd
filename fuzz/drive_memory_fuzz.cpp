// The drive memory on any drive texts, roots and folders, in both path styles: a folder belongs
// to the longest root holding it, a drive opens where it was left or above it down to its root,
// and a list that reads the drives again still shows a drive it can name.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "lists/drive_memory.h"
#include "platform/paths.h"

namespace {

using vantrel::lists::DriveMemory;
using vantrel::platform::DriveInfo;
using vantrel::platform::PathStyle;

bool Holds(std::string_view root, std::string_view folder, PathStyle style) {
  return !root.empty() && folder.starts_with(root) &&
         (folder.size() == root.size() || root.back() == style.separator ||
          folder[root.size()] == style.separator);
}

// The drives the memory knows, in the order first seen: the first with a text is the one the
// text names.
const DriveInfo* Named(const std::vector<DriveInfo>& known, std::string_view text) {
  for (const DriveInfo& drive : known) {
    if (drive.text == text) return &drive;
  }
  return nullptr;
}

void CheckDriveOf(const DriveMemory& memory, std::string_view folder, PathStyle style) {
  const std::vector<DriveInfo>& drives = memory.Drives();
  const std::optional<std::size_t> found = memory.DriveOf(folder);
  std::size_t longest = 0;
  bool held = false;
  for (const DriveInfo& drive : drives) {
    if (!Holds(drive.root, folder, style)) continue;
    held = true;
    longest = std::max(longest, drive.root.size());
  }
  FUZZ_CHECK(found.has_value() == held);
  if (found) {
    FUZZ_CHECK(*found < drives.size());
    FUZZ_CHECK(Holds(drives[*found].root, folder, style));
    FUZZ_CHECK(drives[*found].root.size() == longest);
    FUZZ_CHECK(memory.DriveTextOf(folder) == drives[*found].text);
  }
}

void CheckFoldersOf(const DriveMemory& memory, std::string_view text, PathStyle style) {
  const DriveInfo* drive = Named(memory.Drives(), text);
  const std::vector<std::string> folders = memory.FoldersOfDrive(text);
  const std::optional<std::string> current = memory.CurrentFolderOfDrive(text);
  FUZZ_CHECK(folders.empty() == (drive == nullptr));
  FUZZ_CHECK(current.has_value() == (drive != nullptr));
  if (drive == nullptr) return;
  // From the current folder up to the drive's root, each a folder of the drive, each shorter.
  FUZZ_CHECK(folders.front() == *current);
  for (std::size_t i = 0; i < folders.size(); ++i) {
    FUZZ_CHECK(Holds(drive->root, folders[i], style));
    FUZZ_CHECK(i == 0 || folders[i].size() < folders[i - 1].size());
  }
  FUZZ_CHECK(folders.back() == drive->root);
}

void CheckRemember(DriveMemory& memory, const std::string& folder, PathStyle style) {
  const std::optional<std::size_t> drive = memory.DriveOf(folder);
  memory.Remember(folder);
  if (!drive) return;
  // Every text of that drive opens the folder now.
  const std::vector<DriveInfo>& drives = memory.Drives();
  for (const DriveInfo& other : drives) {
    if (Named(drives, other.text)->root == drives[*drive].root) {
      FUZZ_CHECK(memory.CurrentFolderOfDrive(other.text) == folder);
    }
  }
  CheckFoldersOf(memory, drives[*drive].text, style);
}

void CheckReread(DriveMemory& memory, const std::vector<DriveInfo>& found,
                 const std::string& shown) {
  const std::vector<DriveInfo> before = memory.Drives();
  const DriveMemory::ListItems items = memory.Reread(found, shown);
  FUZZ_CHECK(items.texts.size() == found.size() || items.texts.size() == found.size() + 1);
  for (std::size_t i = 0; i < found.size(); ++i) FUZZ_CHECK(items.texts[i] == found[i].text);
  for (const DriveInfo& drive : found) FUZZ_CHECK(memory.CurrentFolderOfDrive(drive.text));
  if (shown.empty()) {
    FUZZ_CHECK(items.texts.size() == found.size());
    return;
  }
  // The drive shown stays shown: by its text, or under the new text of its root.
  FUZZ_CHECK(items.shown >= 0 && static_cast<std::size_t>(items.shown) < items.texts.size());
  const auto at = static_cast<std::size_t>(items.shown);
  const DriveInfo* was = Named(before, shown);
  FUZZ_CHECK(items.texts[at] == shown ||
             (was != nullptr && at < found.size() && found[at].root == was->root));
}

// A drive always has a root folder; a line that gives none is no drive.
std::optional<DriveInfo> DriveLine(std::string_view line) {
  if (!line.starts_with('d')) return std::nullopt;
  line.remove_prefix(1);
  const std::size_t tab = line.find('\t');
  DriveInfo drive{std::string(line.substr(0, tab)),
                  std::string(tab == std::string_view::npos ? line : line.substr(tab + 1))};
  if (drive.root.empty()) return std::nullopt;
  return drive;
}

void Run(std::string_view input, PathStyle style) {
  vantrel::fuzz::Fields lines(input);
  const std::string working(lines.Next());
  std::vector<DriveInfo> drives;
  std::string_view line = lines.Next();
  for (; !line.empty() || !lines.empty(); line = lines.Next()) {
    const std::optional<DriveInfo> drive = DriveLine(line);
    if (!drive) break;
    drives.push_back(*drive);
  }
  DriveMemory memory(drives, working, style);
  CheckDriveOf(memory, working, style);
  std::vector<DriveInfo> found;
  // "d" text TAB root: a drive found at the next reading; "s" text: the drives read again while
  // the list shows that text; "r" folder: a folder opened; anything else: a folder or drive text
  // looked up.
  for (; !line.empty() || !lines.empty(); line = lines.Next()) {
    const std::string argument(line.empty() ? line : line.substr(1));
    if (const std::optional<DriveInfo> drive = DriveLine(line)) {
      found.push_back(*drive);
    } else if (line.starts_with('s')) {
      CheckReread(memory, found, argument);
      found.clear();
    } else if (line.starts_with('r')) {
      CheckRemember(memory, argument, style);
    } else {
      CheckDriveOf(memory, argument, style);
      CheckFoldersOf(memory, argument, style);
    }
  }
  for (const DriveInfo& drive : memory.Drives()) CheckFoldersOf(memory, drive.text, style);
}

}  // namespace

// Input: the working folder on the first line, then the drives ("d" text TAB root, or "d" path
// for a drive named by its root), then the steps above, one a line.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = vantrel::fuzz::AsText(data, size);
  Run(input, vantrel::platform::kPosixPaths);
  Run(input, vantrel::platform::kWindowsPaths);
  return 0;
}
