// The messages of a Win32Window: notifications go back to the control that sent them, menu
// commands raise the item's Click, and the keyboard interface of a dialog (Tab, Enter, Escape)
// works through IsDialogMessage in the message loop.
#include <windowsx.h>

#include <algorithm>

#include "platform/win32/accessibility.h"
#include "platform/win32/dpi.h"
#include "platform/win32/form_layout.h"
#include "platform/win32/form_window.h"

namespace vantrel::platform::win32 {

LRESULT CALLBACK Win32Window::Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* window =
        static_cast<Win32Window*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    window->hwnd_ = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
  }
  auto* window = reinterpret_cast<Win32Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (window == nullptr) return ::DefWindowProcW(hwnd, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    window->OnDestroyed();
    return ::DefWindowProcW(hwnd, message, wparam, lparam);
  }
  return window->OnMessage(message, wparam, lparam);
}

LRESULT Win32Window::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(wparam, lparam);
      return 0;
    case DM_GETDEFID:
      return OnDefaultId();
    case WM_NEXTDLGCTL:
      OnNextControl(wparam, lparam);
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (Win32Control* control = ControlByHandle(reinterpret_cast<HWND>(lparam))) {
        return reinterpret_cast<LRESULT>(control->OnColour(reinterpret_cast<HDC>(wparam)));
      }
      break;
    case WM_MEASUREITEM:
      if (Win32Control* control = ControlById(static_cast<int>(wparam))) {
        control->OnMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lparam));
        return TRUE;
      }
      break;
    case WM_DRAWITEM:
      if (Win32Control* control = ControlById(static_cast<int>(wparam))) {
        control->OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
        return TRUE;
      }
      break;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ACTIVATE:
      OnActivate(wparam);
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(wparam, lparam);
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case kFinishClose:
      if (closing_ && !front_end_.wait.waiting) Unload();
      return 0;
    case WM_DESTROY:
      // The controls still exist here; their annotations go with them.
      for (const auto& control : controls_) ClearAccessibleTexts(control->hwnd());
      break;
    case WM_SYSCOMMAND:
      if (front_end_.wait.waiting) {
        OnSystemCommandWhileWaiting(wparam);
        return 0;
      }
      break;
    case WM_SETCURSOR:
      if (!front_end_.busy) break;
      ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
      return TRUE;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd_, message, wparam, lparam);
}

// The close box runs no handler. While a handler waits for a worker, the window goes from the
// screen at once and is unloaded after the wait, so the handler never finds its controls gone;
// closing the last window open ends the program, which the wait does at once, without waiting
// for the worker.
void Win32Window::OnClose() {
  if (!front_end_.wait.waiting) {
    Unload();
    return;
  }
  if (!closing_) {
    closing_ = true;
    ::ShowWindow(hwnd_, SW_HIDE);
  }
  const bool any_open = std::any_of(
      front_end_.windows.begin(), front_end_.windows.end(),
      [](const Win32Window* window) { return window->IsLoaded() && !window->closing_; });
  if (!any_open) front_end_.wait.end_requested = true;
}

// Minimizing and restoring work as ever, and Close closes. The other commands (moving, sizing,
// the system menu, the menu bar's keys) would run a message loop of the system's that lets user
// input through to the windows, so they do nothing until the wait is over.
void Win32Window::OnSystemCommandWhileWaiting(WPARAM command) {
  switch (command & 0xFFF0) {
    case SC_CLOSE:
      OnClose();
      break;
    case SC_MINIMIZE:
    case SC_RESTORE:
      ::DefWindowProcW(hwnd_, WM_SYSCOMMAND, command, 0);
      break;
    default:
      break;
  }
}

void Win32Window::OnCommand(WPARAM wparam, LPARAM lparam) {
  const WORD id = LOWORD(wparam);
  const WORD code = HIWORD(wparam);
  if (lparam != 0) {
    if (Win32Control* control = ControlById(id)) control->OnCommand(code);
  } else if (id == IDOK) {
    PressButton(description_.default_button);  // Enter, from the dialog manager
  } else if (id == IDCANCEL) {
    PressButton(description_.cancel_button);  // Escape
  } else if (code == 0) {
    if (const auto item = menu_.NameOf(id)) events_.Raise(*item, Event::Click, {});
  }
}

// Where the window has a default button, Enter presses the focused button, or the default one
// when the focus is elsewhere, as in a dialog. Elsewhere Enter presses nothing.
LRESULT Win32Window::OnDefaultId() const {
  const Win32Control* fallback = ControlNamed(description_.default_button);
  if (fallback == nullptr) return 0;
  const Win32Control* focused = ControlByHandle(::GetFocus());
  const Win32Control* pressed =
      focused != nullptr && focused->description().kind == ControlKind::Button ? focused : fallback;
  const auto index = std::find_if(controls_.begin(), controls_.end(),
                                  [&](const auto& c) { return c.get() == pressed; }) -
                     controls_.begin();
  return MAKELRESULT(kFirstControlId + index, DC_HASDEFID);
}

void Win32Window::OnNextControl(WPARAM wparam, LPARAM lparam) {
  const HWND target = LOWORD(lparam) != 0
                          ? reinterpret_cast<HWND>(wparam)
                          : ::GetNextDlgTabItem(hwnd_, ::GetFocus(), wparam != 0 ? TRUE : FALSE);
  if (target != nullptr) ::SetFocus(target);
}

// The focus comes back to the control that had it when the window was last active.
void Win32Window::OnActivate(WPARAM wparam) {
  if (LOWORD(wparam) == WA_INACTIVE) {
    const HWND focus = ::GetFocus();
    if (focus != nullptr && ::IsChild(hwnd_, focus)) focus_ = focus;
    return;
  }
  if (HIWORD(wparam) != 0) return;  // minimized
  const bool kept = focus_ != nullptr && ::IsWindow(focus_) && ::IsChild(hwnd_, focus_);
  const HWND target = kept ? focus_ : FirstTabStop();
  ::SetFocus(target != nullptr ? target : hwnd_);
}

void Win32Window::OnPaint() {
  PAINTSTRUCT paint;
  const HDC dc = ::BeginPaint(hwnd_, &paint);
  for (const auto& control : controls_) control->Paint(dc, dpi_);
  ::EndPaint(hwnd_, &paint);
}

// Moved to a monitor of another dpi: the suggested size, then every control and font at the
// new dpi. The window stays where the system put it.
void Win32Window::OnDpiChanged(WPARAM wparam, LPARAM lparam) {
  dpi_ = HIWORD(wparam);
  const auto* suggested = reinterpret_cast<const RECT*>(lparam);
  ::SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  ApplyLayout();  // the fonts at the old dpi go with the window
  FitClientArea(hwnd_, description_, dpi_, false);
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

// Sent once the child windows are gone: the wrappers keep their state for the next load.
void Win32Window::OnDestroyed() {
  hwnd_ = nullptr;
  tooltips_ = nullptr;
  focus_ = nullptr;
  closing_ = false;
  for (const auto& control : controls_) control->Destroyed();
  fonts_.Clear();
  if (--front_end_.loaded_windows == 0 && front_end_.quit) front_end_.quit();
}

}  // namespace vantrel::platform::win32
