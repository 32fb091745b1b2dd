#include "platform/qt/geometry.h"

#include <QGuiApplication>
#include <QScreen>

namespace vantrel::platform::qt {

namespace {
constexpr double kStandardDpi = 96.0;
}

double LogicalDpi() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->logicalDotsPerInch() : kStandardDpi;
}

int ToPixels(Twips twips) {
  return TwipsToPixels(twips, LogicalDpi());
}

QRect ToPixels(const Rect& rect) {
  return {ToPixels(rect.left), ToPixels(rect.top), ToPixels(rect.width), ToPixels(rect.height)};
}

QPoint ToPixels(Twips x, Twips y) {
  return {ToPixels(x), ToPixels(y)};
}

float ToTwips(int pixels) {
  return static_cast<float>(pixels * kTwipsPerInch / LogicalDpi());
}

}  // namespace vantrel::platform::qt
