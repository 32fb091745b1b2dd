#include "platform/win32/dpi.h"

#include <cmath>

namespace vantrel::platform::win32 {
namespace {

using DpiForWindow = UINT(WINAPI*)(HWND);
using DpiForSystem = UINT(WINAPI*)();

// Looked up at run time: older systems have neither function and run at the screen's dpi.
template <class Function>
Function User32Function(const char* name) {
  const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  return user32 != nullptr
             ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(user32, name)))
             : nullptr;
}

UINT ScreenDpi() {
  const HDC screen = ::GetDC(nullptr);
  const int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen != nullptr) ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

}  // namespace

UINT DpiOf(HWND window) {
  static const auto for_window = User32Function<DpiForWindow>("GetDpiForWindow");
  if (for_window != nullptr && window != nullptr) {
    if (const UINT dpi = for_window(window); dpi > 0) return dpi;
  }
  return SystemDpi();
}

UINT SystemDpi() {
  static const auto for_system = User32Function<DpiForSystem>("GetDpiForSystem");
  if (for_system != nullptr) {
    if (const UINT dpi = for_system(); dpi > 0) return dpi;
  }
  return ScreenDpi();
}

int FontHeight(double points, UINT dpi) {
  return -static_cast<int>(std::lround(points * static_cast<double>(dpi) / 72.0));
}

}  // namespace vantrel::platform::win32
