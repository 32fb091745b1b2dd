#include "bench_program.h"

#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>

#include "bench_support.h"

namespace vantrel::bench {

platform::Answer BenchDialogs::MessageBox(const std::string&, int, const std::string& title) {
  ++asked;
  last_title = title;
  return answer_;
}

std::string BenchDialogs::InputBox(const std::string&) {
  ++asked;
  return {};
}

void ClickRow(QListView* list, int row) {
  const QModelIndex index = list->model()->index(row, 0);
  const QPointF at(list->visualRect(index).center());
  const QPointF global = list->viewport()->mapToGlobal(at);
  QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &press);
  QApplication::sendEvent(list->viewport(), &release);
}

BenchProgram::BenchProgram(const std::string& start_folder, platform::Answer answer)
    : dialogs_(answer) {
  Require(::chdir(start_folder.c_str()) == 0, "cannot enter " + start_folder);
  system_ = std::make_unique<platform::qt::SystemServices>(&dialogs_);
  app_ = std::make_unique<app::Application>(system_->services());
  app_->Start();
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->objectName() == QLatin1String("Form2") && widget->isVisible()) window_ = widget;
  }
  Require(window_ != nullptr, "the main window did not show");
  Settle();
}

BenchProgram::~BenchProgram() {
  app_.reset();
  system_.reset();
}

QListView* BenchProgram::List(const char* name) const {
  auto* list = window_->findChild<QListView*>(QString::fromLatin1(name));
  Require(list != nullptr, std::string("no list ") + name);
  return list;
}

std::size_t BenchProgram::Rows(const char* list) const {
  return static_cast<std::size_t>(List(list)->model()->rowCount());
}

void BenchProgram::Settle() {
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  window_->repaint();
}

void BenchProgram::WaitFor(const std::function<bool()>& condition, const char* what) {
  QElapsedTimer waited;
  waited.start();
  while (!condition()) {
    Require(waited.elapsed() < 60000, std::string("gave up waiting for ") + what);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
  }
}

}  // namespace vantrel::bench
