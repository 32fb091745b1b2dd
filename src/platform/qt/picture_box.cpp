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
  // Drawn from the icon's larger sizes on a high-density screen, so it stays sharp.
  label_->setPixmap(ApplicationIcon().pixmap(QSize(48, 48), label_->devicePixelRatioF()));
  label_->setFocusPolicy(Qt::StrongFocus);
}

}  // namespace vantrel::platform::qt
