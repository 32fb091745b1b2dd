#include "platform/win32/control.h"

#include "platform/win32/accessibility.h"
#include "platform/win32/text.h"

namespace vantrel::platform::win32 {

HBRUSH FaceBrush() {
  return ::GetSysColorBrush(COLOR_BTNFACE);
}

void Win32Control::Place(const RECT& pixels, UINT) {
  if (hwnd_ == nullptr) return;
  ::SetWindowPos(hwnd_, nullptr, pixels.left, pixels.top, pixels.right - pixels.left,
                 pixels.bottom - pixels.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Control::Annotate() {
  SetAccessibleName(hwnd_, description_.accessible_name);
  SetAccessibleDescription(hwnd_, description_.tooltip);
}

HBRUSH Win32Control::OnColour(HDC dc) {
  const auto& colour = description_.text_colour;
  ::SetTextColor(
      dc, colour ? RGB(colour->red, colour->green, colour->blue) : ::GetSysColor(COLOR_WINDOWTEXT));
  ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
  return FaceBrush();
}

HWND Win32Control::MakeWindow(const ControlHost& host, const wchar_t* window_class,
                              const std::string& text, DWORD style, DWORD ex_style) {
  hwnd_ = ::CreateWindowExW(ex_style, window_class, Widen(text).c_str(),
                            WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, 0, 0, 0, 0, host.form,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(host.id)),
                            host.front_end.instance, nullptr);
  return hwnd_;
}

}  // namespace vantrel::platform::win32
