// A window's menu bar made from its menu descriptions: a menu with items becomes a drop-down,
// a menu without items is a command on the bar itself. Every item and bar command has a command
// identifier; the drop-downs also open as pop-up menus.
#pragma once

#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "platform/win32/api.h"
#include "platform/window_description.h"

namespace vantrel::platform::win32 {

class MenuBar {
 public:
  explicit MenuBar(std::span<const MenuDescription> menus) : menus_(menus) {}

  bool empty() const { return menus_.empty(); }
  // A new bar for a window that is loading; the window destroys it with itself.
  HMENU Build();
  // The menu or item name of a command identifier.
  std::optional<std::string_view> NameOf(WORD command) const;
  // The drop-down of a menu of the bar last built; null when the menu has none.
  HMENU DropDown(std::string_view menu) const;

 private:
  std::span<const MenuDescription> menus_;
  std::vector<std::string_view> commands_;  // identifier - kFirstCommand -> name
  std::vector<HMENU> drop_downs_;           // one per menu, null for a bar command
};

}  // namespace vantrel::platform::win32
