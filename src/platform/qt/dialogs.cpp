#include "platform/qt/dialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>

#include "platform/qt/text.h"

namespace vantrel::platform::qt {

namespace {

constexpr int kButtonsMask = 0x0F;
constexpr int kIconMask = 0xF0;
constexpr int kCritical = 16;
constexpr int kExclamation = 48;
constexpr int kInformation = 64;

QMessageBox::Icon IconOf(int style) {
  switch (style & kIconMask) {
    case kCritical:
      return QMessageBox::Critical;
    case kQuestion:
      return QMessageBox::Question;
    case kExclamation:
      return QMessageBox::Warning;
    case kInformation:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

void AddButtons(QMessageBox& box, int style) {
  if ((style & kButtonsMask) == kYesNo) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
  } else {
    box.setStandardButtons(QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
  }
}

Answer AnswerOf(int button) {
  switch (button) {
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    case QMessageBox::Ok:
      return Answer::Ok;
    default:
      return Answer::Closed;
  }
}

// The window that asks gets the keyboard back once the box closes. Most window managers give it
// back to a dialog's parent, but not every one does, and a keyboard user would be left with no
// window that takes keys.
class Asker {
 public:
  Asker() : window_(QApplication::activeWindow()) {}
  ~Asker() {
    if (window_ != nullptr && window_->isVisible()) window_->activateWindow();
  }
  Asker(const Asker&) = delete;
  Asker& operator=(const Asker&) = delete;

  QWidget* window() const { return window_; }

 private:
  QPointer<QWidget> window_;
};

}  // namespace

Answer QtDialogs::MessageBox(const std::string& prompt, int style, const std::string& title) {
  const Asker asker;
  QMessageBox box(asker.window());
  box.setWindowTitle(ToDisplay(title.empty() ? application_title_ : title));
  box.setTextFormat(Qt::PlainText);
  box.setText(ToDisplay(prompt));
  box.setIcon(IconOf(style));
  AddButtons(box, style);
  DropQueuedInput();
  return AnswerOf(box.exec());
}

std::string QtDialogs::InputBox(const std::string& prompt) {
  const Asker asker;
  QInputDialog box(asker.window());
  box.setWindowTitle(ToDisplay(application_title_));
  box.setLabelText(ToDisplay(prompt));
  box.setInputMode(QInputDialog::TextInput);
  box.setTextValue({});
  DropQueuedInput();
  if (box.exec() != QDialog::Accepted) return {};
  return FromTyped(box.textValue());
}

}  // namespace vantrel::platform::qt
