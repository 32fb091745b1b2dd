#include "platform/qt/mouse_events.h"

#include <QAbstractScrollArea>
#include <QMouseEvent>
#include <string>

#include "platform/qt/event_filter.h"
#include "platform/qt/geometry.h"

namespace vantrel::platform::qt {

namespace {

std::int16_t ButtonBits(Qt::MouseButtons buttons) {
  std::int16_t bits = 0;
  if (buttons & Qt::LeftButton) bits |= kLeftButton;
  if (buttons & Qt::RightButton) bits |= kRightButton;
  if (buttons & Qt::MiddleButton) bits |= kMiddleButton;
  return bits;
}

std::int16_t ShiftBits(Qt::KeyboardModifiers modifiers) {
  std::int16_t bits = 0;
  if (modifiers & Qt::ShiftModifier) bits |= 1;
  if (modifiers & Qt::ControlModifier) bits |= 2;
  if (modifiers & Qt::AltModifier) bits |= 4;
  return bits;
}

EventArgs MouseArgs(const QMouseEvent& event, Qt::MouseButtons buttons, QWidget* surface,
                    QWidget* control) {
  const QPoint at = surface->mapTo(control, event.position().toPoint());
  return {.button = ButtonBits(buttons),
          .shift = ShiftBits(event.modifiers()),
          .x = ToTwips(at.x()),
          .y = ToTwips(at.y())};
}

// Where the pointer events of the control arrive: a list's viewport, or the widget itself.
QWidget* MouseSurface(QWidget* widget) {
  auto* area = qobject_cast<QAbstractScrollArea*>(widget);
  return area != nullptr ? area->viewport() : widget;
}

}  // namespace

void ForwardMouseEvents(const QtControl& control, EventSink& events) {
  const bool moves = events.Handles(control.name(), Event::MouseMove);
  const bool presses = events.Handles(control.name(), Event::MouseDown);
  if (!moves && !presses) return;
  QWidget* widget = control.widget();
  QWidget* surface = MouseSurface(widget);
  if (moves) surface->setMouseTracking(true);
  InstallEventFilter(surface, [&control, &events, moves, presses, surface, widget,
                               name = std::string(control.name())](QEvent* event) {
    if (presses && event->type() == QEvent::MouseButtonPress) {
      const auto& mouse = static_cast<const QMouseEvent&>(*event);
      events.Raise(name, Event::MouseDown, MouseArgs(mouse, mouse.button(), surface, widget));
    } else if (moves && event->type() == QEvent::MouseMove) {
      const auto& mouse = static_cast<const QMouseEvent&>(*event);
      events.Raise(name, Event::MouseMove, MouseArgs(mouse, mouse.buttons(), surface, widget));
      // Once the handler starts a drag, the move is the drag's, not the list's selection.
      return control.Dragging();
    }
    return false;
  });
}

}  // namespace vantrel::platform::qt
