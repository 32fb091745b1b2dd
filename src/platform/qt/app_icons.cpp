#include "platform/qt/app_icons.h"

#include <array>

namespace vantrel::platform::qt {

namespace {
constexpr std::array kIconSizes{16, 22, 24, 32, 48, 64, 128, 256};
}

QIcon ApplicationIcon() {
  QIcon icon;
  for (int size : kIconSizes) {
    icon.addFile(QStringLiteral(":/vantrel/icons/vantrel-%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

QPixmap ApplicationIconPixmap() {
  return QPixmap(QStringLiteral(":/vantrel/icons/vantrel-48.png"));
}

QPixmap BuiltInDragIcon() {
  return QPixmap(QStringLiteral(":/vantrel/icons/grab-48.png"));
}

}  // namespace vantrel::platform::qt
