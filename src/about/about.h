// Opening the one About dialog of the run from the main window.
#pragma once

#include "app/form2.h"

namespace vantrel::about {

void ab_Click(app::Form2& f);

}  // namespace vantrel::about
