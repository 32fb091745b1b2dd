// The POSIX Place of the contract tests: a Sandbox and the system's own calls.
#pragma once

#include <memory>

#include "place.h"

namespace vantrel::testing {

std::unique_ptr<testing::Place> MakePlace();

}  // namespace vantrel::testing
