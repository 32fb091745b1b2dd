// ReadFolder on Windows: the contract every platform's reader keeps (tests/contract), and what is
// Windows's own: system entries count as hidden, the snapshot knows every entry's mode from the
// folder's own listing, a drive's root reads.
#include <gtest/gtest.h>

#include "contract_place.h"
#include "folder_reader_contract.h"
#include "lists/listing.h"
#include "platform/folder_reader.h"
#include "win32_paths.h"

namespace vantrel::testing {

using platform::ReadFolder;

namespace {

const lists::FolderEntry* Entry(const std::vector<lists::FolderEntry>& entries,
                                const std::string& name) {
  for (const auto& entry : entries) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

TEST(ReadFolder, SystemEntriesAreHidden) {
  TempFolder temp;
  const std::string system = temp.Folder("system");
  ::SetFileAttributesW(W(system).c_str(), FILE_ATTRIBUTE_SYSTEM);
  temp.Folder("sub");
  const auto entries = platform::ReadFolder(temp.str(), false);
  ASSERT_TRUE(entries);
  ASSERT_TRUE(Entry(*entries, "system") && Entry(*entries, "sub"));
  EXPECT_TRUE(Entry(*entries, "system")->hidden);
  EXPECT_FALSE(Entry(*entries, "sub")->hidden);
}

// The lists' one-pass snapshot needs no second look at any file.
TEST(ReadFolder, SnapshotKnowsEveryMode) {
  TempFolder temp;
  temp.Write("PROG.EXE", "p");
  temp.Folder("sub");
  const auto snapshot = platform::ReadFolderSnapshot(temp.str());
  ASSERT_TRUE(snapshot);
  ASSERT_EQ(snapshot->size(), 2u);
  for (std::size_t i = 0; i < snapshot->size(); ++i) {
    EXPECT_TRUE(snapshot->IsModeKnown(i)) << snapshot->Name(i);
  }
}

TEST(ReadFolder, ADrivesRootReads) {
  EXPECT_TRUE(platform::ReadFolder("C:\\", false));
}

}  // namespace
}  // namespace vantrel::testing

namespace vantrel::testing {
VANTREL_FOLDER_READER_CONTRACT(Win32,
                               ::testing::Values(FolderReaderMaker{"native", testing::MakePlace}));
}  // namespace vantrel::testing
