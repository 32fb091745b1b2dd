#include "qt_fixture.h"

#include <QAction>
#include <QApplication>
#include <QDrag>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QTest>
#include <cstdlib>

#include "form/form2.h"
#include "platform/qt/drag_data.h"

namespace vantrel::qt_testing {

bool RecordingSink::Handles(std::string_view control, platform::Event event) const {
  return !handled || handled->contains({std::string(control), event});
}

void RecordingSink::Raise(std::string_view control, platform::Event event,
                          const platform::EventArgs& args) {
  raised.push_back({std::string(control), event, args, std::string(args.source)});
  raised.back().args.source = {};  // the view dies with the call; the copy above stays
}

int RecordingSink::Count(std::string_view control, platform::Event event) const {
  int count = 0;
  for (const auto& r : raised) count += (r.control == control && r.event == event) ? 1 : 0;
  return count;
}

const RecordingSink::Raised* RecordingSink::Last(std::string_view control,
                                                 platform::Event event) const {
  for (auto it = raised.rbegin(); it != raised.rend(); ++it) {
    if (it->control == control && it->event == event) return &*it;
  }
  return nullptr;
}

FrontEndTest::FrontEndTest() : working(temp.str()), drives{{temp.str(), temp.str()}} {}

platform::qt::QtWindowSystem::Options FrontEndTest::Options() {
  return {
      .list_drives = [this](platform::OffThread&) { return drives_now ? drives_now() : drives; },
      .working_folder = working,
      .quit = [this] { ++quit_count; },
      .end_now = [] { std::_Exit(kEndedCode); },
      .run_drag =
          [this](QDrag& drag) {
            drags.push_back(
                {drag.pixmap().toImage(), platform::qt::DraggedControl(drag.mimeData())});
            if (during_drag) during_drag(drag);
          }};
}

ProgramTest::~ProgramTest() {
  app.reset();
  services.reset();
  windows.reset();
}

void ProgramTest::Start() {
  windows = std::make_unique<platform::qt::QtWindowSystem>(Options());
  services = std::make_unique<form::Services>(
      form::Services{*windows, HandlerFiles(), HandlerDialogs(), programs, clipboard, registry,
                     program, platform::kNativePaths});
  app = std::make_unique<app::Application>(*services);
  app->Start();
  QWidget* main_window = TopLevel("Form2");
  ASSERT_NE(main_window, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(main_window));
}

QWidget* ProgramTest::OpenAbout() {
  Child<QAction>(TopLevel("Form2"), "ab")->trigger();
  QWidget* about = TopLevel("frmAbout");
  EXPECT_NE(about, nullptr);
  if (about != nullptr) {
    EXPECT_TRUE(QTest::qWaitForWindowExposed(about));
    // A compositor activates a new window a moment after it shows it.
    EXPECT_TRUE(WaitActive(about));
  }
  return about;
}

void MainWindowTest::SetUp() {
  windows_ = std::make_unique<platform::qt::QtWindowSystem>(Options());
  window_ = windows_->CreateWindow(form::Form2Description(), sink_);
  window_->Show();
  top_ = TopLevel("Form2");
  ASSERT_NE(top_, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(top_));
  // A compositor activates a new window a moment after it shows it; the keys go nowhere before.
  ASSERT_TRUE(WaitActive(top_));
}

QWidget* MainWindowTest::Widget(const char* name) {
  return Child<QWidget>(top_, name);
}

bool WaitActive(QWidget* window) {
  // The window counts as active once the window system says so, but the keys reach it only
  // once it has the keyboard focus, which a compositor may give a moment later.
  return QTest::qWaitFor(
      [window] {
        return QApplication::activeWindow() == window &&
               QGuiApplication::focusWindow() == window->windowHandle();
      },
      5000);
}

QWidget* TopLevel(const char* name) {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->objectName() == QLatin1String(name) && widget->isVisible()) return widget;
  }
  return nullptr;
}

int RowOf(QListView* view, const QString& text) {
  for (int row = 0; row < view->model()->rowCount(); ++row) {
    if (view->model()->index(row, 0).data().toString() == text) return row;
  }
  return -1;
}

QPoint RowCenter(QListView* view, int row) {
  view->scrollTo(view->model()->index(row, 0));
  return view->visualRect(view->model()->index(row, 0)).center();
}

void ClickRow(QListView* view, int row) {
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, RowCenter(view, row));
}

void DoubleClickRow(QListView* view, int row) {
  const QPoint at = RowCenter(view, row);
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, at);
}

void MoveWithButtons(QWidget* target, QPoint at, Qt::MouseButtons buttons) {
  QMouseEvent move(QEvent::MouseMove, QPointF(at), target->mapToGlobal(QPointF(at)), Qt::NoButton,
                   buttons, Qt::NoModifier);
  QApplication::sendEvent(target, &move);
}

std::vector<std::string> TabRound(int presses) {
  std::vector<std::string> names;
  for (int i = 0; i <= presses; ++i) {
    QWidget* focused = QApplication::focusWidget();
    names.push_back(focused != nullptr ? focused->objectName().toStdString() : "(none)");
    if (focused != nullptr) QTest::keyClick(focused, Qt::Key_Tab);
  }
  return names;
}

}  // namespace vantrel::qt_testing
