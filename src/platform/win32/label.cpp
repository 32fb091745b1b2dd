#include "platform/win32/label.h"

#include "platform/win32/accessibility.h"
#include "platform/win32/text.h"

namespace vantrel::platform::win32 {
namespace {

// A static control breaks lines at "\r\n"; the descriptions write "\n".
std::wstring ShownText(const std::string& text) {
  std::wstring shown;
  for (wchar_t c : Widen(text)) {
    if (c == L'\n') shown.push_back(L'\r');
    shown.push_back(c);
  }
  return shown;
}

}  // namespace

void Win32Label::Create(const ControlHost& host) {
  MakeWindow(host, L"STATIC", "", SS_LEFT | SS_NOPREFIX);
}

void Win32Label::Load() {
  SetCaption(std::string(description().caption));
}

void Win32Label::SetCaption(const std::string& text) {
  caption_ = text;
  if (hwnd_ == nullptr) return;
  ::SetWindowTextW(hwnd_, ShownText(text).c_str());
  // A label named by its description tells screen readers what it shows in its description.
  if (!description().accessible_name.empty()) SetAccessibleDescription(hwnd_, text);
}

}  // namespace vantrel::platform::win32
