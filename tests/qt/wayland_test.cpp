// The front end as a client of a real Wayland compositor (run_under_weston.sh starts one): the
// main window mapped at its designed size, the About dialog mapped and unmapped, and drags from
// File1 to Dir2, both as the Wayland plugin hands a drop to the window and, where the compositor
// has a seat, made by the seat's own pointer through the compositor from press to drop.
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
#include <QMouseEvent>
#include <QTest>
#include <QWindow>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "qt_fixture.h"
#include "x_seat.h"

namespace vantrel::testing {
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

  // A press on File1's first row and a move with the button held, both through the window's
  // input queue, start the drag; during_drag says where it goes before the release.
  void DragFirstFileThroughTheWindow() {
    QListView* file1 = List("File1");
    const QPoint row = RowCenter(file1, 0);
    QTest::mousePress(file1->viewport(), Qt::LeftButton, {}, row);
    QTest::mouseMove(file1->viewport(), row + QPoint(3, 1));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !drags.empty(); }, 2000));
    QTest::mouseRelease(file1->viewport(), Qt::LeftButton, {}, row + QPoint(3, 1));
    QApplication::processEvents();
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

  DragFirstFileThroughTheWindow();

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
  DragFirstFileThroughTheWindow();

  EXPECT_EQ(accepted, (std::vector<bool>{false, false, false, false}));
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(files.copies.empty());
}

// A pattern no window here draws: a 32 x 32 checkerboard of magenta and green in 4-pixel squares.
QImage MarkedIcon() {
  QImage icon(32, 32, QImage::Format_ARGB32);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      icon.setPixel(x, y, ((x / 4 + y / 4) % 2 == 0) ? 0xFFFF00FFU : 0xFF00C000U);
    }
  }
  return icon;
}

// Whether the screen shows that colour, give or take what a compositor's blending changes (weston
// may still be fading a window in, which darkens every pixel a little).
bool NearlyTheSame(QRgb colour, std::uint32_t shown) {
  const auto channel = [](std::uint32_t rgb, int shift) {
    return static_cast<int>((rgb >> shift) & 0xFFU);
  };
  for (const int shift : {0, 8, 16}) {
    if (std::abs(channel(colour, shift) - channel(shown, shift)) > 8) return false;
  }
  return true;
}

// The share of the icon's opaque pixels that the screen shows at the best place in that part of
// it.
double BestMatch(const ScreenImage& screen, const QImage& icon) {
  int best = 0;
  int opaque = 0;
  for (int y = 0; y < icon.height(); ++y) {
    for (int x = 0; x < icon.width(); ++x) opaque += qAlpha(icon.pixel(x, y)) == 255 ? 1 : 0;
  }
  for (int top = 0; top + icon.height() <= screen.height; ++top) {
    for (int left = 0; left + icon.width() <= screen.width; ++left) {
      int same = 0;
      for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x) {
          const QRgb pixel = icon.pixel(x, y);
          if (qAlpha(pixel) == 255 && NearlyTheSame(pixel, screen.At(left + x, top + y))) ++same;
        }
      }
      best = std::max(best, same);
    }
  }
  return opaque == 0 ? 0.0 : static_cast<double>(best) / opaque;
}

// What a window of the program saw of the seat's pointer.
class PointerWatch : public QObject {
 public:
  explicit PointerWatch(QWindow* window) : window_(window) { qApp->installEventFilter(this); }
  ~PointerWatch() override { qApp->removeEventFilter(this); }

  std::atomic<int> moves{0};
  std::atomic<int> presses{0};
  std::atomic<int> drag_moves_on_dir2{0};
  QPoint last_move;  // in the window's own coordinates; read on the GUI thread only
  QWidget* dir2 = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    // The pointer coming in from outside may arrive as an enter at its place, with no move.
    if (watched == window_ &&
        (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter)) {
      last_move = static_cast<QSinglePointEvent*>(event)->position().toPoint();
      ++moves;
    } else if (watched == window_ && event->type() == QEvent::MouseButtonPress) {
      ++presses;
    } else if (dir2 != nullptr && watched == dir2 &&
               (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove)) {
      ++drag_moves_on_dir2;
    }
    return false;
  }

 private:
  QWindow* window_;
};

bool WaitOff(const std::function<bool()>& done, int ms = 5000) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// The whole drag made by the seat's pointer: a press on File1's row and a move start it, the
// compositor carries it with the drag icon under the pointer to Dir2, and the release there
// drops it. The program asks its question and copies.
TEST_F(WaylandTest, FileDraggedByTheSeatsPointerOntoDir2ShowsItsIconAndCopies) {
  const char* seat_display = std::getenv("VANTREL_SEAT_DISPLAY");
  ASSERT_NE(seat_display, nullptr) << "run under run_under_weston.sh --seat";
  XSeat seat(seat_display);
  ASSERT_TRUE(seat.Connected()) << "no X server with XTEST at " << seat_display;

  temp.Write("a.txt", "payload");
  const std::string destination = temp.Folder("dest");
  program.folder = temp.Folder("program");
  ASSERT_TRUE(MarkedIcon().save(QString::fromStdString(program.folder + "/grab.ico"), "ICO"));
  Start();
  DoubleClickRow(List("Dir2"), RowOf(List("Dir2"), "dest"));
  ASSERT_EQ(form2().FindFolderList("Dir2").Path(), destination);
  QWidget* top = TopLevel("Form2");
  PointerWatch watch(top->windowHandle());
  watch.dir2 = List("Dir2")->viewport();

  // Where the window is on the compositor's screen is the compositor's choice: find it from
  // where the window sees the pointer. The middle of the screen is always inside the window; the
  // pointer starts there, so it first goes to the corner, which the window never covers.
  seat.MoveTo(1, 1);
  seat.MoveTo(400, 320);
  ASSERT_TRUE(QTest::qWaitFor([&] { return watch.moves > 0; }, 5000));
  const int seen = watch.moves;
  seat.MoveTo(401, 321);
  ASSERT_TRUE(QTest::qWaitFor([&] { return watch.moves > seen; }, 5000));
  const QPoint origin = QPoint(401, 321) - watch.last_move;
  const auto on_screen = [&](QWidget* widget, QPoint at) {
    return origin + widget->mapTo(top, at);
  };
  const QPoint from = on_screen(List("File1")->viewport(), RowCenter(List("File1"), 0));
  const QPoint to = on_screen(watch.dir2, QPoint(30, 20));

  std::atomic<bool> drag_running{false};
  during_drag = [&](QDrag& drag) {
    drag_running = true;
    drag.exec(Qt::CopyAction);
    drag_running = false;
  };
  dialogs.answers = {platform::Answer::Yes};

  // The hand runs on its own thread while the program's loops, the drag's included, go on.
  std::string stuck;
  ScreenImage during;
  ScreenImage after;
  std::atomic<bool> done{false};
  std::thread hand([&] {
    const auto step = [&](const char* what, const std::function<bool()>& reached) {
      if (!stuck.empty()) return;
      if (!WaitOff(reached)) stuck = what;
    };
    const int moves = watch.moves;
    seat.MoveTo(from.x(), from.y());
    step("the move onto File1", [&] { return watch.moves > moves; });
    seat.PressLeft();
    step("the press on File1", [&] { return watch.presses > 0; });
    seat.MoveTo(from.x() + 4, from.y() + 1);
    step("the start of the drag", [&] { return drag_running.load(); });
    for (int i = 1; i <= 8 && stuck.empty(); ++i) {
      seat.MoveTo(from.x() + (to.x() - from.x()) * i / 8, from.y() + (to.y() - from.y()) * i / 8);
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    step("the drag over Dir2", [&] { return watch.drag_moves_on_dir2 > 0; });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // a frame or two drawn
    during = seat.Grab(to.x() - 64, to.y() - 64, 128, 128);
    seat.ReleaseLeft();
    step("the end of the drag", [&] { return !drag_running.load(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    after = seat.Grab(to.x() - 64, to.y() - 64, 128, 128);
    done = true;
  });
  // Each step of the hand gives up after 5 s and the button is always released, so it ends.
  const bool finished = QTest::qWaitFor([&] { return done.load(); }, 40000);
  hand.join();
  ASSERT_TRUE(finished);
  ASSERT_EQ(stuck, "") << "the drag stopped before " << stuck;

  ASSERT_EQ(drags.size(), 1U);
  EXPECT_EQ(drags[0].source, "File1");
  ASSERT_EQ(dialogs.messages.size(), 1U);
  EXPECT_EQ(dialogs.messages[0].prompt,
            "Are you sure copying a.txtfrom " + working + "/a.txt to " + destination + "/a.txt");
  EXPECT_EQ(dialogs.messages[0].title, "Sure!");
  EXPECT_EQ(testing::ReadAll(destination + "/a.txt"), "payload");
  // The compositor drew the icon by the pointer during the drag, and took it away after. The
  // pointer's own arrow may cover part of it.
  EXPECT_GT(BestMatch(during, MarkedIcon()), 0.6);
  EXPECT_LT(BestMatch(after, MarkedIcon()), 0.2);
}

}  // namespace
}  // namespace vantrel::testing
