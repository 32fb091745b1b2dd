// The folder reader's contract: every name of a folder once, with its kind and hidden mark, and
// nothing for what is no readable folder; the lists' snapshot sees the same.
#include "folder_reader_contract.h"

#include <algorithm>
#include <string>
#include <vector>

#include "lists/listing.h"
#include "platform/folder_reader.h"

namespace vantrel::testing {
namespace {

using lists::EntryKind;
using lists::FolderEntry;
using Names = std::vector<std::string>;

const FolderEntry* Find(const std::vector<FolderEntry>& entries, const std::string& name) {
  const auto found = std::find_if(entries.begin(), entries.end(),
                                  [&](const FolderEntry& entry) { return entry.name == name; });
  return found == entries.end() ? nullptr : &*found;
}

Names SortedNames(const std::vector<FolderEntry>& entries) {
  Names names;
  for (const FolderEntry& entry : entries) names.push_back(entry.name);
  std::sort(names.begin(), names.end());
  return names;
}

// A name outside ASCII, given as UTF-8, which both platforms' lists report as such.
const std::string kUnicode = "Caf\xC3\xA9 \xE2\x9C\x93 \xF0\x9F\x98\x80.txt";

TEST_P(FolderReaderContract, ListsEveryNameOnceWithItsKindAndNoDots) {
  box.Write("plain.txt", "a");
  box.Write(kUnicode, "u");
  box.Folder("sub");
  box.Write("sub/inside.txt", "not listed");
  const auto entries = platform::ReadFolder(box.root(), false);
  ASSERT_TRUE(entries.has_value());
  EXPECT_EQ(SortedNames(*entries), (Names{kUnicode, "plain.txt", "sub"}));
  ASSERT_EQ(entries->size(), 3u);
  EXPECT_EQ(Find(*entries, "plain.txt")->kind, EntryKind::File);
  EXPECT_EQ(Find(*entries, kUnicode)->kind, EntryKind::File);
  EXPECT_EQ(Find(*entries, "sub")->kind, EntryKind::Folder);
}

TEST_P(FolderReaderContract, HiddenFilesAreMarked) {
  const std::string hidden = box.WriteHidden("secret");
  box.Write("shown", "");
  const auto entries = platform::ReadFolder(box.root(), false);
  ASSERT_TRUE(entries.has_value());
  ASSERT_TRUE(Find(*entries, hidden) && Find(*entries, "shown"));
  EXPECT_TRUE(Find(*entries, hidden)->hidden);
  EXPECT_FALSE(Find(*entries, "shown")->hidden);
}

TEST_P(FolderReaderContract, AnEmptyFolderGivesNoEntries) {
  const std::string empty = box.Folder("empty");
  for (const bool with_exec_bits : {false, true}) {
    const auto entries = platform::ReadFolder(empty, with_exec_bits);
    ASSERT_TRUE(entries.has_value());
    EXPECT_TRUE(entries->empty());
  }
  // With nothing selected the path is the folder and a separator: still the folder.
  const auto entries = platform::ReadFolder(empty + box.separator(), false);
  ASSERT_TRUE(entries.has_value());
  EXPECT_TRUE(entries->empty());
}

TEST_P(FolderReaderContract, WhatIsNoReadableFolderGivesNothing) {
  const std::string file = box.Write("a.txt", "a");
  EXPECT_EQ(platform::ReadFolder(box.Path("missing"), false), std::nullopt);
  EXPECT_EQ(platform::ReadFolder(file, false), std::nullopt);
  EXPECT_EQ(platform::ReadFolderSnapshot(box.Path("missing")), std::nullopt);
  EXPECT_EQ(platform::ReadFolderSnapshot(file), std::nullopt);
}

// More entries than one answer's worth: every one comes, once.
TEST_P(FolderReaderContract, ListsManyEntries) {
  const std::string many = box.Folder("many");
  constexpr int kCount = 3 * static_cast<int>(platform::kEntriesPerAnswer) + 7;
  Names expected;
  for (int i = 0; i < kCount; ++i) {
    std::string name = std::to_string(i);
    name.insert(0, 1, 'f');
    box.Write(box.Join("many", name), "");
    expected.push_back(name);
  }
  std::sort(expected.begin(), expected.end());
  const auto entries = platform::ReadFolder(many, true);
  ASSERT_TRUE(entries.has_value());
  EXPECT_EQ(SortedNames(*entries), expected);
}

// The lists' one-pass snapshot holds what ReadFolder gives, kinds and hidden marks too.
TEST_P(FolderReaderContract, TheSnapshotHoldsWhatReadFolderGives) {
  box.Write("plain.txt", "a");
  box.Write(kUnicode, "u");
  box.Folder("sub");
  const std::string hidden = box.WriteHidden("secret");
  const auto entries = platform::ReadFolder(box.root(), false);
  const auto snapshot = platform::ReadFolderSnapshot(box.root());
  ASSERT_TRUE(entries.has_value());
  ASSERT_TRUE(snapshot.has_value());
  ASSERT_EQ(snapshot->size(), entries->size());
  for (std::size_t i = 0; i < snapshot->size(); ++i) {
    const std::string name(snapshot->Name(i));
    const FolderEntry* entry = Find(*entries, name);
    ASSERT_NE(entry, nullptr) << name;
    EXPECT_EQ(snapshot->at(i).kind, entry->kind) << name;
    EXPECT_EQ(snapshot->IsHidden(i), entry->hidden) << name;
    EXPECT_EQ(snapshot->IsHidden(i), name == hidden) << name;
  }
}

}  // namespace
}  // namespace vantrel::testing
