// The POSIX program starter, with the program search folders open to tests.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/program_starter.h"

namespace vantrel::platform::posix {

// search_path: the folders FindAccessory searches; nullopt means the process's PATH at each call.
std::unique_ptr<ProgramStarter> MakeProgramStarter(std::optional<std::string> search_path);

}  // namespace vantrel::platform::posix
