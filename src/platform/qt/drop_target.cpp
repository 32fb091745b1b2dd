#include "platform/qt/drop_target.h"

#include <QAbstractScrollArea>
#include <QDropEvent>
#include <QPointer>
#include <QTimer>
#include <string>

#include "platform/qt/drag_data.h"
#include "platform/qt/event_filter.h"
#include "platform/qt/geometry.h"

namespace vantrel::platform::qt {

namespace {

bool IsDragEvent(QEvent::Type type) {
  return type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop ||
         type == QEvent::DragLeave;
}

// Raises the drop's DragDrop once the drag has finished, never inside it: while one of our
// drags runs, after it; otherwise from the event loop.
void RaiseAfterDrag(FrontEndContext& front_end, QWidget* surface, std::function<void()> raise) {
  if (front_end.drag_running) {
    front_end.after_drag.push_back(std::move(raise));
  } else {
    QTimer::singleShot(0, surface, std::move(raise));
  }
}

}  // namespace

void AcceptControlDrops(const QtControl& control, ControlContext context) {
  EventSink& events = context.events;
  if (!events.Handles(control.name(), Event::DragDrop)) return;
  FrontEndContext& front_end = context.front_end;
  QWidget* widget = control.widget();
  auto* area = qobject_cast<QAbstractScrollArea*>(widget);
  QWidget* surface = area != nullptr ? area->viewport() : widget;
  surface->setAcceptDrops(true);
  InstallEventFilter(surface, [&events, &front_end, surface, widget,
                               name = std::string(control.name())](QEvent* event) {
    if (!IsDragEvent(event->type())) return false;
    if (event->type() == QEvent::DragLeave) return true;
    auto* drop = static_cast<QDropEvent*>(event);
    const auto source = DraggedControl(drop->mimeData());
    if (!source) {
      drop->ignore();
      return true;
    }
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (event->type() != QEvent::Drop) return true;
    const QPoint at = surface->mapTo(widget, drop->position().toPoint());
    RaiseAfterDrag(front_end, surface,
                   [alive = QPointer<QWidget>(surface), &events, name, source = *source,
                    x = ToTwips(at.x()), y = ToTwips(at.y())] {
                     if (alive)
                       events.Raise(name, Event::DragDrop, {.x = x, .y = y, .source = source});
                   });
    return true;
  });
}

}  // namespace vantrel::platform::qt
