// The front end as a client of a real Wayland compositor (run_under_weston.sh starts a headless
// one): the main window mapped at its designed size, the About dialog mapped and unmapped, and a
// drag from File1 dropped on Dir2 as the Wayland plugin hands a drop to the window.
//
// The headless compositor has no seat: no pointer and no keyboard, so it activates no window and
// can start no drag. Input therefore reaches the windows through Qt's own window-system queue,
// where the plugin puts what the compositor sends, and a drop arrives as the plugin delivers the
// compositor's data-device enter and drop.
#include <qpa/qplatformdrag.h>
#include <qpa/qwindowsysteminterface.h>
#include <QAction>
#include <QApplication>
#include <QDrag>
#include <QGuiApplication>
#include <QListView>
#include <QMainWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QTest>
#include <QWindow>

#include "qt_fixture.h"

namespace vantrel::qt_testing {
namespace {

QListView* List(const char* name) {
  return Child<QListView>(TopLevel("Form2"), name);
}

class WaylandTest : public ProgramTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(QGuiApplication::platformName(), "wayland")
        << "run these under a Wayland compositor with QT_QPA_PLATFORM=wayland";
  }
};

TEST_F(WaylandTest, MainWindowIsMappedWithItsDesignedClientArea) {
  Start();
  auto* top = static_cast<QMainWindow*>(TopLevel("Form2"));
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->centralWidget()->size(), QSize(522, 453));
  // The surface the compositor shows holds the whole window, menu bar included, and the
  // compositor kept the size the window asked for.
  QWindow* surface = top->windowHandle();
  ASSERT_NE(surface, nullptr);
  EXPECT_TRUE(surface->isExposed());
  EXPECT_EQ(surface->size(), top->size());
  EXPECT_EQ(top->size().width(), 522);
  EXPECT_EQ(top->size().height(), 453 + top->menuBar()->height());
  // At one pixel a pixel: the compositor's output is not scaled.
  EXPECT_DOUBLE_EQ(surface->devicePixelRatio(), 1.0);
}

TEST_F(WaylandTest, AboutDialogIsMappedBesideTheMainWindowAndUnmappedOnClose) {
  Start();
  Child<QAction>(TopLevel("Form2"), "ab")->trigger();
  QWidget* about = TopLevel("frmAbout");
  ASSERT_NE(about, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(about));
  EXPECT_EQ(about->size(), QSize(382, 237));
  EXPECT_NE(about->windowHandle(), TopLevel("Form2")->windowHandle());

  QWindow* surface = about->windowHandle();
  about->close();
  EXPECT_EQ(TopLevel("frmAbout"), nullptr);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !surface->isExposed(); }, 2000));
  EXPECT_TRUE(TopLevel("Form2")->windowHandle()->isExposed());

  // Loaded again, it is mapped again.
  Child<QAction>(TopLevel("Form2"), "ab")->trigger();
  about = TopLevel("frmAbout");
  ASSERT_NE(about, nullptr);
  EXPECT_TRUE(QTest::qWaitForWindowExposed(about));
}

// A press on File1's first row and a move with the button held, both through the window's
// input queue, start the drag; the drop on Dir2 arrives as the Wayland plugin delivers the
// compositor's enter and drop to the main window.
TEST_F(WaylandTest, FileDroppedOnDir2ThroughTheWindowAsksToCopyAndCopies) {
  temp.Write("a.txt", "payload");
  const std::string destination = temp.Folder("dest");
  Start();
  DoubleClickRow(List("Dir2"), RowOf(List("Dir2"), "dest"));
  ASSERT_EQ(form2().FindFolderList("Dir2").Path(), destination);

  QWindow* window = TopLevel("Form2")->windowHandle();
  QPlatformDragQtResponse entered(false, Qt::IgnoreAction, {});
  QPlatformDropQtResponse dropped(false, Qt::IgnoreAction);
  during_drag = [&](QDrag& drag) {
    QWidget* dir2 = List("Dir2")->viewport();
    const QPoint at = dir2->mapTo(TopLevel("Form2"), QPoint(20, 10));
    entered = QWindowSystemInterface::handleDrag(window, drag.mimeData(), at, Qt::CopyAction,
                                                 Qt::LeftButton, Qt::NoModifier);
    dropped = QWindowSystemInterface::handleDrop(window, drag.mimeData(), at, Qt::CopyAction,
                                                 Qt::LeftButton, Qt::NoModifier);
  };
  dialogs.answers = {platform::Answer::Yes};

  QListView* file1 = List("File1");
  const QPoint row = RowCenter(file1, 0);
  QTest::mousePress(file1->viewport(), Qt::LeftButton, {}, row);
  QTest::mouseMove(file1->viewport(), row + QPoint(3, 1));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !drags.empty(); }, 2000));
  QTest::mouseRelease(file1->viewport(), Qt::LeftButton, {}, row + QPoint(3, 1));
  QApplication::processEvents();

  ASSERT_EQ(drags.size(), 1U);
  EXPECT_EQ(drags[0].source, "File1");
  EXPECT_TRUE(entered.isAccepted());
  EXPECT_EQ(entered.acceptedAction(), Qt::CopyAction);
  EXPECT_TRUE(dropped.isAccepted());
  ASSERT_EQ(dialogs.messages.size(), 1U);
  EXPECT_EQ(dialogs.messages[0].prompt,
            "Are you sure copying a.txtfrom " + working + "/a.txt to " + destination + "/a.txt");
  EXPECT_EQ(dialogs.messages[0].title, "Sure!");
  EXPECT_EQ(testing::ReadAll(destination + "/a.txt"), "payload");
}

// The same drop on any other list of the window is refused and copies nothing.
TEST_F(WaylandTest, FileDroppedElsewhereThroughTheWindowIsRefused) {
  temp.Write("a.txt", "payload");
  Start();
  QWindow* window = TopLevel("Form2")->windowHandle();
  std::vector<bool> accepted;
  during_drag = [&](QDrag& drag) {
    for (const char* other : {"File1", "File2", "Dir1", "File3"}) {
      const QPoint at = List(other)->viewport()->mapTo(TopLevel("Form2"), QPoint(5, 5));
      accepted.push_back(QWindowSystemInterface::handleDrag(window, drag.mimeData(), at,
                                                            Qt::CopyAction, Qt::LeftButton,
                                                            Qt::NoModifier)
                             .isAccepted());
    }
  };
  QListView* file1 = List("File1");
  const QPoint row = RowCenter(file1, 0);
  QTest::mousePress(file1->viewport(), Qt::LeftButton, {}, row);
  QTest::mouseMove(file1->viewport(), row + QPoint(3, 1));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !drags.empty(); }, 2000));
  QTest::mouseRelease(file1->viewport(), Qt::LeftButton, {}, row + QPoint(3, 1));
  QApplication::processEvents();

  EXPECT_EQ(accepted, (std::vector<bool>{false, false, false, false}));
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(files.copies.empty());
}

}  // namespace
}  // namespace vantrel::qt_testing
