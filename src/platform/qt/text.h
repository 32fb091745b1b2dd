// Texts between the core (std::string: raw bytes on Linux, UTF-8 elsewhere) and Qt. Names are
// decoded for display only: bytes that are not UTF-8 show as U+FFFD and are never converted back.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <string>
#include <string_view>

#include "lists/visible_text.h"
#include "platform/window_description.h"

namespace vantrel::platform::qt {

inline QString ToDisplay(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A file, folder or drive name as the lists show it: control characters as visible marks.
inline QString ToDisplayName(std::string_view name) {
  return ToDisplay(lists::VisibleText(name));
}

// Text the user typed, in the core's encoding.
inline std::string FromTyped(const QString& text) {
  return text.toUtf8().toStdString();
}

// A caption as it shows: "&x" marks x as the access key and shows as x, "&&" shows as one '&'.
QString WithoutAccessMarks(const QString& caption);

inline QColor ToQColor(const Colour& colour) {
  return {colour.red, colour.green, colour.blue};
}

inline QFont ToQFont(const Font& font) {
  QFont result(ToDisplay(font.face));
  result.setPointSizeF(font.points);
  result.setBold(font.bold);
  return result;
}

}  // namespace vantrel::platform::qt
