#include "platform/win32/gui_wait.h"

#include <algorithm>
#include <utility>

#include "platform/os_services.h"
#include "platform/win32/form_window.h"

namespace vantrel::platform::win32 {
namespace {

using Clock = std::chrono::steady_clock;

// User input, which stays queued while a handler waits, in ascending order.
constexpr std::pair<UINT, UINT> kLeftQueued[] = {
    {WM_QUIT, WM_QUIT},                    // for the message loop
    {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK},  // the mouse over a window's frame
    {WM_KEYFIRST, WM_KEYLAST},             // keys
    {WM_MOUSEFIRST, WM_MOUSELAST},         // the mouse in a window
    {WM_TOUCH, WM_POINTERHWHEEL},          // touch and pen
    {WM_NCMOUSEHOVER, WM_MOUSELEAVE},      // the mouse resting or leaving
};

// How often the queue is looked at again while input waits in it.
constexpr DWORD kSliceWithInputQueued = 50;

void DispatchQueued(UINT first, UINT last) {
  MSG message{};
  while (::PeekMessageW(&message, nullptr, first, last, PM_REMOVE)) ::DispatchMessageW(&message);
}

// Everything queued between the ranges left queued: posted and sent messages, timers, paints.
void DispatchAllButInput() {
  UINT first = 0;
  for (const auto& [from, to] : kLeftQueued) {
    DispatchQueued(first, from - 1);
    first = to + 1;
  }
  DispatchQueued(first, ~UINT{0});
}

DWORD TimeoutUntil(Clock::time_point until, Clock::time_point now) {
  if (until == Clock::time_point::max()) return INFINITE;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - now).count();
  return static_cast<DWORD>(std::clamp<decltype(left)>(left, 0, INFINITE - 1));
}

// The window under the pointer, when it is one of this thread's, takes the cursor of the moment
// at once instead of at the next move of the mouse.
void RefreshCursor() {
  POINT at{};
  if (!::GetCursorPos(&at)) return;
  const HWND under = ::WindowFromPoint(at);
  if (under == nullptr || ::GetWindowThreadProcessId(under, nullptr) != ::GetCurrentThreadId()) {
    return;
  }
  const LRESULT hit = ::SendMessageW(under, WM_NCHITTEST, 0,
                                     MAKELPARAM(static_cast<WORD>(at.x), static_cast<WORD>(at.y)));
  ::SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
                 MAKELPARAM(static_cast<WORD>(hit), WM_MOUSEMOVE));
}

}  // namespace

Win32GuiWait::Win32GuiWait(FrontEnd& front_end)
    : front_end_(front_end), wake_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

// Input left in the queue would end a wait for "any input" at once, again and again: with some
// queued, the wait ends on messages that are new since the queue was last looked at, and in
// short slices, which pick up a message that came while the queue was being looked at. A set
// event only sends the loop back to look at `woken`: it may be left over from an earlier wait.
void Win32GuiWait::HandleEventsUntil(Clock::time_point until, const std::atomic<bool>& woken) {
  while (!woken) {
    DispatchAllButInput();
    TakeCloseClicks();
    TakeAltF4();
    const Clock::time_point now = Clock::now();
    // The last window closed: the wait ends the program without waiting for the worker.
    if (woken || front_end_.wait.end_requested || now >= until) return;
    const bool queued = HIWORD(::GetQueueStatus(QS_ALLINPUT)) != 0;
    DWORD timeout = TimeoutUntil(until, now);
    if (queued) timeout = std::min(timeout, kSliceWithInputQueued);
    const HANDLE wake = wake_.get();
    const DWORD woke = ::MsgWaitForMultipleObjectsEx(1, &wake, timeout, QS_ALLINPUT,
                                                     queued ? 0 : MWMO_INPUTAVAILABLE);
    if (woke == WAIT_FAILED) return;
  }
}

void Win32GuiWait::Wake() {
  ::SetEvent(wake_.get());
}

void Win32GuiWait::ShowBusy(bool busy) {
  front_end_.busy = busy;
  RefreshCursor();
}

// A window closed during the wait was only hidden, since the handler that waited may still use
// its controls. It is unloaded through the queue, ahead of the kept input, once the handler has
// ended (or, if the handler waits again first, after that wait).
void Win32GuiWait::WaitEnded() {
  for (const Win32Window* window : front_end_.windows) {
    if (window->closing()) ::PostMessageW(window->hwnd(), Win32Window::kFinishClose, 0, 0);
  }
}

// TerminateProcess, not ExitProcess: ExitProcess tells every loaded library that the process is
// detaching, under the loader's lock, and a worker stopped in the middle of a system call may
// hold that lock or one those libraries need, so it could wait for the very worker the user
// gave up on. TerminateProcess runs no code of the process any more. The windows are hidden
// first: a thread stuck in the kernel can keep a terminated process around for a while.
void Win32GuiWait::EndNow() {
  front_end_.wait.ended = true;
  for (const Win32Window* window : front_end_.windows) {
    if (window->hwnd() != nullptr) ::ShowWindow(window->hwnd(), SW_HIDE);
  }
  MSG message{};
  ::PeekMessageW(&message, nullptr, WM_NULL, WM_NULL,
                 PM_NOREMOVE);  // lets the hiding reach the screen
  RemoveCopiesInProgress();
  ::TerminateProcess(::GetCurrentProcess(), 0);
  ::ExitProcess(0);  // not reached
}

// A press on the close box closes its window, as a double click on the window's icon does. They
// are taken from the queue with every other press on a frame: the system's own tracking of such
// a press (moving, sizing, the system menu) runs a message loop of its own that would let the
// input through, and after the wait the button has long been let go.
void Win32GuiWait::TakeCloseClicks() {
  MSG message{};
  while (::PeekMessageW(&message, nullptr, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE)) {
    if (message.wParam == HTCLOSE) CloseWindowOf(message.hwnd);
  }
  while (::PeekMessageW(&message, nullptr, WM_NCLBUTTONDBLCLK, WM_NCLBUTTONDBLCLK, PM_REMOVE)) {
    if (message.wParam == HTSYSMENU) CloseWindowOf(message.hwnd);
  }
}

// Alt+F4 comes as a press of Alt alone, then F4 with Alt held. The presses of Alt alone in front
// of it are taken from the queue with it (Alt alone does its work, opening the menu bar, only as
// it is let go); the first other key with Alt held ends the search and stays queued.
void Win32GuiWait::TakeAltF4() {
  MSG message{};
  while (::PeekMessageW(&message, nullptr, WM_SYSKEYDOWN, WM_SYSKEYDOWN, PM_NOREMOVE)) {
    const bool alt_alone = message.wParam == VK_MENU;
    const bool alt_f4 = message.wParam == VK_F4 && (HIWORD(message.lParam) & KF_ALTDOWN) != 0;
    if (!alt_alone && !alt_f4) return;
    ::PeekMessageW(&message, nullptr, WM_SYSKEYDOWN, WM_SYSKEYDOWN, PM_REMOVE);
    if (alt_f4) CloseWindowOf(message.hwnd);
  }
}

// WM_CLOSE goes to the window itself, which handles it as during any wait: it goes from the
// screen, and the program ends when it was the last.
void Win32GuiWait::CloseWindowOf(HWND window) {
  const HWND top = ::GetAncestor(window, GA_ROOT);
  if (top == nullptr) return;
  for (const Win32Window* program_window : front_end_.windows) {
    if (program_window->hwnd() == top) {
      ::SendMessageW(top, WM_CLOSE, 0, 0);
      return;
    }
  }
}

}  // namespace vantrel::platform::win32
