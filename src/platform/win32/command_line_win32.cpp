#include "platform/win32/command_line_win32.h"

#include "platform/win32/win32_text.h"

namespace vantrel::platform::win32 {

// A file name cannot hold a quote, so the quotes are the whole argument.
std::wstring ProgramCommandLine(std::string_view path) {
  return L"\"" + Widen(path) + L"\"";
}

}  // namespace vantrel::platform::win32
