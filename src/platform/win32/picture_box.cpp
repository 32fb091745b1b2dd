#include "platform/win32/picture_box.h"

namespace vantrel::platform::win32 {
namespace {

constexpr wchar_t kClassName[] = L"VantrelPictureBox";
constexpr int kIconSize = 48;

void RegisterClassOnce(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (::GetClassInfoExW(instance, kClassName, &existing)) return;
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = instance;
  window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = FaceBrush();
  window_class.lpszClassName = kClassName;
  ::RegisterClassExW(&window_class);
}

}  // namespace

void Win32PictureBox::Create(const ControlHost& host) {
  RegisterClassOnce(host.front_end.instance, &Win32PictureBox::Procedure);
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
