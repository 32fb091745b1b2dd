// The pictures built into the program: the application icon and the built-in drag icon.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace vantrel::platform::qt {

// The application icon in every size it is drawn at.
QIcon ApplicationIcon();
// The 48x48 application icon.
QPixmap ApplicationIconPixmap();
// The 48x48 drag icon a file list starts with: a hand gripping the corner of a window.
QPixmap BuiltInDragIcon();

}  // namespace vantrel::platform::qt
