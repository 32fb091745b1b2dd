// Dragging a file from the source file list onto the destination folder list: which moves start
// a drag, which icon it shows, which drops are accepted, and the copy the program makes of it.
#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QListView>
#include <QMimeData>
#include <QTest>
#include <filesystem>

#include "app/form2_wiring.h"
#include "form/form2.h"
#include "platform/qt/app_icons.h"
#include "platform/qt/drag_data.h"
#include "qt_fixture.h"

namespace vantrel::qt_testing {
namespace {

using platform::Event;

// Sends a drag's enter, move and drop to a widget, as the window system would on a release over
// it; true when the widget accepted the drop.
bool DropOn(QWidget* target, const QMimeData& data, QPoint at) {
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  if (!enter.isAccepted()) return false;
  QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &move);
  QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  QApplication::processEvents();
  return drop.isAccepted();
}

QListView* List(const char* name) {
  return Child<QListView>(TopLevel("Form2"), name);
}

class DropTargetTest : public FrontEndTest {
 protected:
  void SetUp() override {
    // Handles what the program handles, and records it.
    sink_.handled.emplace();
    for (const auto& row : app::Form2Wiring()) sink_.handled->emplace(row.control, row.event);
    windows_ = std::make_unique<platform::qt::QtWindowSystem>(Options());
    window_ = windows_->CreateWindow(form::Form2Description(), sink_);
    window_->Show();
  }

  RecordingSink sink_;
  std::unique_ptr<platform::qt::QtWindowSystem> windows_;
  std::unique_ptr<platform::Window> window_;
};

TEST_F(DropTargetTest, OnlyTheDestinationFolderListTakesDropsOfOurOwnDrags) {
  const auto ours = platform::qt::MakeDragData("File1");
  for (const char* other : {"Dir1", "File1", "File2", "File3"}) {
    EXPECT_FALSE(DropOn(List(other)->viewport(), *ours, QPoint(20, 30))) << other;
  }
  EXPECT_EQ(sink_.Count("Dir1", Event::DragDrop) + sink_.Count("File1", Event::DragDrop) +
                sink_.Count("File2", Event::DragDrop) + sink_.Count("File3", Event::DragDrop),
            0);

  EXPECT_TRUE(DropOn(List("Dir2")->viewport(), *ours, QPoint(20, 30)));
  const auto* dropped = sink_.Last("Dir2", Event::DragDrop);
  ASSERT_NE(dropped, nullptr);
  EXPECT_EQ(dropped->source, "File1");
  // Twips relative to the list, whose viewport sits inside its frame.
  const QPoint in_list = List("Dir2")->viewport()->mapTo(List("Dir2"), QPoint(20, 30));
  EXPECT_FLOAT_EQ(dropped->args.x, in_list.x() * 15.0F);
  EXPECT_FLOAT_EQ(dropped->args.y, in_list.y() * 15.0F);
}

TEST_F(DropTargetTest, IgnoresFilesFromOtherProgramsAndDragsOfAnotherProcess) {
  QMimeData files;
  files.setData("text/uri-list", "file:///etc/hostname\r\n");
  EXPECT_FALSE(DropOn(List("Dir2")->viewport(), files, QPoint(20, 30)));

  QMimeData other_process;
  other_process.setData(platform::qt::kDragMimeType, "1\nFile1");
  EXPECT_FALSE(DropOn(List("Dir2")->viewport(), other_process, QPoint(20, 30)));
  EXPECT_EQ(sink_.Count("Dir2", Event::DragDrop), 0);
}

TEST_F(DropTargetTest, MovesOverFile1ReportTheButtonsHeld) {
  QWidget* surface = List("File1")->viewport();
  MoveWithButtons(surface, QPoint(10, 10), Qt::RightButton);
  MoveWithButtons(surface, QPoint(11, 10), Qt::LeftButton | Qt::RightButton);
  MoveWithButtons(surface, QPoint(12, 10), Qt::MiddleButton);
  MoveWithButtons(surface, QPoint(13, 10), Qt::NoButton);
  std::vector<int> buttons;
  for (const auto& r : sink_.raised) {
    if (r.control == "File1" && r.event == Event::MouseMove) buttons.push_back(r.args.button);
  }
  EXPECT_EQ(buttons, (std::vector<int>{2, 3, 4, 0}));
  QApplication::processEvents();
  EXPECT_TRUE(drags.empty());  // the sink starts none, and the list none by itself
}

class DragProgramTest : public ProgramTest {
 protected:
  // Presses the left button on the first file and moves with it held.
  void DragFirstFile(Qt::MouseButtons buttons = Qt::LeftButton) {
    QListView* file1 = List("File1");
    ClickRow(file1, 0);
    MoveWithButtons(file1->viewport(), RowCenter(file1, 0) + QPoint(3, 1), buttons);
    QApplication::processEvents();
  }
};

TEST_F(DragProgramTest, RightOrLeftAndRightButtonsStartNoDrag) {
  temp.Write("a.txt", "a");
  Start();
  DragFirstFile(Qt::RightButton);
  DragFirstFile(Qt::LeftButton | Qt::RightButton);
  DragFirstFile(Qt::MiddleButton);
  EXPECT_TRUE(drags.empty());
  DragFirstFile(Qt::LeftButton);
  EXPECT_EQ(drags.size(), 1U);
}

TEST_F(DragProgramTest, ShowsGrabIcoFromTheProgramFolderOrKeepsTheBuiltInIcon) {
  temp.Write("a.txt", "a");
  program.folder = temp.Folder("program");
  Start();
  const QImage built_in = platform::qt::BuiltInDragIcon().toImage();

  DragFirstFile();  // no grab.ico
  ASSERT_EQ(drags.size(), 1U);
  EXPECT_EQ(drags[0].pixmap, built_in);
  EXPECT_EQ(drags[0].source, "File1");

  temp.Write("program/grab.ico", "not an icon at all");
  DragFirstFile();
  ASSERT_EQ(drags.size(), 2U);
  EXPECT_EQ(drags[1].pixmap, built_in);

  // A loaded icon replaces it; one made from another picture proves which file was read.
  QImage red(48, 48, QImage::Format_ARGB32);
  red.fill(Qt::red);
  ASSERT_TRUE(red.save(QString::fromStdString(program.folder + "/grab.ico"), "ICO"));
  DragFirstFile();
  ASSERT_EQ(drags.size(), 3U);
  EXPECT_EQ(drags[2].pixmap.pixelColor(24, 24), QColor(Qt::red));

  // A file that goes bad later leaves the icon loaded last.
  temp.Write("program/grab.ico", "");
  DragFirstFile();
  ASSERT_EQ(drags.size(), 4U);
  EXPECT_EQ(drags[3].pixmap.pixelColor(24, 24), QColor(Qt::red));
}

TEST_F(DragProgramTest, DroppingOnDir2CopiesIntoItsOpenFolderAfterYes) {
  temp.Write("a.txt", "payload");
  const std::string destination = temp.Folder("dest");
  temp.Folder("dest/deeper");
  Start();
  DoubleClickRow(List("Dir2"), RowOf(List("Dir2"), "dest"));
  ASSERT_EQ(form2().FindFolderList("Dir2").Path(), destination);

  // The drag ends over an entry of Dir2 that is not the open folder.
  during_drag = [](QDrag& drag) {
    QListView* dir2 = List("Dir2");
    DropOn(dir2->viewport(), *drag.mimeData(), RowCenter(dir2, RowOf(dir2, "deeper")));
  };
  dialogs.answers = {platform::Answer::Yes};
  DragFirstFile();
  QApplication::processEvents();

  ASSERT_EQ(dialogs.messages.size(), 1U);
  EXPECT_EQ(dialogs.messages[0].prompt,
            "Are you sure copying a.txtfrom " + working + "/a.txt to " + destination + "/a.txt");
  EXPECT_EQ(dialogs.messages[0].title, "Sure!");
  EXPECT_EQ(testing::ReadAll(destination + "/a.txt"), "payload");
  EXPECT_FALSE(std::filesystem::exists(destination + "/deeper/a.txt"));
  EXPECT_EQ(RowOf(List("File2"), "a.txt"), 0);
}

TEST_F(DragProgramTest, DroppingElsewhereDoesNothing) {
  temp.Write("a.txt", "payload");
  Start();
  during_drag = [](QDrag& drag) {
    for (const char* other : {"File1", "File2", "Dir1"}) {
      EXPECT_FALSE(DropOn(List(other)->viewport(), *drag.mimeData(), QPoint(5, 5))) << other;
    }
  };
  DragFirstFile();
  ASSERT_EQ(drags.size(), 1U);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(files.copies.empty());
  EXPECT_EQ(form2().FindFileList("File1").FileName(), "a.txt");  // still selected
}

}  // namespace
}  // namespace vantrel::qt_testing
