#include "platform/win32/dialogs.h"

#include <utility>

#include "platform/win32/api.h"
#include "platform/win32/input_box.h"
#include "platform/win32/text.h"

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

// Removes the keyboard and mouse input queued for this thread: keys and clicks made while a
// handler waited stay queued for after it, and the question that handler asks must not take its
// answer from them (an Enter typed before the box showed would press its default button).
void DropQueuedInput() {
  constexpr std::pair<UINT, UINT> kInput[] = {
      {WM_KEYFIRST, WM_KEYLAST},             // keys, Alt held or not
      {WM_MOUSEFIRST, WM_MOUSELAST},         // the mouse in a window
      {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK},  // the mouse over a window's frame
  };
  MSG message{};
  for (const auto& [first, last] : kInput) {
    while (::PeekMessageW(&message, nullptr, first, last, PM_REMOVE)) {
    }
  }
}

}  // namespace

// The style numbers are the system's own: buttons, icon and default button pass through, so
// style 36 shows Yes and No with the question icon and Yes as the default.
Answer Win32Dialogs::MessageBox(const std::string& prompt, int style, const std::string& title) {
  const UINT flags = static_cast<UINT>(style) & (MB_TYPEMASK | MB_ICONMASK | MB_DEFMASK);
  const std::wstring caption = Widen(title.empty() ? std::string(kProgramTitle) : title);
  DropQueuedInput();
  return AnswerOf(::MessageBoxW(::GetActiveWindow(), Widen(prompt).c_str(), caption.c_str(),
                                flags | MB_SETFOREGROUND));
}

std::string Win32Dialogs::InputBox(const std::string& prompt) {
  DropQueuedInput();
  return RunInputBox(::GetActiveWindow(), prompt, kProgramTitle);
}

}  // namespace vantrel::platform::win32
