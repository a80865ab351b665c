#pragma once
// What only a window's own process can see. Wine keeps menus, icons and fonts in
// the process that made them (a menu handle is no use to another process, unlike on
// Windows), so the reader loads window_probe.dll into the program as a window hook
// and asks it through a registered message:
//   SendMessage(window, ProbeMessage(), (WPARAM)reply_window, request)
// The DLL answers before that call returns by sending reply_window a WM_COPYDATA
// holding UTF-8 JSON.

#include <windows.h>

namespace tovira::bench {

inline constexpr wchar_t kProbeMessageName[] = L"ToviraWatch.WindowProbe";
inline constexpr char kProbeHookName[] = "ProbeHook";

enum ProbeRequest : LPARAM {
  kProbeMenuBar = 1,      // the window's menu bar, every submenu in it
  kProbeControlFont = 2,  // the font a control draws its text in
  kProbeStaticIcon = 3,   // which standard icon a STATIC shows (a message box's)
  kProbeSystemColor = 4,  // sets a system colour, answers the one replaced (SystemColorRequest)
  kProbeHighContrast = 5, // | on << 8: the scheme turned on or off (HighContrastOn), answers whether it could
  // The user's number signs changed to those in the registry, as the Control Panel
  // changes them: SetLocaleInfo (Wine keeps each process's own copy of them), then
  // WM_SETTINGCHANGE "intl" to the window.
  kProbeNumberSignsChanged = 6,
};

// Wine keeps the system colours of each process apart: a colour set by another
// process reaches the program only with its next start. Set in the program itself,
// it is sent WM_SYSCOLORCHANGE and draws in it, as every program on Windows would.
inline LPARAM SystemColorRequest(int index, COLORREF color) {
  return kProbeSystemColor | static_cast<LPARAM>(index) << 8 | static_cast<LPARAM>(color) << 16;
}

inline UINT ProbeMessage() {
  static const UINT message = RegisterWindowMessageW(kProbeMessageName);
  return message;
}

}  // namespace tovira::bench
