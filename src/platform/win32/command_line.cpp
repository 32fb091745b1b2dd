#include "platform/win32/command_line.h"

#include "platform/win32/text.h"

namespace vantrel::platform::win32 {

std::optional<std::wstring> ProgramCommandLine(std::string_view path) {
  if (path.find_first_of(std::string_view("\"\0", 2)) != std::string_view::npos) {
    return std::nullopt;
  }
  return L"\"" + Widen(path) + L"\"";
}

}  // namespace vantrel::platform::win32
