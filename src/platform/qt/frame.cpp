#include "platform/qt/frame.h"

#include "platform/qt/text.h"

namespace vantrel::platform::qt {

QtFrame::QtFrame(const ControlDescription& description, QWidget* parent)
    : QtControl(description), box_(new QGroupBox(ToDisplay(description.caption), parent)) {
  box_->setFocusPolicy(Qt::NoFocus);
}

}  // namespace vantrel::platform::qt
