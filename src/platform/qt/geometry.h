// Twips, the unit of the window descriptions, to the device-independent pixels Qt lays widgets
// out in. Every size and position of the front end goes through ToPixels.
#pragma once

#include <QPoint>
#include <QRect>

#include "platform/window_description.h"

namespace vantrel::platform::qt {

// The screen's logical dots per inch: 96 on an ordinary screen, whatever Qt's own scaling adds.
double LogicalDpi();

// The one conversion from twips to pixels: 15 twips per pixel at 96 dpi.
int ToPixels(Twips twips);
QRect ToPixels(const Rect& rect);
QPoint ToPixels(Twips x, Twips y);

// Pointer positions for event arguments, back in twips.
float ToTwips(int pixels);

}  // namespace vantrel::platform::qt
