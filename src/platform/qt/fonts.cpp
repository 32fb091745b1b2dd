#include "platform/qt/fonts.h"

#include <QFont>
#include <QStringList>

namespace vantrel::platform::qt {

void InstallFontSubstitutes() {
  // Narrow-enough sans-serif faces, closest first; DejaVu Sans is always there with Qt.
  const QStringList sans{QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                         QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans Condensed"),
                         QStringLiteral("DejaVu Sans")};
  for (const char* face : {"MS Sans Serif", "News Gothic MT"}) {
    if (QFont::substitutes(QLatin1String(face)).isEmpty())
      QFont::insertSubstitutions(QLatin1String(face), sans);
  }
}

}  // namespace vantrel::platform::qt
