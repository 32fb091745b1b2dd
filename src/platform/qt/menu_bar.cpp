#include "platform/qt/menu_bar.h"

#include <QAction>
#include <QCursor>
#include <QMenuBar>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

#include "platform/qt/text.h"

namespace vantrel::platform::qt {

namespace {

void RaiseClickOnTrigger(QAction* action, std::string_view name, EventSink& events) {
  action->setObjectName(ToDisplay(name));
  QObject::connect(action, &QAction::triggered, action,
                   [&events, name = std::string(name)] { events.Raise(name, Event::Click, {}); });
}

// Some styles (Fusion among them) mark a menu bar's item only while its menu is open, so Alt and
// the arrow keys would move along the bar unseen. This draws the item the keys or the pointer
// are on as the style draws an open one.
class MarkedMenuBarStyle final : public QProxyStyle {
 public:
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (element == CE_MenuBarItem && item != nullptr && (item->state & State_Selected)) {
      QStyleOptionMenuItem marked = *item;
      marked.state |= State_Sunken;
      QProxyStyle::drawControl(element, &marked, painter, widget);
      return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
  }
};

}  // namespace

MenuBar::MenuBar(QMainWindow& window, std::span<const MenuDescription> menus, EventSink& events) {
  if (menus.empty()) return;
  QMenuBar* bar = window.menuBar();
  // The bar stays in the window, also on desktops that offer a global menu.
  bar->setNativeMenuBar(false);
  auto* style = new MarkedMenuBarStyle;
  style->setParent(bar);
  bar->setStyle(style);
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
