// The command line CreateProcessW hands a started program. Pure text, with no Windows call, so
// it can be checked against the system's parsing rules on any machine.
#pragma once

#include <string>
#include <string_view>

namespace vantrel::platform::win32 {

// The program's own path, quoted, as its only argument (argv[0]): programs are started with no
// arguments.
std::wstring ProgramCommandLine(std::string_view path);

}  // namespace vantrel::platform::win32
