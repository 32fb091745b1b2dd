// The top-level widget of a window: a client area at the described size (below a menu bar when
// the window has menus), Enter and Escape for the default and cancel buttons, and the close box.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <functional>

namespace vantrel::platform::qt {

class FormWidget final : public QMainWindow {
 public:
  explicit FormWidget(std::function<void()> closed);

  QWidget* client() const { return client_; }
  void SetDefaultButton(QPushButton* button) { default_ = button; }
  void SetCancelButton(QPushButton* button) { cancel_ = button; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* client_;
  QPointer<QPushButton> default_;
  QPointer<QPushButton> cancel_;
  std::function<void()> closed_;
};

}  // namespace vantrel::platform::qt
