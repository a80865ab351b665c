#include "windows/menu_bar.h"

#include "common/failure.h"
#include "windows/wide_text.h"

namespace tovira::win32 {
namespace {

void Append(HMENU menu, UINT flags, UINT_PTR id, std::u16string_view caption) {
  if (!AppendMenuW(menu, flags, id, Wide(caption).c_str())) RaiseFault("a menu item could not be added");
}

// A menu's entries; a submenu is handed over to the menu that shows it (which
// destroys it in turn).
void AppendEntries(HMENU menu, std::span<const MenuEntry> entries) {
  for (const MenuEntry& entry : entries) {
    const UINT state = entry.enabled ? MF_ENABLED : MF_GRAYED;
    switch (entry.role) {
      case MenuRole::Submenu: {
        UniqueMenu submenu(CreatePopupMenu());
        if (!submenu) RaiseFault("a menu could not be made");
        AppendEntries(submenu.get(), entry.entries);
        Append(menu, MF_POPUP | state, reinterpret_cast<UINT_PTR>(submenu.get()), entry.caption);
        submenu.release();
        break;
      }
      case MenuRole::Option: Append(menu, MF_STRING | MF_CHECKED | state, CommandOf(entry.item), entry.caption); break;
      case MenuRole::Quit: Append(menu, MF_STRING | state, kQuitCommand, entry.caption); break;
      case MenuRole::Credits: Append(menu, MF_STRING | state, kCreditCommand, entry.caption); break;
    }
  }
}

}  // namespace

std::optional<MenuItem> MarkedItemOf(UINT command) {
  if (command < kFirstMarkedCommand || command - kFirstMarkedCommand >= kMenuItemCount) return std::nullopt;
  return static_cast<MenuItem>(command - kFirstMarkedCommand);
}

UniqueMenu CreateMenuBar() {
  UniqueMenu bar(CreateMenu());
  if (!bar) RaiseFault("the menu bar could not be made");
  AppendEntries(bar.get(), MenuBarEntries());
  return bar;
}

}  // namespace tovira::win32
