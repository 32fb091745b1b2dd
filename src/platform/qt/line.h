// A line between two points of its container, in a colour and a width in pixels. The widget
// covers the line's bounding box and paints nothing else.
#pragma once

#include <QColor>
#include <QLine>
#include <QWidget>

#include "platform/qt/control.h"

namespace vantrel::platform::qt {

class LineWidget final : public QWidget {
 public:
  LineWidget(QLine line, QColor colour, int width, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QLine local_;  // the line in the widget's own coordinates
  QColor colour_;
  int width_;
};

class QtLine final : public QtControl {
 public:
  QtLine(const ControlDescription& description, QWidget* parent);

  QWidget* widget() const override { return line_; }

 private:
  LineWidget* line_;
};

}  // namespace vantrel::platform::qt
