// Finding programs on a PATH-style folder list, shared by the program starter and the registry
// view.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace vantrel::platform::posix {

// A regular file (through a link) with an execute bit that this process may execute.
bool IsExecutableFile(const std::string& path);

// The full path of the first name, in the order given, found as an executable file in one of the
// ':'-separated folders; empty when none is. Empty and relative folders are skipped, so the
// answer is always an absolute path and never depends on the working folder. Blocks, but each
// look is bounded: a folder on a mount that does not answer costs kAnswerDeadline once, and that
// mount is passed over at once afterwards.
std::string FindProgram(std::span<const std::string_view> names, std::string_view search_path);

// The process's PATH, or the usual system folders where it is not set.
std::string ProgramSearchPath();

}  // namespace vantrel::platform::posix
