#include "platform/qt/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace vantrel::platform::qt {

bool QtClipboard::Clear() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return false;
  clipboard->clear();
  return true;
}

}  // namespace vantrel::platform::qt
