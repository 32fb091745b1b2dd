// Copy, move, drag-and-drop copy, delete and new folder, on real temporary folders.
#include <gtest/gtest.h>

#include <filesystem>

#include "about/frm_about.h"
#include "fileops/file_operations.h"
#include "harness.h"

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;
using platform::Answer;
using platform::Event;

// The path rules and prompts, in both path styles, on list paths set directly.
class PathsAndPrompts : public ::testing::TestWithParam<platform::PathStyle> {
 protected:
  void SetUp() override {
    h.files.record_only = true;
    h.Start(h.temp.str());
  }
  void Place(const std::string& source, const std::string& destination, const std::string& name) {
    h.File1().Force(source);
    h.Dir2().Force(destination);
    h.File1().Select(name);
  }
  std::string S(std::string text) const {  // writes a Windows path in the style under test
    for (char& c : text) {
      if (c == '\\') c = GetParam().separator;
    }
    return text;
  }
  form::Form2 Form() { return form::Form2(h.form2(), h.services, about_slot); }

  Harness h{GetParam()};
  std::unique_ptr<about::FrmAbout> about_slot;
};

TEST_P(PathsAndPrompts, FolderOfTrimsOneTrailingSeparator) {
  const auto style = GetParam();
  EXPECT_EQ(fileops::FolderOf(S("C:\\Data"), style), S("C:\\Data"));
  EXPECT_EQ(fileops::FolderOf(S("C:\\"), style), "C:");
  EXPECT_EQ(fileops::FolderOf(S("C:\\Data\\\\"), style), S("C:\\Data\\"));
  EXPECT_EQ(fileops::FolderOf("", style), "");
}

TEST_P(PathsAndPrompts, SelectedFilePathsFollowFile1AndDir2) {
  struct Row {
    const char *folder, *name, *full;
  };
  for (const Row& r :
       {Row{"C:\\Data", "a.txt", "C:\\Data\\a.txt"}, Row{"C:\\", "a.txt", "C:\\a.txt"},
        Row{"D:\\Backup\\Old", "a.txt", "D:\\Backup\\Old\\a.txt"},
        Row{"C:\\Data", "", "C:\\Data\\"}, Row{"C:\\", "", "C:\\"}}) {
    Place(S(r.folder), S(r.folder), r.name);
    // Dir1 and File2 show elsewhere: the paths must not follow them.
    h.Dir1().Force(S("E:\\Elsewhere"));
    h.File2().Force(S("E:\\Elsewhere"));
    const auto f = Form();
    EXPECT_EQ(fileops::SourceFilePath(f), S(r.full)) << r.folder << " " << r.name;
    EXPECT_EQ(fileops::DestinationFilePath(f), S(r.full)) << r.folder << " " << r.name;
  }
}

TEST_P(PathsAndPrompts, PromptsReadLetterForLetter) {
  Place(S("C:\\Data"), S("D:\\Backup"), "a.txt");
  h.dialogs.answers = {Answer::No, Answer::No, Answer::No, Answer::No};
  // Move last: its refresh of the unreadable test folder clears the selection.
  h.form2().Click("Command8");
  h.form2().Raise("Dir2", Event::DragDrop, {.source = "File1"});
  h.form2().Click("Command3");
  h.form2().Click("Command7");
  ASSERT_EQ(h.dialogs.messages.size(), 4u);
  const auto& m = h.dialogs.messages;
  EXPECT_EQ(m[0].prompt, S("Are you sure copying from C:\\Data\\a.txt to D:\\Backup\\a.txt"));
  EXPECT_EQ(m[1].prompt, S("Are you sure copying a.txtfrom C:\\Data\\a.txt to D:\\Backup\\a.txt"));
  EXPECT_EQ(m[2].prompt, "Are you sure to delete a.txt");
  EXPECT_EQ(m[3].prompt, S("Are you sure moving from C:\\Data\\a.txt to D:\\Backup\\a.txt"));
  for (int i : {0, 1, 3}) EXPECT_EQ(m[i].title, "Sure!");
  EXPECT_EQ(m[2].title, "File Delete!");
  for (const auto& message : m) EXPECT_EQ(message.style, 36);
}

TEST_P(PathsAndPrompts, PromptsWithNothingSelectedOrAtARoot) {
  Place(S("C:\\Data"), S("D:\\Backup"), "");
  h.dialogs.answers = {Answer::No, Answer::No, Answer::No};
  h.form2().Click("Command8");
  h.form2().Click("Command3");
  h.File1().Force(S("C:\\"));
  h.File1().Select("a.txt");
  h.form2().Click("Command8");
  const auto& m = h.dialogs.messages;
  ASSERT_EQ(m.size(), 3u);
  EXPECT_EQ(m[0].prompt, S("Are you sure copying from C:\\Data\\ to D:\\Backup\\"));
  EXPECT_EQ(m[1].prompt, "Are you sure to delete ");
  EXPECT_EQ(m[2].prompt, S("Are you sure copying from C:\\a.txt to D:\\Backup\\a.txt"));
}

TEST_P(PathsAndPrompts, NewFolderJoinsWithExactlyOneSeparator) {
  struct Case {
    const char *folder, *typed, *made;
  };
  for (const Case& c :
       {Case{"C:\\Data", "New", "C:\\Data\\New"}, Case{"C:\\Data", "\\New", "C:\\Data\\New"},
        Case{"C:\\", "New", "C:\\New"}}) {
    Place(S("E:\\Files"), S("E:\\Files"), "");
    h.Dir1().Force(S(c.folder));  // the base is Dir1, not File1
    h.files.made_folders.clear();
    h.dialogs.inputs = {S(c.typed)};
    h.form2().Click("Command1");
    ASSERT_EQ(h.files.made_folders.size(), 1u);
    EXPECT_EQ(h.files.made_folders[0], S(c.made));
    EXPECT_EQ(h.dialogs.input_prompts.back(), "enter the new folder name");
  }
}

// A typed name makes a folder in the source folder and nowhere else: a step up, in the style's
// separators or in '/' (which Windows reads as one too), or a NUL that would cut the path short,
// makes nothing, and the folder lists refresh as after any failed new folder.
TEST_P(PathsAndPrompts, NewFolderRefusesANameThatLeavesTheFolder) {
  std::vector<std::string> refused = {S("..\\Other"), S("a\\..\\..\\b"), "..", S("\\..\\x"),
                                      std::string("x\0\\..", 5)};
  if (GetParam().separator == '\\') refused.push_back("../Other");
  for (const std::string& typed : refused) {
    Place(S("E:\\Files"), S("E:\\Files"), "");
    h.Dir1().Force(S("C:\\Data"));
    h.files.made_folders.clear();
    const int refreshed = h.Dir2().refresh_count;
    h.dialogs.inputs = {typed};
    h.form2().Click("Command1");
    EXPECT_TRUE(h.files.made_folders.empty()) << typed;
    EXPECT_EQ(h.Dir2().refresh_count, refreshed + 1) << typed;
  }
  // Dots that are no step up stay a name.
  h.dialogs.inputs = {S("...\\a..b")};
  h.form2().Click("Command1");
  ASSERT_EQ(h.files.made_folders.size(), 1u);
  EXPECT_EQ(h.files.made_folders[0], S("C:\\Data\\...\\a..b"));
}

INSTANTIATE_TEST_SUITE_P(BothStyles, PathsAndPrompts,
                         ::testing::Values(platform::kWindowsPaths, platform::kPosixPaths),
                         [](const auto& info) {
                           return info.param.separator == '\\' ? "Windows" : "Posix";
                         });

// The buttons on real folders: a source folder holding a.txt, and a destination folder.
class FileOperations : public ::testing::Test {
 protected:
  void SetUp() override {
    source = h.temp.Folder("source");
    destination = h.temp.Folder("destination");
    h.temp.Write("source/a.txt", "new content");
    h.Start(source);
    h.Dir2().SetPath(destination);
    h.File1().ClickItem("a.txt");
  }
  std::string In(const std::string& folder, const std::string& name) {
    return (fs::path(folder) / name).string();
  }

  Harness h;
  std::string source;
  std::string destination;
};

TEST_F(FileOperations, CopyYesReplacesAndShowsTheFileNoCopiesNothing) {
  h.temp.Write("destination/a.txt", "old");
  h.dialogs.answers = {Answer::No};
  h.form2().Click("Command8");
  EXPECT_EQ(ReadAll(In(destination, "a.txt")), "old");
  EXPECT_EQ(h.File2().refresh_count, 1);

  h.dialogs.answers = {Answer::Yes};
  h.form2().Click("Command8");
  EXPECT_EQ(ReadAll(In(destination, "a.txt")), "new content");
  EXPECT_TRUE(h.File2().Lists("a.txt"));
  EXPECT_EQ(h.File2().refresh_count, 2);
  EXPECT_EQ(h.File1().refresh_count, 0);
  EXPECT_TRUE(fs::exists(In(source, "a.txt")));
}

TEST_F(FileOperations, MoveYesCopiesThenDeletesAndRefreshesBothLists) {
  h.dialogs.answers = {Answer::Yes};
  h.form2().Click("Command7");
  EXPECT_EQ(ReadAll(In(destination, "a.txt")), "new content");
  EXPECT_FALSE(fs::exists(In(source, "a.txt")));
  EXPECT_TRUE(h.File2().Lists("a.txt"));
  EXPECT_FALSE(h.File1().Lists("a.txt"));
  // The labels still name the moved file.
  EXPECT_EQ(h.Caption("Label1"), "Filename:a.txt");
}

TEST_F(FileOperations, ControlCharactersShowAsMarksWhileEveryOperationUsesTheExactName) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows refuses file names with control characters";
#endif
  // "two\nlines.txt" and "two" must not look alike, and no question may break across lines.
  const std::string name = "two\nlines\t.txt";
  const std::string shown = R"(two\nlines\t.txt)";
  const std::string odd_folder = h.temp.Folder("destination/new\rfolder");
  h.temp.Write("source/" + name, "exact");
  h.temp.Write("destination/new\rfolder/" + name, "old");
  h.File1().Refresh();
  h.File1().ClickItem(name);
  h.Dir2().SetPath(odd_folder);
  EXPECT_EQ(h.Caption("Label1"), "Filename:" + shown);
  EXPECT_EQ(h.Caption("Label6"), "Folder Name: " + destination + R"(/new\rfolder)");

  h.dialogs.answers = {Answer::Yes, Answer::Yes, Answer::Yes};
  h.form2().Click("Command8");
  EXPECT_EQ(ReadAll(In(odd_folder, name)), "exact");
  h.temp.Write("source/" + name, "moved");
  h.form2().Click("Command7");
  EXPECT_EQ(ReadAll(In(odd_folder, name)), "moved");
  EXPECT_FALSE(fs::exists(In(source, name)));
  h.temp.Write("source/" + name, "deleted");
  h.temp.Write("source/two", "kept");
  h.File1().Refresh();
  h.File1().ClickItem(name);
  h.form2().Click("Command3");
  EXPECT_FALSE(fs::exists(In(source, name)));
  EXPECT_EQ(ReadAll(In(source, "two")), "kept");

  ASSERT_EQ(h.dialogs.messages.size(), 3u);
  const std::string to = destination + R"(/new\rfolder/)" + shown;
  EXPECT_EQ(h.dialogs.messages[0].prompt,
            "Are you sure copying from " + source + "/" + shown + " to " + to);
  EXPECT_EQ(h.dialogs.messages[1].prompt,
            "Are you sure moving from " + source + "/" + shown + " to " + to);
  EXPECT_EQ(h.dialogs.messages[2].prompt, "Are you sure to delete " + shown);
}

TEST_F(FileOperations, MoveNoChangesNothingButRefreshesBothLists) {
  h.dialogs.answers = {Answer::No};
  h.form2().Click("Command7");
  EXPECT_TRUE(fs::exists(In(source, "a.txt")));
  EXPECT_FALSE(fs::exists(In(destination, "a.txt")));
  EXPECT_EQ(h.File2().refresh_count, 1);
  EXPECT_EQ(h.File1().refresh_count, 1);
  EXPECT_TRUE(h.files.deletes.empty());
}

TEST_F(FileOperations, MoveOntoItselfDeletesNothing) {
  h.Dir2().SetPath(source);
  h.dialogs.answers = {Answer::Yes, Answer::Yes};
  h.form2().Click("Command8");
  h.form2().Click("Command7");
  EXPECT_EQ(ReadAll(In(source, "a.txt")), "new content");
  EXPECT_TRUE(h.files.deletes.empty());
  EXPECT_EQ(h.File1().Names(), std::vector<std::string>{"a.txt"});
}

TEST_F(FileOperations, MoveWithNothingSelectedDeletesNothing) {
  h.File1().Select("");
  h.dialogs.answers = {Answer::Yes};
  h.form2().Click("Command7");
  EXPECT_TRUE(h.files.deletes.empty());
  EXPECT_TRUE(fs::is_directory(source));
  EXPECT_TRUE(fs::exists(In(source, "a.txt")));
}

TEST_F(FileOperations, DeleteAsksAndRefreshesOnlyOnYes) {
  h.dialogs.answers = {Answer::No};
  h.form2().Click("Command3");
  EXPECT_TRUE(fs::exists(In(source, "a.txt")));
  EXPECT_EQ(h.File1().refresh_count, 0);
  EXPECT_EQ(h.File2().refresh_count, 0);

  h.dialogs.answers = {Answer::Yes};
  h.form2().Click("Command3");
  EXPECT_FALSE(fs::exists(In(source, "a.txt")));
  EXPECT_EQ(h.File1().refresh_count, 1);
  EXPECT_EQ(h.File2().refresh_count, 1);
  EXPECT_FALSE(h.File1().Lists("a.txt"));
  EXPECT_EQ(h.Caption("Label1"), "Filename:a.txt");
}

TEST_F(FileOperations, DeleteWithNothingSelectedLeavesTheFolder) {
  h.File1().Select("");
  h.dialogs.answers = {Answer::Yes};
  h.form2().Click("Command3");
  EXPECT_TRUE(fs::is_directory(source));
  EXPECT_TRUE(fs::exists(In(source, "a.txt")));
}

TEST_F(FileOperations, NewFolderIsMadeInsideDir1AndBothFolderListsRefresh) {
  h.dialogs.inputs = {"New"};
  h.form2().Click("Command1");
  EXPECT_TRUE(fs::is_directory(In(source, "New")));
  EXPECT_FALSE(fs::exists(source + "New"));
  EXPECT_EQ(h.Dir1().refresh_count, 1);
  EXPECT_EQ(h.Dir2().refresh_count, 1);
}

TEST_F(FileOperations, NewFolderCancelledMakesNothingButRefreshes) {
  h.dialogs.inputs = {""};
  h.form2().Click("Command1");
  EXPECT_TRUE(h.files.made_folders.empty());
  EXPECT_EQ(h.Dir1().refresh_count, 1);
  EXPECT_EQ(h.Dir2().refresh_count, 1);
}

TEST_F(FileOperations, OnlyALeftButtonMoveStartsADrag) {
  for (std::int16_t buttons : {0, 2, 3, 4}) {
    h.form2().Raise("File1", Event::MouseMove, {.button = buttons});
  }
  EXPECT_TRUE(h.File1().drag_actions.empty());
  h.form2().Raise("File1", Event::MouseMove, {.button = 1});
  EXPECT_EQ(h.File1().drag_actions, std::vector{platform::DragAction::Begin});
}

TEST_F(FileOperations, DragIconIsReadFromGrabIcoAtEveryDragStart) {
  h.program.folder = h.temp.Folder("program");
  const std::string icon = In(h.program.folder, "grab.ico");
  // Missing: the list keeps its own icon and the drag still starts.
  h.form2().Raise("File1", Event::MouseMove, {.button = 1});
  EXPECT_EQ(h.File1().drag_icon, nullptr);
  h.temp.Write("program/grab.ico", std::string("\0\0\1\0", 4) + "icon");
  h.form2().Raise("File1", Event::MouseMove, {.button = 1});
  ASSERT_NE(h.File1().drag_icon, nullptr);
  // Corrupt: the icon loaded before stays.
  h.temp.Write("program/grab.ico", "not an icon");
  h.form2().Raise("File1", Event::MouseMove, {.button = 1});
  EXPECT_NE(h.File1().drag_icon, nullptr);
  EXPECT_EQ(h.File1().drag_actions.size(), 3u);
  EXPECT_EQ(h.windows.pictures_asked, std::vector<std::string>(3, icon));
}

TEST_F(FileOperations, DropCopiesIntoDir2OnYesOnly) {
  h.dialogs.answers = {Answer::No};
  h.form2().Raise("Dir2", Event::DragDrop, {.source = "File1"});
  EXPECT_FALSE(fs::exists(In(destination, "a.txt")));
  EXPECT_TRUE(h.File1().drag_actions.empty());
  EXPECT_EQ(h.File2().refresh_count, 1);

  h.dialogs.answers = {Answer::Yes};
  h.form2().Raise("Dir2", Event::DragDrop, {.x = 10, .y = 900, .source = "File1"});
  EXPECT_EQ(ReadAll(In(destination, "a.txt")), "new content");
  EXPECT_EQ(h.File1().drag_actions, std::vector{platform::DragAction::End});
  EXPECT_TRUE(h.File2().Lists("a.txt"));
}

}  // namespace
}  // namespace vantrel::testing
