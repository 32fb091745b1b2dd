#include "platform/win32/dialogs_win32.h"

#include "platform/win32/input_box.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_text.h"

namespace vantrel::platform::win32 {
namespace {

Answer AnswerOf(int result) {
  switch (result) {
    case IDYES:
      return Answer::Yes;
    case IDNO:
      return Answer::No;
    case IDOK:
      return Answer::Ok;
    default:
      return Answer::Closed;
  }
}

}  // namespace

// The style numbers are the system's own: buttons, icon and default button pass through, so
// style 36 shows Yes and No with the question icon and Yes as the default.
Answer Win32Dialogs::MessageBox(const std::string& prompt, int style, const std::string& title) {
  const UINT flags = static_cast<UINT>(style) & (MB_TYPEMASK | MB_ICONMASK | MB_DEFMASK);
  const std::wstring caption = Widen(title.empty() ? std::string(kProgramTitle) : title);
  return AnswerOf(::MessageBoxW(::GetActiveWindow(), Widen(prompt).c_str(), caption.c_str(),
                                flags | MB_SETFOREGROUND));
}

std::string Win32Dialogs::InputBox(const std::string& prompt) {
  return RunInputBox(::GetActiveWindow(), prompt, kProgramTitle);
}

}  // namespace vantrel::platform::win32
