#include "platform/win32/menu_bar.h"

#include "platform/win32/text.h"

namespace vantrel::platform::win32 {
namespace {

// Clear of IDOK and IDCANCEL, which the dialog manager sends for Enter and Escape, and of the
// control identifiers.
constexpr WORD kFirstCommand = 1000;

}  // namespace

HMENU MenuBar::Build() {
  commands_.clear();
  drop_downs_.clear();
  const HMENU bar = ::CreateMenu();
  auto add_command = [this](HMENU menu, std::string_view name, std::string_view caption) {
    const auto id = static_cast<UINT_PTR>(kFirstCommand + commands_.size());
    commands_.push_back(name);
    ::AppendMenuW(menu, MF_STRING, id, Widen(caption).c_str());
  };
  for (const MenuDescription& menu : menus_) {
    if (menu.items.empty()) {
      add_command(bar, menu.name, menu.caption);
      drop_downs_.push_back(nullptr);
      continue;
    }
    const HMENU drop_down = ::CreatePopupMenu();
    for (const MenuItemDescription& item : menu.items)
      add_command(drop_down, item.name, item.caption);
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(drop_down),
                  Widen(menu.caption).c_str());
    drop_downs_.push_back(drop_down);
  }
  return bar;
}

std::optional<std::string_view> MenuBar::NameOf(WORD command) const {
  if (command < kFirstCommand) return std::nullopt;
  const std::size_t index = command - kFirstCommand;
  if (index >= commands_.size()) return std::nullopt;
  return commands_[index];
}

HMENU MenuBar::DropDown(std::string_view menu) const {
  for (std::size_t i = 0; i < menus_.size() && i < drop_downs_.size(); ++i) {
    if (menus_[i].name == menu) return drop_downs_[i];
  }
  return nullptr;
}

}  // namespace vantrel::platform::win32
