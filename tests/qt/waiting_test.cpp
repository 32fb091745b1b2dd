// The real window while a handler waits for a worker: it paints, it takes no user input, it
// shows the busy cursor once the wait is long, and its close box ends the program at once.
#include <qpa/qwindowsysteminterface.h>
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <filesystem>
#include <fstream>

#include "app/application.h"
#include "platform/off_thread_calls.h"
#include "qt_fixture.h"

namespace vantrel::qt_testing {
namespace {

namespace fs = std::filesystem;

// Counts the paint events a widget receives.
class PaintCounter final : public QObject {
 public:
  explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

// The whole program whose copies wait at a gate, run on the window system's workers.
class WaitingTest : public ProgramTest {
 protected:
  ~WaitingTest() override {
    gate.Open();
    app.reset();
    services.reset();
  }

  platform::FileSystem& HandlerFiles() override {
    off_thread_files =
        std::make_unique<platform::OffThreadFileSystem>(gated, windows->off_thread());
    return *off_thread_files;
  }

  void Start() {
    fs::create_directories(temp.path() / "to");
    std::ofstream(temp.path() / "a.txt") << "data";
    ASSERT_NO_FATAL_FAILURE(ProgramTest::Start());
    main_window = TopLevel("Form2");
    app->MainWindow().FindFolderList("Dir2").SetPath((temp.path() / "to").string());
    QListView* file1 = Child<QListView>(main_window, "File1");
    ClickRow(file1, RowOf(file1, "a.txt"));
  }

  // A click as the window system delivers it: queued, handled by the event loop.
  void QueueClick(QWidget* widget) {
    QWindow* window = main_window->windowHandle();
    const QPointF at = widget->mapTo(main_window, widget->rect().center());
    const QPointF global = main_window->mapToGlobal(at);
    using Async = QWindowSystemInterface::AsynchronousDelivery;
    QWindowSystemInterface::handleMouseEvent<Async>(window, at, global, Qt::LeftButton,
                                                    Qt::LeftButton, QEvent::MouseButtonPress);
    QWindowSystemInterface::handleMouseEvent<Async>(window, at, global, Qt::NoButton,
                                                    Qt::LeftButton, QEvent::MouseButtonRelease);
  }

  testing::Gate gate;
  testing::GatedFileSystem gated{gate};
  std::unique_ptr<platform::OffThreadFileSystem> off_thread_files;
  QWidget* main_window = nullptr;
};

TEST_F(WaitingTest, ABlockedCopyPaintsTakesNoInputAndShowsTheBusyCursor) {
  ASSERT_NO_FATAL_FAILURE(Start());
  QWidget* label = Child<QWidget>(main_window, "Label4");
  PaintCounter counter(label);
  dialogs.answers.push_back(platform::Answer::Yes);  // "Sure!" to the copy

  int paints_while_blocked = 0;
  bool busy_shown = false;
  QTimer::singleShot(20, [&] {
    QueueClick(Child<QWidget>(main_window, "Command1"));  // "New Folder", clicked during the wait
    label->update();
  });
  QTimer::singleShot(400, [&] {
    paints_while_blocked = counter.paints;
    const QCursor* cursor = QApplication::overrideCursor();
    busy_shown = cursor != nullptr && cursor->shape() == Qt::WaitCursor;
    gate.Open();
  });
  Child<QPushButton>(main_window, "Command8")->click();

  EXPECT_GE(paints_while_blocked, 1);
  EXPECT_TRUE(busy_shown);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(fs::exists(temp.path() / "to" / "a.txt"));
  // The click made while the copy ran was not taken, then or later: "New Folder" asked nothing.
  QTest::qWait(50);
  EXPECT_TRUE(dialogs.input_prompts.empty());
}

TEST_F(WaitingTest, TheCloseBoxDuringABlockedCopyEndsTheProgramAtOnce) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        Start();
        dialogs.answers.push_back(platform::Answer::Yes);
        QTimer::singleShot(50, [&] {
          QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::AsynchronousDelivery>(
              main_window->windowHandle());
        });
        Child<QPushButton>(main_window, "Command8")->click();  // the gate is never opened
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(kEndedCode), "");
}

}  // namespace
}  // namespace vantrel::qt_testing
