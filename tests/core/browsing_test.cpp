// The panes kept in step: drive picks, folder changes and the file click (Exit is tested on the
// real front ends, where it ends the process).
#include <gtest/gtest.h>

#include "harness.h"

namespace vantrel::testing {
namespace {

using platform::Event;

class BrowsingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    source = h.temp.Folder("source");
    other = h.temp.Folder("other");
    h.temp.Write("source/b.txt", std::string(1536, 'x'));
    h.temp.Write("source/A.txt", "");
    h.temp.Write("source/Setup.EXE.bak", "x");
    h.temp.Write("other/c.txt", "c");
    h.windows.drive_folders = {{"src-drive", source}, {"other-drive", other}};
    h.Start(source);
  }

  Harness h;
  std::string source;
  std::string other;
};

TEST_F(BrowsingTest, StartsWithDesignCaptionsAndEveryListAtTheStartFolder) {
  EXPECT_EQ(h.form2().Caption(), "Vantrel 1.0");
  for (const char* label : {"Label1", "Label2", "Label4", "Label5"}) {
    EXPECT_EQ(h.Caption(label), " ") << label;
  }
  EXPECT_EQ(h.Caption("Label6"), "");
  EXPECT_EQ(h.Dir1().Path(), source);
  EXPECT_EQ(h.File1().Names(), (std::vector<std::string>{"A.txt", "b.txt", "Setup.EXE.bak"}));
  EXPECT_EQ(h.File3().Names(), (std::vector<std::string>{"Setup.EXE.bak"}));
}

TEST_F(BrowsingTest, SourceDrivePickMovesTheSourcePaneOnly) {
  h.form2().Drive("Drive1").Pick("other-drive");
  EXPECT_EQ(h.Dir1().Path(), other);
  EXPECT_EQ(h.File1().Path(), other);
  EXPECT_EQ(h.File3().Path(), other);
  EXPECT_EQ(h.File1().Names(), (std::vector<std::string>{"c.txt"}));
  EXPECT_EQ(h.Caption("Label4"), "Folder Name: " + other);
  EXPECT_EQ(h.Dir2().Path(), source);
  EXPECT_EQ(h.File2().Path(), source);
  EXPECT_EQ(h.Caption("Label6"), "");
}

TEST_F(BrowsingTest, DestinationDrivePickMovesTheDestinationPaneOnly) {
  h.form2().Drive("Drive2").Pick("other-drive");
  EXPECT_EQ(h.Dir2().Path(), other);
  EXPECT_EQ(h.File2().Path(), other);
  EXPECT_EQ(h.Caption("Label6"), "Folder Name: " + other);
  EXPECT_EQ(h.Dir1().Path(), source);
  EXPECT_EQ(h.File1().Path(), source);
  EXPECT_EQ(h.File3().Path(), source);
  EXPECT_EQ(h.Caption("Label4"), " ");
}

TEST_F(BrowsingTest, DriveThatCannotBeOpenedLeavesThePaneWhereItWas) {
  h.windows.drive_folders["gone"] = h.temp.str() + "/no-such-folder";
  h.form2().Drive("Drive1").Pick("gone");
  EXPECT_EQ(h.form2().Drive("Drive1").Drive(), "gone");
  EXPECT_EQ(h.Dir1().Path(), source);
  EXPECT_EQ(h.File1().Path(), source);
  EXPECT_EQ(h.Caption("Label4"), " ");
  EXPECT_TRUE(h.dialogs.messages.empty());
}

TEST_F(BrowsingTest, FileClickShowsNameAndSizeAndFolderChangesKeepThem) {
  h.File1().ClickItem("b.txt");
  EXPECT_EQ(h.Caption("Label1"), "Filename:b.txt");
  EXPECT_EQ(h.Caption("Label2"), "Filesize: 1536 Bytes");
  h.File1().ClickItem("A.txt");
  EXPECT_EQ(h.Caption("Label2"), "Filesize: 0 Bytes");

  h.Dir1().SetPath(other);
  EXPECT_EQ(h.Caption("Label4"), "Folder Name: " + other);
  EXPECT_EQ(h.Caption("Label1"), "Filename:A.txt");
  EXPECT_EQ(h.Caption("Label2"), "Filesize: 0 Bytes");
}

TEST_F(BrowsingTest, SizeThatCannotBeReadLeavesTheNumberOut) {
  h.File1().ClickItem("vanished.txt");
  EXPECT_EQ(h.Caption("Label1"), "Filename:vanished.txt");
  EXPECT_EQ(h.Caption("Label2"), "Filesize:  Bytes");
}

// The size lookup joins without trimming, so at a root the separator is doubled; sizes past
// 32 bits show in full.
TEST(FileClickAtRoot, AsksForTheDoubledSeparatorPathInBothStyles) {
  struct Case {
    platform::PathStyle style;
    std::string root;
    std::string asked;
  };
  for (const Case& c : {Case{platform::kWindowsPaths, "C:\\", "C:\\\\a.txt"},
                        Case{platform::kPosixPaths, "/", "//a.txt"}}) {
    Harness h(c.style);
    h.Start(h.temp.str());
    h.files.length_overrides[c.asked] = 5'000'000'000ULL;
    h.File1().Force(c.root);
    h.File1().ClickItem("a.txt");
    ASSERT_EQ(h.files.length_queries.size(), 1u);
    EXPECT_EQ(h.files.length_queries[0], c.asked);
    EXPECT_EQ(h.Caption("Label2"), "Filesize: 5000000000 Bytes");
  }
}

TEST(RootFolder, LabelEndsInTheRootSeparator) {
  Harness h;
  h.windows.drive_folders = {{"/", "/"}};
  h.Start(h.temp.str());
  h.form2().Drive("Drive2").Pick("/");
  EXPECT_EQ(h.Dir2().Path(), "/");
  EXPECT_EQ(h.Caption("Label6"), "Folder Name: /");
}

#ifndef _WIN32
TEST(NonUtf8Names, AreListedAndTheirSizeShown) {
  Harness h;
  const std::string name = "caf\xE9-\xFF.txt";  // Latin-1 bytes, not valid UTF-8
  h.temp.Write(name, "12345");
  h.Start(h.temp.str());
  ASSERT_TRUE(h.File1().Lists(name));
  h.File1().ClickItem(name);
  EXPECT_EQ(h.Caption("Label1"), "Filename:" + name);
  EXPECT_EQ(h.Caption("Label2"), "Filesize: 5 Bytes");
}
#endif

}  // namespace
}  // namespace vantrel::testing
