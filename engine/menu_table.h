#pragma once
// The window's menu bar as it is created: its menus left to right, each entry's
// name and caption (trailing blanks included), which items carry a mark and which
// are grayed. Every front end builds its menus from this one table, so that no two
// of them can come to differ.

#include "display/display_mode.h"

#include <cstddef>
#include <span>
#include <string_view>

namespace tovira {

// The menu items that carry a check mark, in the order of the menus.
enum class MenuItem {
  mnuBehaviorNormal,
  mnuBehaviorLap,
  mnuSoundOn,
  mnuSoundOff,
  mnuShowButton,
  mnuShowDigitalWatch,
  mnuShowAnalogWatch,
  mnuShowSec,
  mnuShowHMS,
  mnuShowFrame24,
  mnuShowSSK,
  mnu6Sec,
  mnu10Sec,
  mnu30Sec,
  mnuWindowApearanceNormal,
  mnuWindowApearanceFront,
};
inline constexpr std::size_t kMenuItemCount = static_cast<std::size_t>(MenuItem::mnuWindowApearanceFront) + 1;

// What choosing an entry does: open its submenu, run its option's Click (the item
// is created checked), close the window, or nothing (the credits, grayed).
enum class MenuRole { Submenu, Option, Quit, Credits };

struct MenuEntry {
  MenuRole role;
  std::u16string_view name;
  std::u16string_view caption;
  bool enabled = true;
  MenuItem item{};                       // an Option's item
  std::span<const MenuEntry> entries{};  // a Submenu's entries
};

// The menus of the bar, left to right.
std::span<const MenuEntry> MenuBarEntries();

// The item of the Marcadores menu that stands for a display mode.
MenuItem MenuItemOf(DisplayMode mode);

}  // namespace tovira
