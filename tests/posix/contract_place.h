// The POSIX Place of the contract tests: a Sandbox and the system's own calls.
#pragma once

#include <memory>

#include "place.h"

namespace vantrel::posix_testing {

std::unique_ptr<contract::Place> MakePlace();

}  // namespace vantrel::posix_testing
