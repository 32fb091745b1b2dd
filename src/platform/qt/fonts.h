// The fonts of the window descriptions are those of another system. Where they are missing,
// look for fonts of close metrics before fontconfig's general fallback, which is often much wider
// and clips the captions of the fixed-size controls.
#pragma once

namespace vantrel::platform::qt {

void InstallFontSubstitutes();

}  // namespace vantrel::platform::qt
