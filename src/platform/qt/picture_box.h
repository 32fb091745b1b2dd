// A picture box: the application icon at its natural size inside a sunken border. It takes the
// keyboard focus in its turn but draws no mark of it.
#pragma once

#include <QLabel>

#include "platform/qt/control.h"

namespace vantrel::platform::qt {

class QtPictureBox final : public QtControl {
 public:
  QtPictureBox(const ControlDescription& description, QWidget* parent);

  QWidget* widget() const override { return label_; }

 private:
  QLabel* label_;
};

}  // namespace vantrel::platform::qt
