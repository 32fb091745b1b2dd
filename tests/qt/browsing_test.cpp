// The browsing panes of the real window driven by the program: opening folders, picking drives,
// clicking files (names that are not UTF-8 included), refreshing, and folders that vanish.
#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QTest>
#include <filesystem>

#include "qt_fixture.h"

namespace vantrel::testing {
namespace {

class BrowsingTest : public ProgramTest {
 protected:
  QListView* List(const char* name) { return Child<QListView>(TopLevel("Form2"), name); }
  QComboBox* Drives(const char* name) { return Child<QComboBox>(TopLevel("Form2"), name); }
  std::vector<std::string> Names(const char* list) {
    std::vector<std::string> names;
    QListView* view = List(list);
    for (int row = 0; row < view->model()->rowCount(); ++row)
      names.push_back(view->model()->index(row, 0).data().toString().toStdString());
    return names;
  }
};

TEST_F(BrowsingTest, FolderListOpensOnDoubleClickOnly) {
  temp.Folder("alpha");
  temp.Write("alpha/inside.txt", "x");
  temp.Folder("beta");
  Start();
  QListView* dir1 = List("Dir1");
  const int alpha = RowOf(dir1, "alpha");
  ASSERT_GE(alpha, 0);

  ClickRow(dir1, alpha);
  EXPECT_EQ(dir1->currentIndex().row(), alpha);  // highlighted
  EXPECT_EQ(form2().FindFolderList("Dir1").Path(), working);
  EXPECT_EQ(Caption("Label4"), " ");  // no Change

  DoubleClickRow(dir1, RowOf(dir1, "alpha"));
  const std::string opened = working + "/alpha";
  EXPECT_EQ(form2().FindFolderList("Dir1").Path(), opened);
  EXPECT_EQ(form2().FindFileList("File1").Path(), opened);
  EXPECT_EQ(Names("File1"), std::vector<std::string>{"inside.txt"});
  EXPECT_EQ(Caption("Label4"), "Folder Name: " + opened);
  // The other pane stays where it was.
  EXPECT_EQ(form2().FindFolderList("Dir2").Path(), working);
  EXPECT_EQ(Caption("Label6"), "");

  // Enter opens the highlighted row: here the parent, from the list of ancestors.
  dir1->setFocus();
  dir1->setCurrentIndex(dir1->model()->index(RowOf(dir1, "alpha") - 1, 0));
  QTest::keyClick(dir1, Qt::Key_Return);
  EXPECT_EQ(form2().FindFolderList("Dir1").Path(), working);
}

TEST_F(BrowsingTest, RunPaneStartsTheProgramOnALeftDoubleClickOnly) {
  temp.Write("tool.exe", "MZ");
  Start();
  QListView* file3 = List("File3");
  const int tool = RowOf(file3, "tool.exe");
  ASSERT_GE(tool, 0);
  ClickRow(file3, tool);
  ASSERT_EQ(Caption("Label5"), "Run: tool.exe");

  // A double click with another button, as a user makes it, starts nothing.
  const QPoint at = RowCenter(file3, tool);
  for (const Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
    QTest::mouseClick(file3->viewport(), button, {}, at);
    QTest::mouseDClick(file3->viewport(), button, {}, at);
    QTest::mouseRelease(file3->viewport(), button, {}, at);
  }
  EXPECT_TRUE(programs.started.empty());

  DoubleClickRow(file3, tool);
  ASSERT_EQ(programs.started.size(), 1u);
  EXPECT_EQ(programs.started[0].first, working + "/tool.exe");
}

TEST_F(BrowsingTest, PickingADriveMovesOnlyItsPaneAndComesBackToTheDrivesFolder) {
  const std::string a = temp.Folder("driveA");
  const std::string b = temp.Folder("driveB");
  working = temp.Folder("driveA/work");
  temp.Folder("driveB/sub");
  temp.Write("driveB/on-b.txt", "b");
  temp.Write("driveB/tool.exe", "MZ");
  drives = {{a, a}, {b, b}, {temp.str() + "/gone", temp.str() + "/gone"}};
  Start();
  QComboBox* drive1 = Drives("Drive1");
  ASSERT_EQ(drive1->count(), 3);
  EXPECT_EQ(drive1->currentText().toStdString(), a);

  drive1->setFocus();
  QTest::keyClick(drive1, Qt::Key_Down);  // the user picks driveB
  EXPECT_EQ(form2().FindDriveList("Drive1").Drive(), b);
  EXPECT_EQ(form2().FindFolderList("Dir1").Path(), b);
  EXPECT_EQ(Names("File1"), (std::vector<std::string>{"on-b.txt", "tool.exe"}));
  EXPECT_EQ(Names("File3"), std::vector<std::string>{"tool.exe"});
  EXPECT_EQ(Caption("Label4"), "Folder Name: " + b);
  EXPECT_EQ(form2().FindFolderList("Dir2").Path(), working);
  EXPECT_EQ(form2().FindFileList("File2").Path(), working);

  // Opening a folder on driveB makes it that drive's current folder.
  DoubleClickRow(List("Dir1"), RowOf(List("Dir1"), "sub"));
  QTest::keyClick(drive1, Qt::Key_Up);
  EXPECT_EQ(form2().FindFolderList("Dir1").Path(), working);  // driveA's: the working folder
  QTest::keyClick(drive1, Qt::Key_Down);
  EXPECT_EQ(form2().FindFolderList("Dir1").Path(), b + "/sub");

  // A drive that cannot be read leaves the pane where it was; the list shows the pick.
  QTest::keyClick(drive1, Qt::Key_Down);
  EXPECT_EQ(form2().FindDriveList("Drive1").Drive(), temp.str() + "/gone");
  EXPECT_EQ(form2().FindFolderList("Dir1").Path(), b + "/sub");
  EXPECT_EQ(Caption("Label4"), "Folder Name: " + b + "/sub");
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(BrowsingTest, ADriveWhoseFolderWasRemovedOpensTheNearestFolderStillThere) {
  const std::string a = temp.Folder("driveA");
  const std::string b = temp.Folder("driveB");
  temp.Folder("driveB/sub");
  temp.Folder("driveB/sub/deep");
  working = a;
  drives = {{a, a}, {b, b}};
  Start();
  QComboBox* drive1 = Drives("Drive1");
  drive1->setFocus();
  QTest::keyClick(drive1, Qt::Key_Down);
  form2().FindFolderList("Dir1").SetPath(b + "/sub/deep");  // driveB's current folder
  QTest::keyClick(drive1, Qt::Key_Up);
  ASSERT_EQ(form2().FindFolderList("Dir1").Path(), a);

  std::filesystem::remove(b + "/sub/deep");
  QTest::keyClick(drive1, Qt::Key_Down);
  EXPECT_EQ(form2().FindFolderList("Dir1").Path(), b + "/sub");
  EXPECT_EQ(Caption("Label4"), "Folder Name: " + b + "/sub");
  std::filesystem::remove_all(b + "/sub");
  QTest::keyClick(drive1, Qt::Key_Up);
  QTest::keyClick(drive1, Qt::Key_Down);
  EXPECT_EQ(form2().FindFolderList("Dir1").Path(), b);
}

TEST_F(BrowsingTest, OpeningADriveListReadsTheDrivesAgainAndKeepsTheOneShown) {
  const std::string a = temp.Folder("driveA");
  const std::string b = temp.Folder("driveB");
  const std::string stick = temp.Folder("stick");
  temp.Write("stick/photo.jpg", "jpg");
  working = a;
  drives = {{a, a}, {b, b}};
  Start();
  QComboBox* drive1 = Drives("Drive1");
  const auto items = [](QComboBox* list) {
    std::vector<std::string> texts;
    for (int i = 0; i < list->count(); ++i) texts.push_back(list->itemText(i).toStdString());
    return texts;
  };

  // A stick was plugged in and driveB went: the open list offers what is there now.
  drives_now = [&] { return std::vector<platform::DriveInfo>{{a, a}, {stick, stick}}; };
  drive1->showPopup();
  drive1->hidePopup();
  EXPECT_EQ(items(drive1), (std::vector<std::string>{a, stick}));
  EXPECT_EQ(form2().FindDriveList("Drive1").Drive(), a);
  EXPECT_EQ(Caption("Label4"), " ");  // reading the drives raised no Change
  QTest::keyClick(drive1, Qt::Key_Down);
  EXPECT_EQ(form2().FindFolderList("Dir1").Path(), stick);
  EXPECT_EQ(Names("File1"), std::vector<std::string>{"photo.jpg"});

  // The stick went while shown: it stays in its list until another drive is picked, and the
  // other pane's list, which never showed it, drops it.
  drives_now = [&] { return std::vector<platform::DriveInfo>{{a, a}}; };
  drive1->showPopup();
  drive1->hidePopup();
  EXPECT_EQ(items(drive1), (std::vector<std::string>{a, stick}));
  EXPECT_EQ(form2().FindDriveList("Drive1").Drive(), stick);
  QComboBox* drive2 = Drives("Drive2");
  drive2->showPopup();
  drive2->hidePopup();
  EXPECT_EQ(items(drive2), std::vector<std::string>{a});
  EXPECT_EQ(form2().FindDriveList("Drive2").Drive(), a);
  EXPECT_EQ(form2().FindFolderList("Dir2").Path(), a);
  QTest::keyClick(drive1, Qt::Key_Up);
  drive1->showPopup();
  drive1->hidePopup();
  EXPECT_EQ(items(drive1), std::vector<std::string>{a});
}

TEST_F(BrowsingTest, ClickingAFileWhoseNameIsNotUtf8ShowsItsNameAndSize) {
  const std::string name = "caf\xE9 menu.txt";  // Latin-1, not UTF-8
  temp.Write(name, std::string(1536, 'x'));
  temp.Write("empty.txt", "");
  Start();
  QListView* file1 = List("File1");
  const int row = RowOf(file1, QString::fromUtf8("caf\uFFFD menu.txt"));
  ASSERT_GE(row, 0);

  ClickRow(file1, row);
  EXPECT_EQ(form2().FindFileList("File1").FileName(), name);
  EXPECT_EQ(Caption("Label1"), "Filename:" + name);
  EXPECT_EQ(Caption("Label2"), "Filesize: 1536 Bytes");
  ASSERT_FALSE(files.length_queries.empty());
  EXPECT_EQ(files.length_queries.back(), working + "/" + name);

  ClickRow(file1, RowOf(file1, "empty.txt"));
  EXPECT_EQ(Caption("Label2"), "Filesize: 0 Bytes");
  // Clicking the selected entry again still counts as a click.
  files.length_queries.clear();
  ClickRow(file1, RowOf(file1, "empty.txt"));
  EXPECT_EQ(files.length_queries.size(), 1U);
}

TEST_F(BrowsingTest, ControlCharactersInNamesShowAsMarksAndTheExactNameIsUsed) {
  temp.Write("a", "1");
  temp.Write("a\nb.txt", "22");
  temp.Folder("x\ty");
  Start();
  QListView* file1 = List("File1");
  // Two files whose names differ only after a newline do not look alike.
  EXPECT_EQ(Names("File1"), (std::vector<std::string>{"a", R"(a\nb.txt)"}));
  EXPECT_GE(RowOf(List("Dir1"), QString::fromUtf8(R"(x\ty)")), 0);
  EXPECT_LT(RowOf(List("Dir1"), QString::fromUtf8("x\ty")), 0);

  ClickRow(file1, RowOf(file1, QString::fromUtf8(R"(a\nb.txt)")));
  EXPECT_EQ(form2().FindFileList("File1").FileName(), "a\nb.txt");
  EXPECT_EQ(Caption("Label2"), "Filesize: 2 Bytes");
  const auto* label1 = Child<QLabel>(TopLevel("Form2"), "Label1");
  ASSERT_NE(label1, nullptr);
  EXPECT_EQ(label1->text(), QString::fromUtf8(R"(Filename:a\nb.txt)"));

  DoubleClickRow(List("Dir1"), RowOf(List("Dir1"), QString::fromUtf8(R"(x\ty)")));
  EXPECT_EQ(form2().FindFolderList("Dir1").Path(), working + "/x\ty");
  EXPECT_EQ(Caption("Label4"), "Folder Name: " + working + R"(/x\ty)");
}

TEST_F(BrowsingTest, KeysMovingTheSelectionClickTheFile) {
  temp.Write("a.txt", "1");
  temp.Write("b.txt", "22");
  Start();
  QListView* file1 = List("File1");
  ClickRow(file1, 0);
  QTest::keyClick(file1, Qt::Key_Down);
  EXPECT_EQ(Caption("Label1"), "Filename:b.txt");
  EXPECT_EQ(Caption("Label2"), "Filesize: 2 Bytes");
}

TEST_F(BrowsingTest, RightButtonSelectsNothing) {
  temp.Write("a.txt", "1");
  Start();
  QListView* file1 = List("File1");
  QTest::mouseClick(file1->viewport(), Qt::RightButton, {}, RowCenter(file1, 0));
  EXPECT_EQ(form2().FindFileList("File1").FileName(), "");
  EXPECT_EQ(Caption("Label1"), " ");
}

TEST_F(BrowsingTest, RefreshKeepsTheSelectedNameWhileItIsThere) {
  temp.Write("b.txt", "b");
  temp.Write("c.txt", "c");
  Start();
  platform::FileList& file1 = form2().FindFileList("File1");
  ClickRow(List("File1"), 0);
  ASSERT_EQ(file1.FileName(), "b.txt");
  temp.Write("a.txt", "a");
  file1.Refresh();
  EXPECT_EQ(Names("File1"), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
  EXPECT_EQ(file1.FileName(), "b.txt");
  std::filesystem::remove(temp.path() / "b.txt");
  file1.Refresh();
  EXPECT_EQ(file1.FileName(), "");
}

TEST_F(BrowsingTest, AFolderThatVanishesShowsEmpty) {
  working = temp.Folder("doomed");
  temp.Folder("doomed/child");
  temp.Write("doomed/file.txt", "x");
  Start();
  std::filesystem::remove_all(working);
  form2().FindFileList("File1").Refresh();
  form2().FindFolderList("Dir1").Refresh();
  EXPECT_TRUE(Names("File1").empty());
  EXPECT_EQ(RowOf(List("Dir1"), "child"), -1);
  EXPECT_EQ(form2().FindFolderList("Dir1").Path(), working);
  form2().FindFileList("File2").SetPath(working);
  EXPECT_TRUE(Names("File2").empty());
}

}  // namespace
}  // namespace vantrel::testing
