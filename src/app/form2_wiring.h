#pragma once

#include <span>

#include "form/form2.h"
#include "form/wiring.h"

namespace vantrel::app {

std::span<const form::Wiring<form::Form2>> Form2Wiring();

}  // namespace vantrel::app
