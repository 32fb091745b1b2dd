// The start-up reference: the smallest Qt Widgets program that shows one empty window, built with
// the same flags as Vantrel.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QWidget window;
  window.resize(640, 480);
  window.show();
  return QApplication::exec();
}
