#include "platform/win32/tooltips.h"

#include <commctrl.h>

#include <string>

#include "platform/win32/text.h"

namespace vantrel::platform::win32 {

HWND MakeTooltips(HWND form) {
  const auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(form, GWLP_HINSTANCE));
  return ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                           WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, form, nullptr, instance, nullptr);
}

void AddTooltip(HWND tooltips, HWND form, HWND control, std::string_view text) {
  if (tooltips == nullptr || control == nullptr) return;
  std::wstring wide = Widen(text);
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;  // understood by every comctl32 version
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = form;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = wide.data();  // copied by the control
  ::SendMessageW(tooltips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace vantrel::platform::win32
