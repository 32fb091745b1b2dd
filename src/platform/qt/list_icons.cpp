#include "platform/qt/list_icons.h"

#include <QApplication>
#include <QEvent>
#include <QPixmap>
#include <QStyle>
#include <QWidget>

namespace vantrel::platform::qt {

namespace {

// A transparent icon of the size the lists and drive lists draw their icons at.
QIcon BlankIcon() {
  const int side = QApplication::style()->pixelMetric(QStyle::PM_SmallIconSize);
  QPixmap blank(side, side);
  blank.fill(Qt::transparent);
  return QIcon(blank);
}

}  // namespace

ListIcons::ListIcons() : blank_(BlankIcon()) {
  qApp->installEventFilter(this);
}

bool ListIcons::eventFilter(QObject* target, QEvent* event) {
  if (event->type() != QEvent::Paint) return false;
  const auto* widget = qobject_cast<QWidget*>(target);
  if (widget == nullptr || !widget->isWindow()) return false;
  qApp->removeEventFilter(this);
  // Queued: the search runs once this paint has been drawn and sent to the screen.
  QMetaObject::invokeMethod(this, &ListIcons::LookUp, Qt::QueuedConnection);
  return false;
}

void ListIcons::LookUp() {
  QStyle* style = QApplication::style();
  icons_[OpenFolder] = style->standardIcon(QStyle::SP_DirOpenIcon);
  icons_[ClosedFolder] = style->standardIcon(QStyle::SP_DirClosedIcon);
  icons_[Drive] = style->standardIcon(QStyle::SP_DriveHDIcon);
  arrived_ = true;
  emit Arrived();
}

}  // namespace vantrel::platform::qt
