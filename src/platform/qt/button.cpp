#include "platform/qt/button.h"

#include <QFontMetrics>
#include <algorithm>
#include <string>

#include "platform/qt/text.h"

namespace vantrel::platform::qt {

namespace {

// Room kept around a button's text: the two-pixel edge on either side, inside which a classic
// Windows push button draws its caption. A wider margin would wrap captions that stand on one
// line under Windows ("Clear Clipboard" in its 81-pixel button).
constexpr int kTextMargin = 4;

int TextWidth(const QFontMetrics& metrics, const QString& text) {
  return metrics.horizontalAdvance(WithoutAccessMarks(text));
}

// A caption too wide for its button breaks at the space that best balances two lines, when the
// button is tall enough for them, as captions of classic command buttons wrap.
QString FitCaption(const QString& caption, const QFontMetrics& metrics, QSize size) {
  const int room = size.width() - kTextMargin;
  if (TextWidth(metrics, caption) <= room || size.height() < 2 * metrics.lineSpacing()) {
    return caption;
  }
  QString best = caption;
  int best_width = TextWidth(metrics, caption);
  for (qsizetype at = caption.indexOf(' '); at >= 0; at = caption.indexOf(' ', at + 1)) {
    const int width =
        std::max(TextWidth(metrics, caption.left(at)), TextWidth(metrics, caption.mid(at + 1)));
    if (width < best_width) {
      best_width = width;
      best = caption.left(at) + '\n' + caption.mid(at + 1);
    }
  }
  return best;
}

}  // namespace

QString WithoutAccessMarks(const QString& caption) {
  QString text;
  text.reserve(caption.size());
  for (qsizetype i = 0; i < caption.size(); ++i) {
    // A mark shows the character after it; a mark at the very end shows nothing.
    if (caption[i] == u'&' && ++i == caption.size()) break;
    text += caption[i];
  }
  return text;
}

QtButton::QtButton(const ControlDescription& description, QWidget* parent, EventSink& events)
    : QtControl(description), button_(new QPushButton(ToDisplay(description.caption), parent)) {
  // The window decides which button, if any, Enter and Escape press.
  button_->setAutoDefault(false);
  button_->setDefault(false);
  QObject::connect(
      button_, &QPushButton::clicked, button_,
      [&events, name = std::string(description.name)] { events.Raise(name, Event::Click, {}); });
}

void QtButton::Load() {
  const QString caption = ToDisplay(description().caption);
  const QString fitted = FitCaption(caption, button_->fontMetrics(), button_->size());
  button_->setText(fitted);
  // A screen reader reads the caption as one line, whatever the button shows.
  if (fitted != caption && button_->accessibleName().isEmpty())
    button_->setAccessibleName(WithoutAccessMarks(caption));
}

}  // namespace vantrel::platform::qt
