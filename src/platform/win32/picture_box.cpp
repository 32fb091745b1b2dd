#include "platform/win32/picture_box.h"

#include "platform/win32/window_class.h"

namespace vantrel::platform::win32 {
namespace {

constexpr wchar_t kClassName[] = L"VantrelPictureBox";
constexpr int kIconSize = 48;

}  // namespace

void Win32PictureBox::Create(const ControlHost& host) {
  RegisterWindowClass(host.front_end.instance, kClassName, &Win32PictureBox::Procedure,
                      FaceBrush());
  MakeWindow(host, kClassName, "", WS_TABSTOP, description().sunken ? WS_EX_CLIENTEDGE : 0);
  ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(host.front_end.large_icon));
}

LRESULT CALLBACK Win32PictureBox::Procedure(HWND window, UINT message, WPARAM wparam,
                                            LPARAM lparam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    const HDC dc = ::BeginPaint(window, &paint);
    const auto icon = reinterpret_cast<HICON>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (icon != nullptr) ::DrawIconEx(dc, 0, 0, icon, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
    ::EndPaint(window, &paint);
    return 0;
  }
  if (message == WM_LBUTTONDOWN) ::SetFocus(window);
  return ::DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace vantrel::platform::win32
