// A start-up reference for context: the empty window of minimal_window.cpp with one line of text
// in it, so the first paint pays for what any window with text does (the system's font
// configuration and a font to draw with).
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QLabel window(QStringLiteral("Vantrel"));
  window.resize(640, 480);
  window.show();
  return QApplication::exec();
}
