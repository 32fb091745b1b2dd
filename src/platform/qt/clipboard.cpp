#include "platform/qt/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace vantrel::platform::qt {

bool QtClipboard::Clear() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return false;
  clipboard->clear(QClipboard::Clipboard);
  // X11 also offers the text last selected (the primary selection): it goes as well.
  if (clipboard->supportsSelection()) clipboard->clear(QClipboard::Selection);
  return true;
}

}  // namespace vantrel::platform::qt
