// A window's menu bar made from its menu table. A menu with items opens a drop-down whose items
// raise their own Click; a menu without items is a command on the bar itself and raises the
// menu's Click.
#pragma once

#include <QMainWindow>
#include <QMenu>
#include <map>
#include <span>
#include <string>
#include <string_view>

#include "platform/events.h"
#include "platform/window_description.h"

namespace vantrel::platform::qt {

class MenuBar {
 public:
  MenuBar(QMainWindow& window, std::span<const MenuDescription> menus, EventSink& events);

  // Opens the drop-down of the named menu at the mouse pointer; a menu without a drop-down, or
  // an unknown name, opens nothing.
  void Popup(std::string_view menu) const;

 private:
  std::map<std::string, QMenu*, std::less<>> drop_downs_;
};

}  // namespace vantrel::platform::qt
