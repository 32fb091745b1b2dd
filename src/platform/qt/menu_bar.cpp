#include "platform/qt/menu_bar.h"

#include <QAction>
#include <QCursor>
#include <QMenuBar>

#include "platform/qt/qt_text.h"

namespace vantrel::platform::qt {

namespace {

void RaiseClickOnTrigger(QAction* action, std::string_view name, EventSink& events) {
  action->setObjectName(ToDisplay(name));
  QObject::connect(action, &QAction::triggered, action,
                   [&events, name = std::string(name)] { events.Raise(name, Event::Click, {}); });
}

}  // namespace

MenuBar::MenuBar(QMainWindow& window, std::span<const MenuDescription> menus, EventSink& events) {
  if (menus.empty()) return;
  QMenuBar* bar = window.menuBar();
  // The bar stays in the window, also on desktops that offer a global menu.
  bar->setNativeMenuBar(false);
  for (const MenuDescription& menu : menus) {
    if (menu.items.empty()) {
      RaiseClickOnTrigger(bar->addAction(ToDisplay(menu.caption)), menu.name, events);
      continue;
    }
    QMenu* drop_down = bar->addMenu(ToDisplay(menu.caption));
    drop_down->setObjectName(ToDisplay(menu.name));
    for (const MenuItemDescription& item : menu.items) {
      RaiseClickOnTrigger(drop_down->addAction(ToDisplay(item.caption)), item.name, events);
    }
    drop_downs_.emplace(std::string(menu.name), drop_down);
  }
}

void MenuBar::Popup(std::string_view menu) const {
  const auto found = drop_downs_.find(menu);
  if (found != drop_downs_.end()) found->second->popup(QCursor::pos());
}

}  // namespace vantrel::platform::qt
