// A frame: a captioned box that holds other controls.
#pragma once

#include <QGroupBox>

#include "platform/qt/control.h"

namespace vantrel::platform::qt {

class QtFrame final : public QtControl {
 public:
  QtFrame(const ControlDescription& description, QWidget* parent);

  QWidget* widget() const override { return box_; }

 private:
  QGroupBox* box_;
};

}  // namespace vantrel::platform::qt
