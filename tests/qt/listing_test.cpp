// How the Qt lists read folders: one read shared by the lists an event sets, Refresh always
// reading again, and program lists of large folders completed by worker threads.
#include <QListView>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "lists/listing.h"
#include "platform/folder_reader.h"
#include "platform/qt/file_list.h"
#include "platform/qt/folder_snapshots.h"
#include "qt_fixture.h"

namespace vantrel::testing {
namespace {

using platform::qt::FolderSnapshots;
using platform::qt::QtFileList;

TEST(FolderSnapshotsTest, ShareOneReadPerScopeAndReadAgainOnRefresh) {
  testing::TempFolder temp;
  const std::string folder = temp.str();
  temp.Write("a.txt", "");
  FolderSnapshots snapshots(platform::ImmediateOffThread());
  {
    const FolderSnapshots::Scope outer(snapshots);
    const auto first = snapshots.Read(folder);
    ASSERT_NE(first, nullptr);
    {
      const FolderSnapshots::Scope inner(snapshots);  // a Change handler run by the first
      EXPECT_EQ(snapshots.Read(folder), first);
    }
    EXPECT_EQ(snapshots.Read(folder), first);  // an inner scope ending forgets nothing
    temp.Write("b.txt", "");
    const auto again = snapshots.Reread(folder);
    EXPECT_EQ(again->size(), 2U);
    EXPECT_EQ(snapshots.Read(folder), again);  // later lists share the fresh read
  }
  EXPECT_EQ(snapshots.kept(), 0U);
  temp.Write("c.txt", "");
  EXPECT_EQ(snapshots.Read(folder)->size(), 3U);  // the next event reads afresh
  EXPECT_EQ(snapshots.kept(), 0U);                // and outside a scope nothing is kept
  const FolderSnapshots::Scope scope(snapshots);
  EXPECT_EQ(snapshots.Read(folder + "/missing"), nullptr);
}

class LargeFolderTest : public ProgramTest {
 protected:
  // A folder with more files than a program list asks about at once: every 97th may be run,
  // every 301st is named *.exe, and one hidden program is left out.
  std::string MakeLargeFolder(const std::string& name) {
    const std::string folder = temp.Folder(name);
    const std::size_t count = QtFileList::kScanInBackground + 500;
    for (std::size_t i = 0; i < count; ++i) {
      const std::string file = folder + "/File " + std::to_string(i) +
                               (i % 301 == 0 ? ".exe"
                                : i % 2 == 0 ? ".TXT"
                                             : ".txt");
      std::ofstream(file).put('x');
      if (i % 97 == 5)
        std::filesystem::permissions(file, std::filesystem::perms::owner_exec,
                                     std::filesystem::perm_options::add);
    }
    const std::string hidden = temp.Write(name + "/.hidden-tool", "x");
    std::filesystem::permissions(hidden, std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    return folder;
  }
  // What the run pane must show in the end, by the plain reader and list logic.
  static std::vector<std::string> Programs(const std::string& folder) {
    return lists::FileListNames(*platform::ReadFolder(folder, true), "*.exe*", true);
  }
  std::vector<std::string> Names(const char* list) {
    auto* model = static_cast<platform::qt::FileListModel*>(
        Child<QListView>(TopLevel("Form2"), list)->model());
    std::vector<std::string> names;
    for (int row = 0; row < model->rowCount({}); ++row) names.push_back(model->Name(row));
    return names;
  }
  bool ShowsAllPrograms(const std::string& folder) {
    return QTest::qWaitFor([&] { return Names("File3") == Programs(folder); }, 10000);
  }
};

TEST_F(LargeFolderTest, ProgramListShowsPatternMatchesAtOnceAndTheRestOnceRead) {
  const std::string big = MakeLargeFolder("big");
  Start();
  form2().FindFolderList("Dir1").SetPath(big);
  // At once: the files named like programs (the pattern needs no stat), in list order.
  std::vector<std::string> named;
  for (const auto& name : Programs(big)) {
    if (lists::MatchesPattern(name, "*.exe*")) named.push_back(name);
  }
  EXPECT_EQ(Names("File3"), named);
  EXPECT_EQ(Names("File1").size(), QtFileList::kScanInBackground + 500);
  // The user picks one meanwhile; it stays picked when the rest arrive.
  platform::FileList& file3 = form2().FindFileList("File3");
  ClickRow(Child<QListView>(TopLevel("Form2"), "File3"), 1);
  const std::string picked = file3.FileName();
  ASSERT_FALSE(picked.empty());
  ASSERT_TRUE(ShowsAllPrograms(big));
  EXPECT_GT(Names("File3").size(), named.size());
  EXPECT_EQ(file3.FileName(), picked);
}

TEST_F(LargeFolderTest, RefreshWhileReadingShowsTheNewReadOnly) {
  const std::string big = MakeLargeFolder("big");
  Start();
  form2().FindFolderList("Dir1").SetPath(big);
  temp.Write("big/zz-new.exe", "x");
  form2().FindFileList("File3").Refresh();  // the first scan is dropped, a new one starts
  ASSERT_TRUE(ShowsAllPrograms(big));
  EXPECT_EQ(Names("File3").back(), "zz-new.exe");
  QTest::qWait(50);  // nothing late from the dropped scan replaces it
  EXPECT_EQ(Names("File3"), Programs(big));
}

TEST_F(LargeFolderTest, MovingOnWhileReadingShowsTheNewFolder) {
  const std::string big = MakeLargeFolder("big");
  temp.Write("small/tool.exe", "x");
  Start();
  form2().FindFolderList("Dir1").SetPath(big);
  form2().FindFolderList("Dir1").SetPath(temp.str() + "/small");
  QTest::qWait(100);
  EXPECT_EQ(Names("File3"), std::vector<std::string>{"tool.exe"});
}

TEST_F(LargeFolderTest, ClosingWhileReadingStopsTheWorkersAndTheNextWindowListsAll) {
  const std::string big = MakeLargeFolder("big");
  working = big;
  Start();
  app.reset();  // the window and its lists go while the scan runs: nothing may reach them
  QTest::qWait(50);
  Start();
  ASSERT_TRUE(ShowsAllPrograms(big));
}

}  // namespace
}  // namespace vantrel::testing
