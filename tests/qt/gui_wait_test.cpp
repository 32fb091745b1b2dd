// The real window while a handler waits for a worker: it paints, it keeps the user's input for
// after the handler, it shows the busy cursor once the wait is long, a window closed meanwhile
// goes as it would when idle, and closing the last one ends the program at once.
#include <fcntl.h>
#include <qpa/qwindowsysteminterface.h>
#include <unistd.h>
#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/application.h"
#include "platform/off_thread_calls.h"
#include "platform/posix/temporary_files.h"
#include "platform/qt/dialogs.h"
#include "qt_fixture.h"

namespace vantrel::testing {
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

  // A key as the window system delivers it, to whichever window has the keyboard when it is
  // handled (as Windows does, and Qt's own console platforms), which is the hard case: a window
  // that comes up meanwhile would get it.
  static void QueueKey(int key) {
    using Async = QWindowSystemInterface::AsynchronousDelivery;
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
      QWindowSystemInterface::handleKeyEvent<Async>(nullptr, type, key, Qt::NoModifier);
    }
  }

  testing::Gate gate;
  std::shared_ptr<testing::GatedFileSystem> gated =
      std::make_shared<testing::GatedFileSystem>(gate);
  std::unique_ptr<platform::OffThreadFileSystem> off_thread_files;
  QWidget* main_window = nullptr;
};

TEST_F(WaitingTest, ABlockedCopyPaintsShowsTheBusyCursorAndKeepsInputForAfterIt) {
  ASSERT_NO_FATAL_FAILURE(Start());
  QWidget* label = Child<QWidget>(main_window, "Label4");
  PaintCounter counter(label);
  dialogs.answers.push_back(platform::Answer::Yes);  // "Sure!" to the copy
  dialogs.inputs.push_back("");                      // the new folder's name: none

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
  // The click made while the copy ran was kept: "New Folder" asks once the copy's handler is over.
  EXPECT_TRUE(dialogs.input_prompts.empty());
  EXPECT_TRUE(QTest::qWaitFor([this] { return !dialogs.input_prompts.empty(); }, 2000));
  EXPECT_EQ(dialogs.input_prompts.size(), 1U);
}

TEST_F(WaitingTest, InputQueuedBeforeAQuestionIsDroppedBeforeItShows) {
  ASSERT_NO_FATAL_FAILURE(Start());
  QueueClick(Child<QWidget>(main_window, "Command1"));  // "New Folder"
  QueueKey(Qt::Key_Return);
  windows->DropQueuedInput();
  QTest::qWait(100);
  EXPECT_TRUE(dialogs.input_prompts.empty());

  dialogs.inputs.push_back("");
  QueueClick(Child<QWidget>(main_window, "Command1"));  // the same click, after: it is taken
  EXPECT_TRUE(QTest::qWaitFor([this] { return !dialogs.input_prompts.empty(); }, 2000));
}

TEST_F(WaitingTest, ADriveListOpenedDuringAWaitReadsNothingAndTheWaitEndsOnTime) {
  ASSERT_NO_FATAL_FAILURE(Start());
  int reads = 0;
  // A read of the drives waits as the real one does; started inside the copy's wait it would be
  // a wait inside a wait.
  drives_now = [this, &reads] {
    ++reads;
    (void)windows->off_thread().Run([] { std::this_thread::sleep_for(std::chrono::seconds(2)); });
    return drives;
  };
  dialogs.answers.push_back(platform::Answer::Yes);
  auto* drive1 = Child<QComboBox>(main_window, "Drive1");
  std::chrono::steady_clock::time_point released;
  // A screen reader's "open" action reaches the drive list while input is kept.
  QTimer::singleShot(50, [&] { drive1->showPopup(); });
  QTimer::singleShot(300, [&] {
    released = std::chrono::steady_clock::now();
    gate.Open();
  });
  Child<QPushButton>(main_window, "Command8")->click();
  const auto late = std::chrono::steady_clock::now() - released;
  drive1->hidePopup();
  EXPECT_EQ(reads, 0);
  EXPECT_LT(late, std::chrono::milliseconds(500)) << "the handler goes on soon after its worker";
  EXPECT_TRUE(fs::exists(temp.path() / "to" / "a.txt"));
}

TEST_F(WaitingTest, AboutClosedDuringABlockedCopyGoesAloneAndTheCopyEnds) {
  ASSERT_NO_FATAL_FAILURE(Start());
  QWidget* about = OpenAbout();
  ASSERT_NE(about, nullptr);
  dialogs.answers.push_back(platform::Answer::Yes);
  bool main_shown_after_close = false;
  QTimer::singleShot(400, [&] {  // the busy cursor shows by now
    QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::AsynchronousDelivery>(
        about->windowHandle());
  });
  QTimer::singleShot(600, [&] {
    main_shown_after_close = main_window->isVisible() && !about->isVisible();
    gate.Open();
  });
  Child<QPushButton>(main_window, "Command8")->click();
  EXPECT_TRUE(main_shown_after_close);
  EXPECT_TRUE(fs::exists(temp.path() / "to" / "a.txt"));
  EXPECT_EQ(quit_count, 0);
  EXPECT_TRUE(main_window->isVisible());
  EXPECT_EQ(TopLevel("frmAbout"), nullptr);
}

TEST_F(WaitingTest, MainWindowClosedDuringABlockedCopyGoesAndAboutStays) {
  ASSERT_NO_FATAL_FAILURE(Start());
  QWidget* about = OpenAbout();
  ASSERT_NE(about, nullptr);
  dialogs.answers.push_back(platform::Answer::Yes);
  bool about_stayed = false;
  QTimer::singleShot(400, [&] {
    QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::AsynchronousDelivery>(
        main_window->windowHandle());
  });
  QTimer::singleShot(600, [&] {
    about_stayed = about->isVisible() && !main_window->isVisible();
    gate.Open();
  });
  Child<QPushButton>(main_window, "Command8")->click();
  EXPECT_TRUE(about_stayed);
  EXPECT_TRUE(about->isVisible());
  EXPECT_EQ(quit_count, 0);
}

TEST_F(WaitingTest, TheLastWindowClosedAfterTheBusyCursorEndsTheProgramAtOnce) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        Start();
        dialogs.answers.push_back(platform::Answer::Yes);
        QTimer::singleShot(400, [&] {
          if (QApplication::overrideCursor() == nullptr) std::_Exit(3);  // not busy yet
          QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::AsynchronousDelivery>(
              main_window->windowHandle());
        });
        QTimer::singleShot(1400, [] { std::_Exit(4); });       // not ended within a second
        Child<QPushButton>(main_window, "Command8")->click();  // the gate is never opened
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(kEndedCode), "");
}

// A copy half done on a file system without unnamed files: its hidden temporary file is written
// and recorded as the copy records it, when the gate holds the copy.
class HalfDoneCopy final : public testing::RecordingFileSystem {
 public:
  HalfDoneCopy(testing::Gate& gate, std::string temporary_name)
      : RecordingFileSystem(platform::MakeNativeFileSystem()),
        gate_(gate),
        name_(std::move(temporary_name)) {}
  using platform::FileSystem::CopyFile;
  std::error_code CopyFile(const std::string&, const std::string& to,
                           platform::FileVersion*) override {
    const std::string folder = fs::path(to).parent_path().string();
    const int folder_fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int fd =
        ::openat(folder_fd, name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    {
      const platform::posix::TemporaryInProgress in_progress(folder_fd, name_, fd);
      gate_.Pass();
    }
    ::close(fd);
    ::close(folder_fd);
    return std::make_error_code(std::errc::interrupted);
  }

 private:
  testing::Gate& gate_;
  std::string name_;
};

class HalfDoneCopyTest : public WaitingTest {
 protected:
  platform::FileSystem& HandlerFiles() override {
    off_thread_files =
        std::make_unique<platform::OffThreadFileSystem>(half_done, windows->off_thread());
    return *off_thread_files;
  }

  const std::string temporary_name = ".a.txt.vantrel-Ab3dE9";
  std::shared_ptr<HalfDoneCopy> half_done = std::make_shared<HalfDoneCopy>(gate, temporary_name);
};

// The copy goes into a folder of this test's own, handed to the process the death test starts
// (which re-runs the test with a temporary folder of its own) through the environment, so that
// what the end of that process leaves there can be looked at once it has gone.
TEST_F(HalfDoneCopyTest, TheLastWindowClosedDuringACopyLeavesNoTemporaryFile) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  constexpr const char* kShared = "VANTREL_TEST_COPY_DESTINATION";
  const fs::path here = temp.path() / "destination";
  fs::create_directories(here);
  ::setenv(kShared, here.c_str(), 0);  // kept as the test's own in the process it starts
  EXPECT_EXIT(
      {
        Start();
        const fs::path destination = std::getenv(kShared);
        app->MainWindow().FindFolderList("Dir2").SetPath(destination.string());
        dialogs.answers.push_back(platform::Answer::Yes);
        QTimer::singleShot(400, [&] {
          if (!fs::exists(destination / temporary_name)) std::_Exit(3);  // no copy under way
          QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::AsynchronousDelivery>(
              main_window->windowHandle());
        });
        QTimer::singleShot(1400, [] { std::_Exit(4); });       // not ended within a second
        Child<QPushButton>(main_window, "Command8")->click();  // the gate is never opened
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(kEndedCode), "");
  ::unsetenv(kShared);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !fs::exists(here / temporary_name); }, 3000));
}

class WaitingWithRealBoxesTest : public WaitingTest {
 protected:
  platform::Dialogs& HandlerDialogs() override { return questions; }
  platform::qt::QtDialogs real_dialogs{[this] { windows->DropQueuedInput(); }};
  testing::SureThenRealDialogs questions{real_dialogs};
};

TEST_F(WaitingWithRealBoxesTest,
       DeleteClickedDuringAWaitAsksAfterItAndAnEarlierEnterAnswersNothing) {
  ASSERT_NO_FATAL_FAILURE(Start());
  QTimer::singleShot(20, [&] {
    QueueClick(Child<QWidget>(main_window, "Command3"));  // "Delete.."
    QueueKey(Qt::Key_Return);  // typed before the question shows: it must not answer Yes
  });
  QTimer::singleShot(300, [&] { gate.Open(); });
  // The question is answered from a timer, since it waits in an event loop of its own.
  QString asked;
  bool there_while_asked = false;
  QTimer answerer;
  QObject::connect(&answerer, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    if (asked.isEmpty()) {  // first seen: give a queued Enter time to answer it, if it could
      asked = box->windowTitle();
      return;
    }
    there_while_asked = fs::exists(temp.path() / "a.txt");
    box->button(QMessageBox::Yes)->click();
  });
  answerer.start(200);
  QTimer watchdog;  // a box left open fails the test instead of hanging it
  QObject::connect(&watchdog, &QTimer::timeout, [] {
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
  });
  watchdog.start(5000);
  Child<QPushButton>(main_window, "Command8")->click();
  EXPECT_TRUE(fs::exists(temp.path() / "to" / "a.txt"));
  EXPECT_TRUE(asked.isEmpty()) << "nothing is asked before the copy's handler has ended";

  EXPECT_TRUE(QTest::qWaitFor([this] { return !fs::exists(temp.path() / "a.txt"); }, 3000));
  EXPECT_EQ(asked, QStringLiteral("File Delete!"));
  EXPECT_TRUE(there_while_asked);
}

}  // namespace
}  // namespace vantrel::testing
