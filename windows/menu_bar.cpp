#include "windows/menu_bar.h"

#include "common/failure.h"
#include "display/display_mode.h"
#include "windows/wide_text.h"

namespace tovira::win32 {
namespace {

void Append(HMENU menu, UINT flags, UINT_PTR id, std::u16string_view caption) {
  if (!AppendMenuW(menu, flags, id, Wide(caption).c_str())) RaiseFault("a menu item could not be added");
}

void AppendMarked(HMENU menu, MenuItem item, std::u16string_view caption, UINT flags = MF_ENABLED) {
  Append(menu, MF_STRING | MF_CHECKED | flags, CommandOf(item), caption);
}

// A submenu, handed over to the menu that shows it (which destroys it in turn).
HMENU AppendSubmenu(HMENU menu, std::u16string_view caption) {
  UniqueMenu submenu(CreatePopupMenu());
  if (!submenu) RaiseFault("a menu could not be made");
  Append(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu.get()), caption);
  return submenu.release();
}

}  // namespace

std::optional<MenuItem> MarkedItemOf(UINT command) {
  if (command < kFirstMarkedCommand || command - kFirstMarkedCommand >= kMenuItemCount) return std::nullopt;
  return static_cast<MenuItem>(command - kFirstMarkedCommand);
}

UniqueMenu CreateMenuBar() {
  UniqueMenu bar(CreateMenu());
  if (!bar) RaiseFault("the menu bar could not be made");

  HMENU file = AppendSubmenu(bar.get(), u"Arch");
  Append(file, MF_STRING, kQuitCommand, u"Cerr");

  HMENU setting = AppendSubmenu(bar.get(), u"Conf");
  HMENU behavior = AppendSubmenu(setting, u"Modo    ");
  AppendMarked(behavior, MenuItem::mnuBehaviorNormal, u"Norm");
  AppendMarked(behavior, MenuItem::mnuBehaviorLap, u"Lap     ");
  HMENU sound = AppendSubmenu(setting, u"Sonido");
  AppendMarked(sound, MenuItem::mnuSoundOn, u"On  ");
  AppendMarked(sound, MenuItem::mnuSoundOff, u"Off   ");
  HMENU show = AppendSubmenu(setting, u"Ver ");
  AppendMarked(show, MenuItem::mnuShowButton, u"Btn ");
  AppendMarked(show, MenuItem::mnuShowDigitalWatch, u"Digital ");
  AppendMarked(show, MenuItem::mnuShowAnalogWatch, u"Analogo");
  HMENU modes = AppendSubmenu(setting, u"Marcadores  ");
  constexpr MenuItem kModeItems[] = {MenuItem::mnuShowSec, MenuItem::mnuShowHMS, MenuItem::mnuShowFrame24,
                                     MenuItem::mnuShowSSK};
  for (std::size_t i = 0; i < DisplayModes().size(); ++i) {
    AppendMarked(modes, kModeItems[i], DisplayModes()[i].menuCaption);
  }
  HMENU scale = AppendSubmenu(setting, u"Duracion ");
  AppendMarked(scale, MenuItem::mnu6Sec, u"6不");
  AppendMarked(scale, MenuItem::mnu10Sec, u"10不", MF_GRAYED);
  AppendMarked(scale, MenuItem::mnu30Sec, u"30不", MF_GRAYED);

  HMENU stacking = AppendSubmenu(bar.get(), u"Window");
  AppendMarked(stacking, MenuItem::mnuWindowApearanceNormal, u"Normal  ");
  AppendMarked(stacking, MenuItem::mnuWindowApearanceFront, u"Encima de Todo");

  HMENU help = AppendSubmenu(bar.get(), u"Trad");
  Append(help, MF_STRING | MF_GRAYED, kCreditCommand, u"Crew");
  return bar;
}

}  // namespace tovira::win32
