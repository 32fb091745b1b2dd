// Text at the border between the program and Windows: UTF-8 inside the program, UTF-16 at every
// Windows call. File names on Windows may hold unpaired surrogates, which UTF-8 proper cannot
// carry; they are written the way UTF-8 would write the code unit (the "WTF-8" form), so every
// name the system gives comes back unchanged when it is handed back.
#pragma once

#include <string>
#include <string_view>
#include <system_error>

#include "lists/visible_text.h"

namespace vantrel::platform::win32 {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// A file, folder or drive name as the lists show it: control characters as visible marks.
inline std::wstring WidenName(std::string_view name) {
  return Widen(lists::VisibleText(name));
}

// A Windows error code as an error_code value.
std::error_code ErrorOf(unsigned long code);
// GetLastError() as an error_code value.
std::error_code LastError();

}  // namespace vantrel::platform::win32
