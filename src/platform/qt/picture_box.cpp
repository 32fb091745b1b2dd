#include "platform/qt/picture_box.h"

#include "platform/qt/app_icons.h"

namespace vantrel::platform::qt {

QtPictureBox::QtPictureBox(const ControlDescription& description, QWidget* parent)
    : QtControl(description), label_(new QLabel(parent)) {
  if (description.sunken) {
    label_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label_->setLineWidth(2);
  }
  label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label_->setPixmap(ApplicationIconPixmap());
  label_->setFocusPolicy(Qt::StrongFocus);
}

}  // namespace vantrel::platform::qt
