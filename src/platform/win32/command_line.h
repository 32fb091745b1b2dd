// The command line CreateProcessW hands a started program. Pure text, with no Windows call, so
// it can be checked against the system's parsing rules on any machine.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantrel::platform::win32 {

// The program's own path, quoted, as its only argument (argv[0]): programs are started with no
// arguments. A quoted program name runs to the next quote, with no escapes, so a path that holds
// a quote cannot be given; nor can one with a NUL, where the command line would end. Nullopt
// for those: the program is then not started.
std::optional<std::wstring> ProgramCommandLine(std::string_view path);

}  // namespace vantrel::platform::win32
