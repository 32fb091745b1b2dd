#include "platform/qt/line.h"

#include <QPainter>
#include <algorithm>
#include <cstdlib>

#include "platform/qt/geometry.h"
#include "platform/qt/text.h"

namespace vantrel::platform::qt {

LineWidget::LineWidget(QLine line, QColor colour, int width, QWidget* parent)
    : QWidget(parent), colour_(colour), width_(std::max(width, 1)) {
  const QPoint origin(std::min(line.x1(), line.x2()), std::min(line.y1(), line.y2()));
  local_ = line.translated(-origin);
  setGeometry(QRect(origin, QSize(std::abs(line.dx()) + width_, std::abs(line.dy()) + width_)));
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
}

void LineWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QPen pen(colour_, width_, Qt::SolidLine, Qt::FlatCap);
  painter.setPen(pen);
  // A pen of width w covers w pixel rows (or columns) starting at the line's own one, rather
  // than centred on it, so a 2-pixel line under a 1-pixel one does not cover it.
  const qreal shift = width_ / 2.0;
  const bool across = std::abs(local_.dx()) >= std::abs(local_.dy());
  painter.drawLine(QLineF(local_).translated(across ? 0 : shift, across ? shift : 0));
}

QtLine::QtLine(const ControlDescription& description, QWidget* parent)
    : QtControl(description),
      line_(new LineWidget(QLine(ToPixels(description.line.x1, description.line.y1),
                                 ToPixels(description.line.x2, description.line.y2)),
                           ToQColor(description.text_colour.value_or(Colour{})),
                           description.line_width, parent)) {}

}  // namespace vantrel::platform::qt
