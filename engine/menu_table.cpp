#include "engine/menu_table.h"

namespace tovira {
namespace {

constexpr MenuEntry Option(MenuItem item, std::u16string_view name, std::u16string_view caption,
                           bool enabled = true) {
  return MenuEntry{MenuRole::Option, name, caption, enabled, item};
}

constexpr MenuEntry Submenu(std::u16string_view name, std::u16string_view caption,
                            std::span<const MenuEntry> entries) {
  return MenuEntry{MenuRole::Submenu, name, caption, true, {}, entries};
}

MenuEntry ModeOption(DisplayMode mode) {
  const DisplayModeInfo& info = InfoOf(mode);
  return Option(MenuItemOf(mode), info.menuItemName, info.menuCaption);
}

constexpr MenuEntry kFile[] = {{MenuRole::Quit, u"mnuQuit", u"Cerr"}};

constexpr MenuEntry kBehavior[] = {
    Option(MenuItem::mnuBehaviorNormal, u"mnuBehaviorNormal", u"Norm"),
    Option(MenuItem::mnuBehaviorLap, u"mnuBehaviorLap", u"Lap     "),
};
constexpr MenuEntry kSound[] = {
    Option(MenuItem::mnuSoundOn, u"mnuSoundOn", u"On  "),
    Option(MenuItem::mnuSoundOff, u"mnuSoundOff", u"Off   "),
};
constexpr MenuEntry kShow[] = {
    Option(MenuItem::mnuShowButton, u"mnuShowButton", u"Btn "),
    Option(MenuItem::mnuShowDigitalWatch, u"mnuShowDigitalWatch", u"Digital "),
    Option(MenuItem::mnuShowAnalogWatch, u"mnuShowAnalogWatch", u"Analogo"),
};
// The display modes' own names and captions; their table is constant, so it is
// ready before this one is made.
const MenuEntry kModes[] = {ModeOption(DisplayMode::Sec), ModeOption(DisplayMode::HMS),
                            ModeOption(DisplayMode::Frame24), ModeOption(DisplayMode::SSK)};
// Only the six-second dial exists: the longer scales are shown, grayed.
constexpr MenuEntry kScale[] = {
    Option(MenuItem::mnu6Sec, u"mnu6Sec", u"6不"),
    Option(MenuItem::mnu10Sec, u"mnu10Sec", u"10不", false),
    Option(MenuItem::mnu30Sec, u"mnu30Sec", u"30不", false),
};
const MenuEntry kSetting[] = {
    Submenu(u"mnuBehaviorMode", u"Modo    ", kBehavior), Submenu(u"mnuSound", u"Sonido", kSound),
    Submenu(u"mnuShowWatch", u"Ver ", kShow),           Submenu(u"mnuShowMode", u"Marcadores  ", kModes),
    Submenu(u"mnuSecond", u"Duracion ", kScale),
};
constexpr MenuEntry kStacking[] = {
    Option(MenuItem::mnuWindowApearanceNormal, u"mnuWindowApearanceNormal", u"Normal  "),
    Option(MenuItem::mnuWindowApearanceFront, u"mnuWindowApearanceFront", u"Encima de Todo"),
};
constexpr MenuEntry kHelp[] = {{MenuRole::Credits, u"mnuShowHelp", u"Crew", false}};

const MenuEntry kBar[] = {
    Submenu(u"mnuFile", u"Arch", kFile),
    Submenu(u"mnuSetting", u"Conf", kSetting),
    Submenu(u"mnuWindowApearance", u"Window", kStacking),
    Submenu(u"mnuHelp", u"Trad", kHelp),
};

}  // namespace

std::span<const MenuEntry> MenuBarEntries() { return kBar; }

MenuItem MenuItemOf(DisplayMode mode) {
  switch (mode) {
    case DisplayMode::Sec: return MenuItem::mnuShowSec;
    case DisplayMode::HMS: return MenuItem::mnuShowHMS;
    case DisplayMode::Frame24: return MenuItem::mnuShowFrame24;
    case DisplayMode::SSK: return MenuItem::mnuShowSSK;
  }
  RaiseFault("no such display mode");
}

}  // namespace tovira
