// The fonts of the window descriptions are those of another system. Where they are missing,
// look for fonts of close metrics before fontconfig's general fallback, which is often much wider
// and clips the captions of the fixed-size controls.
#pragma once

#include <QFont>

#include "platform/window_description.h"

namespace vantrel::platform::qt {

void InstallFontSubstitutes();

// The described font, asked for by its face where that is installed, else by the first installed
// stand-in: fontconfig then never searches for the missing face, at every size and weight.
QFont DescribedFont(const Font& font);

}  // namespace vantrel::platform::qt
