#include "platform/win32/subclass.h"

#include <commctrl.h>

namespace vantrel::platform::win32 {
namespace {
constexpr UINT_PTR kSubclassId = 1;
}

void Subclassed::Subclass(HWND window) {
  ::SetWindowSubclass(window, &Subclassed::Procedure, kSubclassId,
                      reinterpret_cast<DWORD_PTR>(this));
}

LRESULT Subclassed::Default(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return ::DefSubclassProc(window, message, wparam, lparam);
}

LRESULT CALLBACK Subclassed::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                       UINT_PTR, DWORD_PTR data) {
  if (message == WM_NCDESTROY) {
    ::RemoveWindowSubclass(window, &Subclassed::Procedure, kSubclassId);
    return ::DefSubclassProc(window, message, wparam, lparam);
  }
  return reinterpret_cast<Subclassed*>(data)->OnMessage(window, message, wparam, lparam);
}

}  // namespace vantrel::platform::win32
