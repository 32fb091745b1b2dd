// Making the POSIX program starter with chosen program search folders, as the tests do.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/program_starter.h"

namespace vantrel::platform::posix {

// search_path: the folders FindAccessory searches; nullopt means the process's PATH at each call.
std::unique_ptr<ProgramStarter> MakeProgramStarter(std::optional<std::string> search_path);

}  // namespace vantrel::platform::posix
