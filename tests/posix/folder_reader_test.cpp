// ReadFolder on POSIX: the contract every platform's reader keeps (tests/contract), and what is
// POSIX's own: raw names, kinds through links, dot names, execute bits, folders that may not be
// read.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "contract_place.h"
#include "folder_reader_contract.h"
#include "lists/listing.h"
#include "platform/folder_reader.h"
#include "sandbox.h"

namespace vantrel::testing {

using platform::ReadFolder;

namespace {

const lists::FolderEntry* Find(const std::vector<lists::FolderEntry>& entries,
                               const std::string& name) {
  const auto found =
      std::find_if(entries.begin(), entries.end(),
                   [&](const lists::FolderEntry& entry) { return entry.name == name; });
  return found == entries.end() ? nullptr : &*found;
}

class ReadFolderTest : public ::testing::Test {
 protected:
  Sandbox box;
};

TEST_F(ReadFolderTest, ListsEveryNameWithItsExactBytesAndNoDots) {
  box.Write("plain.txt", "");
  box.Write("caf\xe9.txt", "");
  box.Write("\xff\xfe", "");
  const auto entries = ReadFolder(box.path(), false);
  ASSERT_TRUE(entries.has_value());
  std::vector<std::string> names;
  for (const lists::FolderEntry& entry : *entries) names.push_back(entry.name);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"caf\xe9.txt", "plain.txt", "\xff\xfe"}));
}

TEST_F(ReadFolderTest, KindsFollowLinks) {
  const std::string file = box.Write("file", "");
  const std::string folder = box.Folder("folder");
  ::symlink(file.c_str(), (box / "file-link").c_str());
  ::symlink(folder.c_str(), (box / "folder-link").c_str());
  ::symlink((box / "missing").c_str(), (box / "dangling").c_str());
  ::mkfifo((box / "fifo").c_str(), 0644);
  const auto entries = ReadFolder(box.path(), false);
  ASSERT_TRUE(entries.has_value());
  ASSERT_EQ(entries->size(), 6u);
  EXPECT_EQ(Find(*entries, "file")->kind, lists::EntryKind::File);
  EXPECT_EQ(Find(*entries, "folder")->kind, lists::EntryKind::Folder);
  EXPECT_EQ(Find(*entries, "file-link")->kind, lists::EntryKind::File);
  EXPECT_EQ(Find(*entries, "folder-link")->kind, lists::EntryKind::Folder);
  EXPECT_EQ(Find(*entries, "dangling")->kind, lists::EntryKind::Other);
  EXPECT_EQ(Find(*entries, "fifo")->kind, lists::EntryKind::Other);
}

// Hidden files are the contract's; a dot folder is hidden too.
TEST_F(ReadFolderTest, DotFoldersAreHidden) {
  box.Folder(".config");
  box.Folder("shown");
  const auto entries = ReadFolder(box.path(), false);
  ASSERT_TRUE(entries.has_value());
  EXPECT_TRUE(Find(*entries, ".config")->hidden);
  EXPECT_FALSE(Find(*entries, "shown")->hidden);
}

TEST_F(ReadFolderTest, ExecuteBitsOnlyWhenAskedAndOnlyForFiles) {
  const std::string program = box.Write("program", "", 0700);
  box.Write("others-may-run", "", 0601);
  box.Write("text", "", 0644);
  box.Folder("folder", 0755);
  ::symlink(program.c_str(), (box / "program-link").c_str());
  const auto with_bits = ReadFolder(box.path(), true);
  ASSERT_TRUE(with_bits.has_value());
  EXPECT_TRUE(Find(*with_bits, "program")->executable);
  EXPECT_TRUE(Find(*with_bits, "others-may-run")->executable);
  EXPECT_TRUE(Find(*with_bits, "program-link")->executable);
  EXPECT_FALSE(Find(*with_bits, "text")->executable);
  EXPECT_FALSE(Find(*with_bits, "folder")->executable);
  const auto without_bits = ReadFolder(box.path(), false);
  ASSERT_TRUE(without_bits.has_value());
  EXPECT_FALSE(Find(*without_bits, "program")->executable);
}

TEST_F(ReadFolderTest, AFolderThatMayNotBeReadGivesNothing) {
  ::chmod(box.path().c_str(), 0755);
  const std::string open = box.Folder("open", 0755);
  const std::string locked = box.Folder("locked", 0);
  // root reads any folder: check as an ordinary user in a child process, against a folder that
  // user can read.
  const auto result = RunInChild([&] {
    if (::geteuid() == 0 && ::setuid(65534) != 0) return 3;
    if (!ReadFolder(open, false).has_value()) return 2;
    return ReadFolder(locked, false).has_value() ? 1 : 0;
  });
  EXPECT_EQ(result, 0);
}

}  // namespace
}  // namespace vantrel::testing

namespace vantrel::testing {
VANTREL_FOLDER_READER_CONTRACT(Posix, ::testing::Values(FolderReaderMaker{"native", MakePlace}));
}  // namespace vantrel::testing
