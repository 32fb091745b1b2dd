// The GUI thread's wait for a worker on the real Win32 front end: the windows paint, user input
// stays queued for after the wait, the wait cursor shows once the wait is long, and closing the
// window ends the program without waiting for the worker.
#include <chrono>
#include <functional>

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
    windows().off_thread().Run(
        [&released, release] { released = ::WaitForSingleObject(release, 5000) == WAIT_OBJECT_0; });
    return released;
  }
  void Release() { ::SetEvent(release_.get()); }

  UniqueHandle release_{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

TEST_F(GuiWait, WindowsPaintWhileAWorkerIsBlocked) {
  Probe probe(Form2().hwnd(), [this](UINT message, WPARAM) {
    if (message == WM_PAINT) Release();
  });
  Pump();
  ::InvalidateRect(probe.hwnd(), nullptr, TRUE);
  ::InvalidateRect(Form2().hwnd(), nullptr, TRUE);
  EXPECT_TRUE(RunUntilReleased());
  EXPECT_FALSE(::GetUpdateRect(Form2().hwnd(), nullptr, FALSE));
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

struct CloseGesture {
  const char* name;
  void (*send)(HWND form, HWND focus);
};

const CloseGesture kCloseGestures[] = {
    {"CloseBox",
     [](HWND form, HWND) { ::PostMessageW(form, WM_NCLBUTTONDOWN, HTCLOSE, MAKELPARAM(5, 5)); }},
    {"SystemMenuClose", [](HWND form, HWND) { ::PostMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    {"AltF4",
     [](HWND, HWND focus) {
       ::PostMessageW(focus, WM_SYSKEYDOWN, VK_MENU, kAltHeld | 1);
       ::PostMessageW(focus, WM_SYSKEYDOWN, VK_F4, kAltHeld | 1);
     }},
    {"CloseMessage", [](HWND form, HWND) { ::PostMessageW(form, WM_CLOSE, 0, 0); }},
};

class CloseDuringAWait : public GuiWait, public ::testing::WithParamInterface<CloseGesture> {};

// The request ends the wait at once and leaves the window where it is: the wait ends the
// program (EndNow) rather than the handler finding its window gone.
TEST_P(CloseDuringAWait, AsksForTheEndAndEndsTheRoundAtOnce) {
  GetParam().send(Form2().hwnd(), Control("File1"));
  platform::GuiWait& wait = windows().gui_wait();
  const auto start = Clock::now();
  wait.HandleEventsUntil(start + 3s);
  EXPECT_LT(Clock::now() - start, 1s);
  EXPECT_TRUE(wait.EndRequested());
  EXPECT_TRUE(Form2().IsLoaded());
  EXPECT_EQ(quits, 0);
}

INSTANTIATE_TEST_SUITE_P(Gestures, CloseDuringAWait, ::testing::ValuesIn(kCloseGestures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GuiWait, OtherPressesOnTheFrameAndOtherAltKeysEndNothing) {
  const HWND form = Form2().hwnd();
  ::PostMessageW(form, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(20, 5));
  ::PostMessageW(Control("File1"), WM_SYSKEYDOWN, VK_MENU, kAltHeld | 1);
  ::PostMessageW(Control("File1"), WM_SYSKEYDOWN, 'X', kAltHeld | 1);
  ::PostMessageW(Control("File1"), WM_SYSKEYDOWN, VK_F4, kAltHeld | 1);  // behind Alt+X: later
  ::PostMessageW(form, WM_SYSCOMMAND, SC_MOVE, 0);
  platform::GuiWait& wait = windows().gui_wait();
  // Rounds until the time is up, as a waiting handler has them (a worker of the start may have
  // woken the first).
  const auto until = Clock::now() + 300ms;
  while (Clock::now() < until && !wait.EndRequested()) wait.HandleEventsUntil(until);
  EXPECT_FALSE(wait.EndRequested());
  MSG message{};
  ASSERT_TRUE(::PeekMessageW(&message, nullptr, WM_SYSKEYDOWN, WM_SYSKEYDOWN, PM_NOREMOVE));
  EXPECT_EQ(message.wParam, static_cast<WPARAM>('X'));
  // Closed once nothing waits: the window closes as ever.
  ::SendMessageW(form, WM_CLOSE, 0, 0);
  EXPECT_FALSE(Form2().IsLoaded());
  EXPECT_FALSE(wait.EndRequested());
}

// A folder whose file system does not answer leaves the pane where it was.
TEST_F(GuiWait, AFolderThatDoesNotAnswerLeavesThePaneWhereItWas) {
  class NeverAnswers final : public platform::OffThread {
   public:
    using platform::OffThread::RunAnswering;
    void Run(std::function<void()> work) override { work(); }
    bool RunAnswering(AnsweringWork, std::chrono::milliseconds, const std::string&,
                      std::function<std::string()>) override {
      return false;
    }
  } never;
  windows().ReadThrough(never);
  const HWND dir1 = Control("Dir1");
  DoubleClickItem(dir1, ListIndex(dir1, "sub"));
  EXPECT_EQ(Form2().FindFolderList("Dir1").Path(), temp.str());
  EXPECT_EQ(Caption("Label4"), " ");
  EXPECT_EQ(Names("File1"), (std::vector<std::string>{"A.txt", "B.txt"}));
}

using GuiWaitDeathTest = GuiWait;

// The worker never comes back: the program ends all the same, as soon as the window is closed.
TEST_F(GuiWaitDeathTest, ClosingTheWindowEndsTheProgramThoughAWorkerIsStuck) {
  EXPECT_EXIT(
      {
        ::PostMessageW(Form2().hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
        const HANDLE never = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        windows().off_thread().Run([never] { ::WaitForSingleObject(never, 30000); });
        std::_Exit(3);  // not reached
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace vantrel::testing
