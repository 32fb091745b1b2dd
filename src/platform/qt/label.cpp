#include "platform/qt/label.h"

#include "platform/qt/qt_text.h"

namespace vantrel::platform::qt {

QtLabel::QtLabel(const ControlDescription& description, QWidget* parent)
    : QtControl(description), label_(new QLabel(parent)) {
  label_->setTextFormat(Qt::PlainText);
  label_->setWordWrap(true);
  label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label_->setFocusPolicy(Qt::NoFocus);
  SetCaption(std::string(description.caption));
}

void QtLabel::Load() {
  SetCaption(std::string(description().caption));
}

void QtLabel::SetCaption(const std::string& text) {
  caption_ = text;
  label_->setText(ToDisplay(text));
}

}  // namespace vantrel::platform::qt
