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
  // The user's number signs changed to those in the registry, as the Control Panel
  // changes them: SetLocaleInfo (Wine keeps each process's own copy of them), then
  // WM_SETTINGCHANGE "intl" to the window.
  kProbeNumberSignsChanged = 4,
};

inline UINT ProbeMessage() {
  static const UINT message = RegisterWindowMessageW(kProbeMessageName);
  return message;
}

}  // namespace tovira::bench
