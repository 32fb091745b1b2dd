#include "platform/qt/form_widget.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <utility>

namespace vantrel::platform::qt {

FormWidget::FormWidget(std::function<void()> closed)
    : client_(new QWidget(this)), closed_(std::move(closed)) {
  setCentralWidget(client_);
}

void FormWidget::keyPressEvent(QKeyEvent* event) {
  // Keys reach the window only when the focused control left them unhandled; a focused button
  // takes Enter itself where the window has a default button.
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  const bool escape = event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier;
  QPushButton* target = enter ? default_.data() : escape ? cancel_.data() : nullptr;
  if (target == nullptr) {
    QMainWindow::keyPressEvent(event);
    return;
  }
  event->accept();
  target->click();
}

void FormWidget::closeEvent(QCloseEvent* event) {
  event->accept();
  closed_();
}

}  // namespace vantrel::platform::qt
