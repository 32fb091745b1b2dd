// The command line a started program gets on Windows, read back as CommandLineToArgvW and the C
// runtime read it: it must give back exactly the program's path as the one argument, or the
// builder must refuse the path. On Windows the reader below is checked against the system's own.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "platform/win32/command_line.h"
#include "platform/win32/text.h"

#ifdef _WIN32
#include "platform/win32/api.h"
// After the Windows headers, which it needs.
#include <shellapi.h>
#endif

namespace {

bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t';
}

// The arguments of a command line by Microsoft's published rules. The line is a C string and
// ends at its first NUL. The program name comes first and is read apart: quoted, it runs to the
// next quote, backslashes and all; otherwise to the first blank. Every later argument runs to a
// blank outside quotes; 2n backslashes before a quote give n backslashes and the quote opens or
// closes a quoted part, 2n+1 give n backslashes and a literal quote, backslashes before anything
// else stay as they are, and inside a quoted part two quotes give one literal quote and close it.
std::vector<std::wstring> ParseCommandLine(std::wstring_view line) {
  line = line.substr(0, line.find(L'\0'));
  std::vector<std::wstring> arguments(1);
  std::size_t i = 0;
  if (i < line.size() && line[i] == L'"') {
    for (++i; i < line.size() && line[i] != L'"'; ++i) arguments[0] += line[i];
    if (i < line.size()) ++i;
  } else {
    for (; i < line.size() && !IsBlank(line[i]); ++i) arguments[0] += line[i];
  }
  while (true) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i == line.size()) return arguments;
    std::wstring argument;
    bool quoted = false;
    while (i < line.size() && (quoted || !IsBlank(line[i]))) {
      if (line[i] == L'\\') {
        std::size_t backslashes = 0;
        for (; i < line.size() && line[i] == L'\\'; ++i) ++backslashes;
        const bool before_quote = i < line.size() && line[i] == L'"';
        argument.append(before_quote ? backslashes / 2 : backslashes, L'\\');
        if (before_quote && backslashes % 2 == 1) {
          argument += L'"';
          ++i;
        }
      } else if (line[i] == L'"') {
        if (quoted && i + 1 < line.size() && line[i + 1] == L'"') {
          argument += L'"';
          quoted = false;
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        argument += line[i++];
      }
    }
    arguments.push_back(argument);
  }
}

#ifdef _WIN32
// The system's reading of the same line. An empty line gives the running program's path instead.
std::vector<std::wstring> SystemParse(const std::wstring& line) {
  int count = 0;
  LPWSTR* parsed = ::CommandLineToArgvW(line.c_str(), &count);
  FUZZ_CHECK(parsed != nullptr);
  std::vector<std::wstring> arguments(parsed, parsed + count);
  ::LocalFree(parsed);
  return arguments;
}
#endif

}  // namespace

// Input: the program's path, as the program's text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantrel::platform::win32;
  const std::string_view path = vantrel::fuzz::AsText(data, size);
  const std::optional<std::wstring> line = ProgramCommandLine(path);
  // Refused only where no command line could carry the path.
  FUZZ_CHECK(line.has_value() ==
             (path.find_first_of(std::string_view("\"\0", 2)) == std::string_view::npos));
  if (line) FUZZ_CHECK(ParseCommandLine(*line) == std::vector<std::wstring>{Widen(path)});
#ifdef _WIN32
  if (line) FUZZ_CHECK(SystemParse(*line) == ParseCommandLine(*line));
  // The reader itself, on the input taken as any command line.
  const std::wstring any = Widen(path);
  if (!any.empty() && any.find(L'\0') == std::wstring::npos) {
    FUZZ_CHECK(SystemParse(any) == ParseCommandLine(any));
  }
#endif
  return 0;
}
