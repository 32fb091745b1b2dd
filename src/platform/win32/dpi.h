// Screen resolution of a window, and the one conversion from design units (twips) to pixels.
#pragma once

#include "platform/win32/api.h"
#include "platform/window_description.h"

namespace vantrel::platform::win32 {

inline constexpr UINT kDefaultDpi = 96;

// The dpi of the monitor a window is on (per-monitor aware), or the system's.
UINT DpiOf(HWND window);
UINT SystemDpi();

// Twips to pixels at the dpi: every length the front end draws goes through here.
inline int ToPixels(Twips twips, UINT dpi) {
  return TwipsToPixels(twips, static_cast<double>(dpi));
}

// Pixels to twips, for the pointer positions handed to handlers.
inline float ToTwips(int pixels, UINT dpi) {
  return static_cast<float>(pixels) * kTwipsPerInch / static_cast<float>(dpi);
}

// A font's height in pixels (negative: the character height, as CreateFontW takes it).
int FontHeight(double points, UINT dpi);

}  // namespace vantrel::platform::win32
