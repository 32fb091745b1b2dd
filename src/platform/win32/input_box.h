// The input box: a modal dialog made from a template built in memory, with the prompt, a text
// field that has the focus, OK (the default button) and Cancel.
#pragma once

#include <string>

#include "platform/win32/api.h"

namespace vantrel::platform::win32 {

// Control identifiers inside the box (besides IDOK and IDCANCEL).
inline constexpr int kInputPromptId = 100;
inline constexpr int kInputTextId = 101;

// The typed text on OK; an empty text on Cancel, Escape or the close box.
std::string RunInputBox(HWND owner, const std::string& prompt, const std::string& title);

}  // namespace vantrel::platform::win32
