// The Windows Place of the contract tests: a TempFolder and the system's own wide calls.
#pragma once

#include <memory>

#include "place.h"

namespace vantrel::testing {

std::unique_ptr<testing::Place> MakePlace();

}  // namespace vantrel::testing
