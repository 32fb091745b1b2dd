#include "platform/qt/fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>
#include <algorithm>

#include "platform/qt/text.h"

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

QFont DescribedFont(const Font& font) {
  QFont result = ToQFont(font);
  // The installed families, without fontconfig's aliases: matching an alias is a search itself.
  const QStringList installed = QFontDatabase::families();
  const auto find = [&](const QString& family) {
    return std::find_if(installed.begin(), installed.end(), [&](const QString& name) {
      return name.compare(family, Qt::CaseInsensitive) == 0;
    });
  };
  const QString face = result.family();
  if (find(face) != installed.end()) return result;
  for (const QString& stand_in : QFont::substitutes(face)) {
    if (const auto found = find(stand_in); found != installed.end()) {
      result.setFamily(*found);  // as installed: substitutes come in lower case
      break;
    }
  }
  return result;
}

}  // namespace vantrel::platform::qt
