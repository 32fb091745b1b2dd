#include "window_fixture.h"

#include <windowsx.h>

#include <algorithm>
#include <chrono>

#include "platform/win32/file_list.h"

namespace vantrel::testing {

using platform::win32::Narrow;

void Win32Program::Start(const std::string& folder) {
  windows_ = std::make_unique<platform::win32::Win32WindowSystem>(
      ::GetModuleHandleW(nullptr), [this] { ++quits; }, folder,
      [this](platform::OffThread& off_thread) { return drive_reader(off_thread); });
  services_ = std::make_unique<form::Services>(
      form::Services{*windows_, HandlerFiles(), HandlerDialogs(), programs, clipboard, registry,
                     program, platform::kWindowsPaths});
  application_ = std::make_unique<app::Application>(*services_);
  application_->Start();
  Pump();
}

void Win32Program::Pump() {
  MSG message{};
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) continue;
    if (windows_->PreTranslate(message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

const std::vector<std::string>& Win32Program::Names(std::string_view file_list) {
  return dynamic_cast<platform::win32::Win32FileList&>(Form2().FindFileList(file_list)).Names();
}

int Win32Program::NameIndex(std::string_view file_list, const std::string& name) {
  const auto& names = Names(file_list);
  const auto it = std::find(names.begin(), names.end(), name);
  return it == names.end() ? -1 : static_cast<int>(it - names.begin());
}

std::string WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return Narrow(text);
}

RECT RectInParent(HWND control) {
  RECT rect{};
  ::GetWindowRect(control, &rect);
  ::MapWindowPoints(HWND_DESKTOP, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

int ListIndex(HWND list, const std::string& text) {
  return static_cast<int>(::SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(W(text).c_str())));
}

std::string ListText(HWND list, int index) {
  const auto length = ::SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length < 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return Narrow(text);
}

int ListCount(HWND list) {
  return static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
}

POINT ItemCentre(HWND list, int index) {
  RECT item{};
  ::SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  return {(item.left + item.right) / 2, (item.top + item.bottom) / 2};
}

LPARAM At(POINT point) {
  return MAKELPARAM(static_cast<WORD>(point.x), static_cast<WORD>(point.y));
}

void Click(HWND window, POINT at) {
  ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, At(at));
  ::SendMessageW(window, WM_LBUTTONUP, 0, At(at));
}

void ClickItem(HWND list, int index) {
  Click(list, ItemCentre(list, index));
}

void DoubleClickItem(HWND list, int index) {
  const POINT at = ItemCentre(list, index);
  Click(list, at);
  ::SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, At(at));
  ::SendMessageW(list, WM_LBUTTONUP, 0, At(at));
}

void PressKey(platform::win32::Win32WindowSystem& windows, HWND focus, WPARAM key) {
  ::SetFocus(focus);
  MSG message{focus, WM_KEYDOWN, key, 1, static_cast<DWORD>(::GetMessageTime()), {}};
  if (!windows.PreTranslate(message)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

WORD MenuCommand(HWND window, int menu, int item) {
  const HMENU bar = ::GetMenu(window);
  if (item < 0) return static_cast<WORD>(::GetMenuItemID(bar, menu));
  return static_cast<WORD>(::GetMenuItemID(::GetSubMenu(bar, menu), item));
}

namespace {

std::function<bool()>* g_tick = nullptr;
std::chrono::steady_clock::time_point g_deadline;

// Past the deadline a box or menu that nobody answered is closed, so a mistake fails the test
// instead of hanging it.
BOOL CALLBACK CloseBox(HWND window, LPARAM) {
  wchar_t name[16] = {};
  ::GetClassNameW(window, name, 16);
  if (std::wstring(name) == L"#32770") {
    for (WPARAM id : {IDCANCEL, IDNO, IDOK}) ::PostMessageW(window, WM_COMMAND, id, 0);
  }
  return TRUE;
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (g_tick != nullptr && (*g_tick)()) g_tick = nullptr;
  if (std::chrono::steady_clock::now() < g_deadline) return;
  ::EndMenu();
  ::EnumThreadWindows(::GetCurrentThreadId(), &CloseBox, 0);
}

}  // namespace

void WithTicks(const std::function<void()>& call, const std::function<bool()>& on_tick) {
  std::function<bool()> tick = on_tick;
  g_tick = &tick;
  g_deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &OnTimer);
  call();
  ::KillTimer(nullptr, timer);
  g_tick = nullptr;
}

}  // namespace vantrel::testing
