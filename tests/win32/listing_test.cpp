// Reading folders and drives on Windows.
#include <gtest/gtest.h>

#include "platform/listing.h"
#include "platform/native.h"
#include "win32_paths.h"

namespace vantrel::testing {
namespace {

using platform::EntryKind;

const platform::FolderEntry* Entry(const std::vector<platform::FolderEntry>& entries,
                                   const std::string& name) {
  for (const auto& entry : entries) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

TEST(ReadFolder, ListsFilesAndFoldersWithTheirKindAndHiddenMark) {
  TempFolder temp;
  temp.Write("a.txt", "a");
  temp.Folder("sub");
  const std::string hidden = temp.Write("secret.txt", "");
  ::SetFileAttributesW(W(hidden).c_str(), FILE_ATTRIBUTE_HIDDEN);
  const std::string system = temp.Folder("system");
  ::SetFileAttributesW(W(system).c_str(), FILE_ATTRIBUTE_SYSTEM);
  const std::string unicode = "\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80.txt";
  temp.Write(unicode, "u");

  const auto entries = platform::ReadFolder(temp.str(), false);
  ASSERT_TRUE(entries);
  EXPECT_EQ(entries->size(), 5u);  // no "." or ".."
  ASSERT_TRUE(Entry(*entries, "a.txt") && Entry(*entries, "sub") && Entry(*entries, unicode));
  EXPECT_EQ(Entry(*entries, "a.txt")->kind, EntryKind::File);
  EXPECT_FALSE(Entry(*entries, "a.txt")->hidden);
  EXPECT_EQ(Entry(*entries, "sub")->kind, EntryKind::Folder);
  EXPECT_TRUE(Entry(*entries, "secret.txt")->hidden);
  EXPECT_TRUE(Entry(*entries, "system")->hidden);
  EXPECT_EQ(platform::FileListNames(*entries, "*.exe*", true), std::vector<std::string>{});
}

// The lists' one-pass snapshot sees what ReadFolder sees, and needs no second look at any file.
TEST(ReadFolder, SnapshotHoldsTheSameEntriesWithEveryModeKnown) {
  TempFolder temp;
  temp.Write("PROG.EXE", "p");
  temp.Folder("sub");
  const std::string hidden = temp.Write("secret.txt", "");
  ::SetFileAttributesW(W(hidden).c_str(), FILE_ATTRIBUTE_HIDDEN);
  const auto snapshot = platform::ReadFolderSnapshot(temp.str());
  ASSERT_TRUE(snapshot);
  ASSERT_EQ(snapshot->size(), 3u);
  for (std::size_t i = 0; i < snapshot->size(); ++i) {
    const std::string name(snapshot->Name(i));
    EXPECT_EQ(snapshot->at(i).kind, name == "sub" ? EntryKind::Folder : EntryKind::File) << name;
    EXPECT_EQ(snapshot->IsHidden(i), name == "secret.txt") << name;
    EXPECT_TRUE(snapshot->IsModeKnown(i)) << name;
  }
  EXPECT_FALSE(platform::ReadFolderSnapshot(temp.str() + "\\missing"));
}

TEST(ReadFolder, FailsForWhatIsNoReadableFolder) {
  TempFolder temp;
  const std::string file = temp.Write("a.txt", "a");
  EXPECT_EQ(platform::ReadFolder(Join(temp.str(), "missing"), false), std::nullopt);
  EXPECT_EQ(platform::ReadFolder(file, false), std::nullopt);
  const std::string empty = temp.Folder("empty");
  ASSERT_TRUE(platform::ReadFolder(empty, false));
  EXPECT_TRUE(platform::ReadFolder(empty, false)->empty());
  EXPECT_TRUE(platform::ReadFolder("C:\\", false));
  EXPECT_TRUE(platform::ReadFolder(empty + "\\", false));
}

TEST(Drives, EveryDriveReadsAsLetterColonAndOptionalLabel) {
  const auto drives = platform::ListDrives();
  ASSERT_FALSE(drives.empty());
  bool has_c = false;
  for (const auto& drive : drives) {
    ASSERT_GE(drive.text.size(), 2u);
    EXPECT_TRUE(drive.text[0] >= 'a' && drive.text[0] <= 'z') << drive.text;
    EXPECT_EQ(drive.text[1], ':');
    if (drive.text.size() > 2) {
      EXPECT_EQ(drive.text.substr(2, 2), " [") << drive.text;
      EXPECT_EQ(drive.text.back(), ']') << drive.text;
    }
    const char letter = static_cast<char>(drive.text[0] - 'a' + 'A');
    EXPECT_EQ(drive.root, std::string(1, letter) + ":\\");
    has_c = has_c || drive.root == "C:\\";
  }
  EXPECT_TRUE(has_c);
}

TEST(Drives, WorkingFolderIsTheCurrentFolderWithAnUpperCaseDrive) {
  TempFolder temp;
  std::string lower = temp.str();
  lower[0] = static_cast<char>(lower[0] - 'A' + 'a');
  wchar_t before[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, before);
  ASSERT_TRUE(::SetCurrentDirectoryW(W(lower).c_str()));
  EXPECT_EQ(platform::WorkingFolder(), temp.str());
  ::SetCurrentDirectoryW(L"C:\\");
  EXPECT_EQ(platform::WorkingFolder(), "C:\\");
  ::SetCurrentDirectoryW(before);
}

}  // namespace
}  // namespace vantrel::testing
