// Reading a folder into a snapshot on POSIX, and the execute bits asked for afterwards.
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "lists/listing.h"
#include "platform/folder_reader.h"
#include "sandbox.h"

namespace vantrel::testing {
namespace {

using platform::ReadExecuteBits;
using platform::ReadFolderSnapshot;

long IndexOf(const lists::FolderSnapshot& snapshot, std::string_view name) {
  for (std::size_t i = 0; i < snapshot.size(); ++i) {
    if (snapshot.Name(i) == name) return static_cast<long>(i);
  }
  return -1;
}

TEST(FolderSnapshotTest, KeepsRawNamesEachEndedForTheSystemsCalls) {
  Sandbox box;
  const std::vector<std::string> names = {"plain.txt", "caf\xe9.txt", "\xff\xfe", ".hidden"};
  for (const auto& name : names) box.Write(name, "");
  const auto snapshot = ReadFolderSnapshot(box.path());
  ASSERT_TRUE(snapshot.has_value());
  ASSERT_EQ(snapshot->size(), names.size());
  for (const auto& name : names) {
    const long i = IndexOf(*snapshot, name);
    ASSERT_GE(i, 0) << name;
    EXPECT_EQ(std::strlen(snapshot->CName(static_cast<std::size_t>(i))), name.size());
    EXPECT_EQ(snapshot->IsHidden(static_cast<std::size_t>(i)), name[0] == '.');
    EXPECT_FALSE(snapshot->IsModeKnown(static_cast<std::size_t>(i)));  // no stat for plain files
  }
  EXPECT_EQ(ReadFolderSnapshot(box / "missing"), std::nullopt);
}

TEST(FolderSnapshotTest, LinksAreResolvedOnceWithTheirExecuteBits) {
  Sandbox box;
  const std::string program = box.Write("program", "", 0755);
  const std::string text = box.Write("text", "", 0644);
  ::symlink(program.c_str(), (box / "program-link").c_str());
  ::symlink(text.c_str(), (box / "text-link").c_str());
  ::symlink((box / "missing").c_str(), (box / "dangling").c_str());
  const auto snapshot = ReadFolderSnapshot(box.path());
  ASSERT_TRUE(snapshot.has_value());
  const auto at = [&](const char* name) {
    return static_cast<std::size_t>(IndexOf(*snapshot, name));
  };
  EXPECT_EQ(snapshot->at(at("program-link")).kind, lists::EntryKind::File);
  EXPECT_TRUE(snapshot->IsKnownExecutable(at("program-link")));
  EXPECT_TRUE(snapshot->IsModeKnown(at("text-link")));
  EXPECT_FALSE(snapshot->IsKnownExecutable(at("text-link")));
  EXPECT_EQ(snapshot->at(at("dangling")).kind, lists::EntryKind::Other);
  EXPECT_FALSE(snapshot->IsModeKnown(at("program")));  // asked for later, only if needed
}

TEST(FolderSnapshotTest, ExecuteBitsMarkEachEntryAskedAboutAlsoFromSeveralThreads) {
  Sandbox box;
  constexpr int kFiles = 400;
  for (int i = 0; i < kFiles; ++i)
    box.Write(std::string("f").append(std::to_string(i)), "", i % 3 == 0 ? 0700 : 0600);
  const auto snapshot = ReadFolderSnapshot(box.path());
  ASSERT_TRUE(snapshot.has_value());
  std::vector<std::uint32_t> asked;
  for (std::uint32_t i = 0; i < snapshot->size(); ++i) asked.push_back(i);
  std::vector<std::uint8_t> marks(asked.size());
  const std::span<const std::uint32_t> all(asked);
  const std::span<std::uint8_t> out(marks);
  const std::size_t half = asked.size() / 2;
  bool first_ok = false, second_ok = false;
  std::thread other(
      [&] { first_ok = ReadExecuteBits(box.path(), *snapshot, all.first(half), out.first(half)); });
  second_ok = ReadExecuteBits(box.path(), *snapshot, all.subspan(half), out.subspan(half));
  other.join();
  ASSERT_TRUE(first_ok && second_ok);
  for (std::size_t k = 0; k < asked.size(); ++k) {
    const int number = std::stoi(std::string(snapshot->Name(asked[k]).substr(1)));
    EXPECT_EQ(marks[k] != 0, number % 3 == 0) << snapshot->Name(asked[k]);
  }
}

TEST(FolderSnapshotTest, ExecuteBitsOfAFolderThatHasGoneAreNotRead) {
  Sandbox box;
  const std::string folder = box.Folder("gone");
  box.Write("gone/tool", "", 0755);
  const auto snapshot = ReadFolderSnapshot(folder);
  ASSERT_TRUE(snapshot.has_value());
  ::unlink((folder + "/tool").c_str());
  ::rmdir(folder.c_str());
  const std::vector<std::uint32_t> asked = {0};
  std::vector<std::uint8_t> marks(1);
  EXPECT_FALSE(ReadExecuteBits(folder, *snapshot, asked, marks));
  EXPECT_EQ(marks[0], 0);
}

}  // namespace
}  // namespace vantrel::testing
