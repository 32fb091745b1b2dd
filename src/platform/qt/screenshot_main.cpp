// Grabs the real windows of the program, drawn offscreen, into PNG files for the documentation:
// the main window, then the About dialog. Run it in the folder the lists should start in; it can
// open a subfolder in each pane first, as a double click does, and it clicks the first file of
// the source list.
//   vantrel_screenshot OUTPUT_FOLDER [SOURCE_SUBFOLDER [DESTINATION_SUBFOLDER]]
#include <QAction>
#include <QApplication>
#include <QListView>
#include <QMouseEvent>
#include <QWidget>
#include <cstdio>
#include <memory>

#include "app/application.h"
#include "platform/qt/system_services.h"

namespace {

QWidget* TopLevel(const char* name) {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->objectName() == QLatin1String(name) && widget->isVisible()) return widget;
  }
  return nullptr;
}

// Presses the left button on the first entry of a list, as the user would.
void ClickFirstEntry(QListView* list) {
  if (list == nullptr || list->model()->rowCount() == 0) return;
  const QPoint at = list->visualRect(list->model()->index(0, 0)).center();
  const QPointF global = list->viewport()->mapToGlobal(QPointF(at));
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), global, Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), global, Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &press);
  QApplication::sendEvent(list->viewport(), &release);
}

// Double-clicks the row of a folder list that shows this name, as the user would.
void OpenRow(QListView* list, const char* name) {
  if (list == nullptr) return;
  for (int row = 0; row < list->model()->rowCount(); ++row) {
    const QModelIndex index = list->model()->index(row, 0);
    if (index.data().toString() != QString::fromLocal8Bit(name)) continue;
    const QPointF at(list->visualRect(index).center());
    const QPointF global = list->viewport()->mapToGlobal(at);
    QMouseEvent click(QEvent::MouseButtonDblClick, at, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &click);
    return;
  }
}

bool Save(const char* window, const QString& path) {
  QWidget* widget = TopLevel(window);
  if (widget == nullptr || !widget->grab().save(path)) {
    std::fprintf(stderr, "vantrel_screenshot: could not grab %s into %s\n", window,
                 path.toLocal8Bit().constData());
    return false;
  }
  std::printf("%s\n", path.toLocal8Bit().constData());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 4) {
    std::fprintf(stderr,
                 "usage: vantrel_screenshot OUTPUT_FOLDER [SOURCE_SUBFOLDER "
                 "[DESTINATION_SUBFOLDER]]\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vantrel"));
  const QString folder = QString::fromLocal8Bit(argv[1]);

  using namespace vantrel;
  platform::qt::SystemServices system;
  app::Application program(system.services());
  program.Start();
  QApplication::processEvents();

  QWidget* main_window = TopLevel("Form2");
  if (main_window != nullptr) {
    if (argc > 2) OpenRow(main_window->findChild<QListView*>("Dir1"), argv[2]);
    if (argc > 3) OpenRow(main_window->findChild<QListView*>("Dir2"), argv[3]);
    ClickFirstEntry(main_window->findChild<QListView*>("File1"));
  }
  QApplication::processEvents();
  bool saved = Save("Form2", folder + "/screenshot-main.png");

  if (main_window != nullptr) {
    if (auto* about = main_window->findChild<QAction*>("ab")) about->trigger();
  }
  QApplication::processEvents();
  saved = Save("frmAbout", folder + "/screenshot-about.png") && saved;
  return saved ? 0 : 1;
}
