// The GUI thread's wait for a worker on the real Win32 front end: the windows paint, user input
// stays queued for after the wait, the wait cursor shows once the wait is long, a drive list
// dropped down reads nothing, a window closed meanwhile goes as it would when idle, closing the
// last one ends the program without waiting for the worker, and a question asked after the wait
// takes no answer from input made during it.
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/off_thread_calls.h"
#include "platform/os_services.h"
#include "platform/stuck_places.h"
#include "platform/win32/dialogs.h"
#include "platform/win32/unique_handle.h"
#include "window_fixture.h"

namespace vantrel::testing {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using platform::win32::UniqueHandle;

// The context bit of a key message: the Alt key is held.
constexpr LPARAM kAltHeld = LPARAM{1} << 29;

// A child window of the test's own that hands the messages it gets to the test, after painting
// when it is asked to.
class Probe {
 public:
  Probe(HWND parent, std::function<void(UINT, WPARAM)> on_message)
      : on_message_(std::move(on_message)) {
    static const ATOM registered = [] {
      WNDCLASSW kind{};
      kind.lpfnWndProc = &Probe::Procedure;
      kind.hInstance = ::GetModuleHandleW(nullptr);
      kind.lpszClassName = L"VantrelTestProbe";
      return ::RegisterClassW(&kind);
    }();
    hwnd_ = ::CreateWindowExW(0, MAKEINTATOM(registered), L"", WS_CHILD | WS_VISIBLE, 0, 0, 8, 8,
                              parent, nullptr, ::GetModuleHandleW(nullptr), this);
  }
  ~Probe() { ::DestroyWindow(hwnd_); }
  HWND hwnd() const { return hwnd_; }

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* probe = reinterpret_cast<Probe*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_PAINT) {
      PAINTSTRUCT paint;
      ::BeginPaint(hwnd, &paint);
      ::EndPaint(hwnd, &paint);
    }
    if (probe != nullptr && (message == WM_PAINT || message == WM_TIMER || message == WM_APP)) {
      probe->on_message_(message, wparam);
      return 0;
    }
    return ::DefWindowProcW(hwnd, message, wparam, lparam);
  }

  std::function<void(UINT, WPARAM)> on_message_;
  HWND hwnd_ = nullptr;
};

class GuiWait : public Win32Program {
 protected:
  void SetUp() override {
    temp.Write("A.txt", "a");
    temp.Write("B.txt", "b");
    temp.Folder("sub");
    Start(temp.str());
  }
  // Runs a worker that waits until the test releases it (or five seconds pass); true when it
  // was released.
  bool RunUntilReleased() {
    bool released = false;
    const HANDLE release = release_.get();
    const bool ran = windows().off_thread().Run(
        [&released, release] { released = ::WaitForSingleObject(release, 5000) == WAIT_OBJECT_0; });
    return ran && released;
  }
  void Release() { ::SetEvent(release_.get()); }

  UniqueHandle release_{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

// The worker itself watches the main window: it ends only once that window was painted while it
// ran. Looking after the wait instead would fail whenever the X server's late expose of the new
// window lands between the wait's end and the look.
TEST_F(GuiWait, WindowsPaintWhileAWorkerIsBlocked) {
  Probe probe(Form2().hwnd(), [this](UINT message, WPARAM) {
    if (message == WM_PAINT) Release();
  });
  Pump();
  ::InvalidateRect(probe.hwnd(), nullptr, TRUE);
  const HWND form2 = Form2().hwnd();
  ::InvalidateRect(form2, nullptr, TRUE);
  bool form2_painted = false;
  const HANDLE release = release_.get();
  EXPECT_TRUE(windows().off_thread().Run([&form2_painted, release, form2] {
    const auto until = Clock::now() + 5s;
    if (::WaitForSingleObject(release, 5000) != WAIT_OBJECT_0) return;
    while (::GetUpdateRect(form2, nullptr, FALSE) && Clock::now() < until) ::Sleep(1);
    form2_painted = !::GetUpdateRect(form2, nullptr, FALSE);
  }));
  EXPECT_TRUE(form2_painted);
}

// Keys and clicks that came before a message the wait must handle stay queued, in order, and
// reach the windows once the handler that waited has ended.
TEST_F(GuiWait, UserInputStaysQueuedForAfterTheWait) {
  Probe probe(Form2().hwnd(), [this](UINT message, WPARAM) {
    if (message == WM_APP) Release();
  });
  Pump();
  const HWND file1 = Control("File1");
  ::PostMessageW(file1, WM_KEYDOWN, VK_DOWN, 1);
  ::PostMessageW(file1, WM_LBUTTONDOWN, MK_LBUTTON, At(ItemCentre(file1, 1)));
  ::PostMessageW(file1, WM_LBUTTONUP, 0, At(ItemCentre(file1, 1)));
  ::PostMessageW(file1, WM_SYSKEYDOWN, 'C', kAltHeld | 1);
  ::PostMessageW(probe.hwnd(), WM_APP, 0, 0);
  EXPECT_TRUE(RunUntilReleased());
  EXPECT_EQ(Caption("Label1"), " ") << "no handler ran during the wait";

  MSG message{};
  ASSERT_TRUE(::PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_MOUSELAST, PM_NOREMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_KEYDOWN));
  ASSERT_TRUE(::PeekMessageW(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_NOREMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_LBUTTONDOWN));
  // Alt+C would press "&Copy +Paste", which is not what this test is about.
  ASSERT_TRUE(::PeekMessageW(&message, nullptr, WM_SYSKEYDOWN, WM_SYSKEYDOWN, PM_REMOVE));
  EXPECT_EQ(message.wParam, static_cast<WPARAM>('C'));
  // The key picks the first name, then the click the second.
  Pump();
  EXPECT_EQ(Caption("Label1"), "Filename:B.txt");
  EXPECT_EQ(files.length_queries.size(), 2u);
}

// Handlers never nest: a command that reaches a window while a handler waits raises nothing.
TEST_F(GuiWait, NoHandlerRunsDuringAWait) {
  const HWND button = Control("Command4");
  Probe probe(Form2().hwnd(), [&](UINT message, WPARAM) {
    if (message != WM_APP) return;
    ::SendMessageW(Form2().hwnd(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
    Release();
  });
  ::PostMessageW(probe.hwnd(), WM_APP, 0, 0);
  EXPECT_TRUE(RunUntilReleased());
  EXPECT_EQ(clipboard.clear_count, 0);
  ::SendMessageW(button, BM_CLICK, 0, 0);  // once the wait is over, as ever
  EXPECT_EQ(clipboard.clear_count, 1);
}

// The wait cursor comes after a quarter of a second over the program's windows, stays while the
// mouse moves over them, and goes with the wait.
TEST_F(GuiWait, TheWaitCursorShowsOnceTheWaitIsLong) {
  const HWND file1 = Control("File1");
  RECT list{};
  ::GetWindowRect(file1, &list);
  ASSERT_TRUE(::SetCursorPos((list.left + list.right) / 2, (list.top + list.bottom) / 2));
  const HCURSOR wait = ::LoadCursorW(nullptr, IDC_WAIT);
  const auto mouse_moved = [file1] {
    ::SendMessageW(file1, WM_SETCURSOR, reinterpret_cast<WPARAM>(file1),
                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return ::GetCursor();
  };
  constexpr UINT_PTR kEarly = 1, kLate = 2;
  HCURSOR early = wait, late = nullptr, late_moved = nullptr;
  HWND timers = nullptr;
  Probe probe(Form2().hwnd(), [&](UINT message, WPARAM timer) {
    if (message != WM_TIMER) return;
    ::KillTimer(timers, timer);
    if (timer == kEarly) {
      early = mouse_moved();
      return;
    }
    late = ::GetCursor();
    late_moved = mouse_moved();
    Release();
  });
  timers = probe.hwnd();
  Pump();
  ::SetTimer(timers, kEarly, 50, nullptr);
  ::SetTimer(timers, kLate, 600, nullptr);
  EXPECT_TRUE(RunUntilReleased());
  EXPECT_NE(early, wait) << "the cursor changed before a quarter of a second";
  EXPECT_EQ(late, wait);
  EXPECT_EQ(late_moved, wait);
  EXPECT_NE(mouse_moved(), wait);
}

TEST_F(GuiWait, OtherPressesOnTheFrameAndOtherAltKeysEndNothing) {
  const HWND form = Form2().hwnd();
  Probe probe(form, [this](UINT message, WPARAM) {
    if (message == WM_TIMER) Release();
  });
  ::PostMessageW(form, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(20, 5));
  ::PostMessageW(Control("File1"), WM_SYSKEYDOWN, VK_MENU, kAltHeld | 1);
  ::PostMessageW(Control("File1"), WM_SYSKEYDOWN, 'X', kAltHeld | 1);
  ::PostMessageW(Control("File1"), WM_SYSKEYDOWN, VK_F4, kAltHeld | 1);  // behind Alt+X: later
  ::PostMessageW(form, WM_SYSCOMMAND, SC_MOVE, 0);
  ::SetTimer(probe.hwnd(), 1, 300, nullptr);
  EXPECT_TRUE(RunUntilReleased());
  EXPECT_FALSE(windows().wait_state().end_requested);
  EXPECT_TRUE(::IsWindowVisible(form));
  MSG message{};
  ASSERT_TRUE(::PeekMessageW(&message, nullptr, WM_SYSKEYDOWN, WM_SYSKEYDOWN, PM_NOREMOVE));
  EXPECT_EQ(message.wParam, static_cast<WPARAM>('X'));
  // Closed once nothing waits: the window closes as ever.
  ::SendMessageW(form, WM_CLOSE, 0, 0);
  EXPECT_FALSE(Form2().IsLoaded());
  EXPECT_EQ(quits, 1);
}

// A folder on a file system that stopped answering is not read at all, and the pane stays.
TEST_F(GuiWait, AFolderOnAStuckFileSystemLeavesThePaneWhereItWas) {
  const std::string place = platform::FileSystemOf(temp.Folder("sub"));
  struct Stuck {
    explicit Stuck(std::string where) : place(std::move(where)) {
      platform::ProcessStuckPlaces()->Mark(place);
    }
    ~Stuck() { platform::ProcessStuckPlaces()->Unmark(place); }
    std::string place;
  };
  const HWND dir1 = Control("Dir1");
  {
    const Stuck stuck(place);
    DoubleClickItem(dir1, ListIndex(dir1, "sub"));
  }
  EXPECT_EQ(Form2().FindFolderList("Dir1").Path(), temp.str());
  EXPECT_EQ(Caption("Label4"), " ");
  EXPECT_EQ(Names("File1"), (std::vector<std::string>{"A.txt", "B.txt"}));
}

// The whole program whose copies wait at a gate on the window system's workers, with actions
// the test schedules for during the wait.
class CopyWait : public GuiWait {
 protected:
  void SetUp() override {
    temp.Folder("to");
    GuiWait::SetUp();
    Form2().FindFolderList("Dir2").SetPath(Join(temp.str(), "to"));
    const HWND file1 = Control("File1");
    ClickItem(file1, NameIndex("File1", "A.txt"));
    Pump();
    timers_ = std::make_unique<Probe>(Form2().hwnd(), [this](UINT message, WPARAM timer) {
      if (message != WM_TIMER) return;
      ::KillTimer(timers_->hwnd(), timer);
      if (timer <= actions_.size()) actions_[timer - 1]();
    });
  }
  void TearDown() override { gate.Open(); }

  platform::FileSystem& HandlerFiles() override {
    off_thread_files_ =
        std::make_unique<platform::OffThreadFileSystem>(gated, windows().off_thread());
    return *off_thread_files_;
  }

  // Runs the action `after` from now, from the message queue.
  void After(std::chrono::milliseconds after, std::function<void()> action) {
    actions_.push_back(std::move(action));
    ::SetTimer(timers_->hwnd(), actions_.size(), static_cast<UINT>(after.count()), nullptr);
  }
  // "&Copy +Paste", answered Yes; returns once its handler has ended.
  void Copy() {
    dialogs.answers.push_back(platform::Answer::Yes);
    ::SendMessageW(Control("Command8"), BM_CLICK, 0, 0);
  }
  bool Copied() { return std::filesystem::exists(temp.path() / "to" / "A.txt"); }
  void OpenAbout() {
    ::SendMessageW(Form2().hwnd(), WM_COMMAND, MenuCommand(Form2().hwnd(), 2), 0);
    Pump();
  }
  bool Busy() { return windows().front_end().busy; }

  Gate gate;
  std::shared_ptr<GatedFileSystem> gated = std::make_shared<GatedFileSystem>(gate);

 private:
  std::unique_ptr<platform::OffThreadFileSystem> off_thread_files_;
  std::unique_ptr<Probe> timers_;
  std::vector<std::function<void()>> actions_;
};

// A drive list dropped down during a wait shows the drives it has: a read of the drives would
// be a wait inside the copy's, which must end soon after its own worker.
TEST_F(CopyWait, ADriveListDroppedDownDuringAWaitReadsNothingAndTheWaitEndsOnTime) {
  int reads = 0;
  const auto drives = windows().front_end().drives.Drives();
  drive_reader = [&](platform::OffThread& off_thread) {
    ++reads;
    (void)off_thread.Run([] { ::Sleep(2000); });
    return drives;
  };
  const HWND drive1 = Control("Drive1");
  After(50ms, [drive1] { ::SendMessageW(drive1, CB_SHOWDROPDOWN, TRUE, 0); });
  Clock::time_point released;
  After(300ms, [&] {
    released = Clock::now();
    gate.Open();
  });
  Copy();
  const auto late = Clock::now() - released;
  ::SendMessageW(drive1, CB_SHOWDROPDOWN, FALSE, 0);
  EXPECT_EQ(reads, 0);
  EXPECT_LT(late, 500ms) << "the handler goes on soon after its worker";
  EXPECT_TRUE(Copied());
}

struct CloseGesture {
  const char* name;
  void (*send)(HWND window);
};

const CloseGesture kCloseGestures[] = {
    {"CloseBox",
     [](HWND window) { ::PostMessageW(window, WM_NCLBUTTONDOWN, HTCLOSE, MAKELPARAM(5, 5)); }},
    {"IconDoubleClick",
     [](HWND window) { ::PostMessageW(window, WM_NCLBUTTONDBLCLK, HTSYSMENU, MAKELPARAM(5, 5)); }},
    {"SystemMenuClose", [](HWND window) { ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    {"AltF4",
     [](HWND window) {
       const HWND focus = ::GetWindow(window, GW_CHILD);
       ::PostMessageW(focus, WM_SYSKEYDOWN, VK_MENU, kAltHeld | 1);
       ::PostMessageW(focus, WM_SYSKEYDOWN, VK_F4, kAltHeld | 1);
     }},
    {"CloseMessage", [](HWND window) { ::PostMessageW(window, WM_CLOSE, 0, 0); }},
};

class AboutClosedDuringACopy : public CopyWait,
                               public ::testing::WithParamInterface<CloseGesture> {};

// About goes from the screen at once and is unloaded after the wait; the main window stays, the
// copy ends, and the program runs on.
TEST_P(AboutClosedDuringACopy, GoesAloneAndTheCopyEnds) {
  OpenAbout();
  ASSERT_NE(About(), nullptr);
  const HWND about = About()->hwnd();
  bool busy = false, about_gone = false;
  After(400ms, [&] {
    busy = Busy();
    GetParam().send(about);
  });
  After(600ms, [&] {
    about_gone = !::IsWindowVisible(about) && ::IsWindowVisible(Form2().hwnd());
    gate.Open();
  });
  Copy();
  EXPECT_TRUE(busy);
  EXPECT_TRUE(about_gone);
  EXPECT_TRUE(Copied());
  Pump();
  EXPECT_FALSE(About()->IsLoaded());
  EXPECT_TRUE(Form2().IsLoaded());
  EXPECT_FALSE(windows().wait_state().end_requested);
  EXPECT_EQ(quits, 0);
}

INSTANTIATE_TEST_SUITE_P(Gestures, AboutClosedDuringACopy, ::testing::ValuesIn(kCloseGestures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CopyWait, MainWindowClosedAfterTheBusyCursorGoesAndAboutStays) {
  OpenAbout();
  ASSERT_NE(About(), nullptr);
  const HWND main = Form2().hwnd();
  bool busy = false, about_stayed = false;
  After(400ms, [&] {
    busy = Busy();
    ::PostMessageW(main, WM_NCLBUTTONDOWN, HTCLOSE, MAKELPARAM(5, 5));
  });
  After(600ms, [&] {
    about_stayed = ::IsWindowVisible(About()->hwnd()) && !::IsWindowVisible(main);
    gate.Open();
  });
  Copy();
  EXPECT_TRUE(busy);
  EXPECT_TRUE(about_stayed);
  EXPECT_TRUE(Copied());
  Pump();
  EXPECT_FALSE(Form2().IsLoaded());
  EXPECT_TRUE(About()->IsLoaded());
  EXPECT_EQ(quits, 0);
}

using CopyWaitDeathTest = CopyWait;

// The worker never comes back: the program ends all the same, at once, when its last window is
// closed.
TEST_F(CopyWaitDeathTest, TheLastWindowClosedAfterTheBusyCursorEndsTheProgramAtOnce) {
  EXPECT_EXIT(
      {
        After(400ms, [this] {
          if (!Busy()) std::_Exit(3);
          ::PostMessageW(Form2().hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
        });
        After(1400ms, [] { std::_Exit(4); });  // not ended within a second
        Copy();                                // the gate is never opened
        std::_Exit(5);
      },
      ::testing::ExitedWithCode(0), "");
}

class CopyWaitWithRealQuestions : public CopyWait {
 protected:
  platform::Dialogs& HandlerDialogs() override { return questions_; }

 private:
  platform::win32::Win32Dialogs real_;
  SureThenRealDialogs questions_{real_};
};

// A key typed on the keyboard, which the system gives to the window that has the focus when it
// is taken from the queue.
void TypeKey(WORD key) {
  INPUT presses[2] = {};
  for (INPUT& press : presses) {
    press.type = INPUT_KEYBOARD;
    press.ki.wVk = key;
  }
  presses[1].ki.dwFlags = KEYEVENTF_KEYUP;
  ::SendInput(2, presses, sizeof(INPUT));
}

HWND DeleteQuestion() {
  const HWND box = ::FindWindowW(L"#32770", L"File Delete!");
  return box != nullptr && ::IsWindowVisible(box) ? box : nullptr;
}

TEST_F(CopyWaitWithRealQuestions,
       DeleteClickedDuringAWaitAsksAfterItAndAnEarlierEnterAnswersNothing) {
  const HWND delete_button = Control("Command3");
  After(50ms, [delete_button] {
    RECT inside{};
    ::GetClientRect(delete_button, &inside);
    const LPARAM middle = At({inside.right / 2, inside.bottom / 2});
    ::PostMessageW(delete_button, WM_LBUTTONDOWN, MK_LBUTTON, middle);
    ::PostMessageW(delete_button, WM_LBUTTONUP, 0, middle);
    TypeKey(VK_RETURN);  // before the question shows: it must not answer Yes
  });
  After(300ms, [&] { gate.Open(); });
  bool asked_during_the_wait = false;
  WithTicks([this] { Copy(); },
            [&] {
              asked_during_the_wait = asked_during_the_wait || DeleteQuestion() != nullptr;
              return false;
            });
  EXPECT_FALSE(asked_during_the_wait);
  EXPECT_TRUE(Copied());
  MSG enter{};
  ASSERT_TRUE(::PeekMessageW(&enter, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE));
  ASSERT_EQ(enter.wParam, static_cast<WPARAM>(VK_RETURN)) << "the typed Enter waits in the queue";

  const std::filesystem::path file = temp.path() / "A.txt";
  int looks = 0;
  bool there_while_asked = false;
  WithTicks([this] { Pump(); },
            [&] {
              const HWND box = DeleteQuestion();
              if (box == nullptr) return false;
              // A queued Enter has had its chance to answer the box by the third look.
              if (++looks < 3) return false;
              there_while_asked = std::filesystem::exists(file);
              ::SendMessageW(::GetDlgItem(box, IDYES), BM_CLICK, 0, 0);
              return true;
            });
  EXPECT_EQ(looks, 3) << "the question showed and waited for its answer";
  EXPECT_TRUE(there_while_asked);
  EXPECT_FALSE(std::filesystem::exists(file));
}

}  // namespace
}  // namespace vantrel::testing
