#pragma once

#include <span>

#include "app/form2.h"
#include "app/wiring.h"

namespace vantrel::app {

std::span<const Wiring<Form2>> Form2Wiring();

}  // namespace vantrel::app
