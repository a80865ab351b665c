// PLACEHOLDER until the Win32 front end is written: a plain window with the menus,
// buttons, label and list the Wine bench reads and drives, so the bench can be
// proven before the front end exists. Start/Stop holds the pointer in the window
// while "running" and adds a line to the list on Stop; Reset empties the list.
// Sound and always-on-top are only remembered in ToviraWatch.ini beside the program.

#include <windows.h>

#include <string>

#include "windows/control_ids.h"
#include "windows/resource_ids.h"
#include "windows/win32_handle.h"

namespace {

using namespace tovira::win32;

constexpr wchar_t kWindowClass[] = L"ToviraWatchWindow";
constexpr wchar_t kCaption[] = L"Tovira Watch";
constexpr wchar_t kBoxTitle[] = L"ToviraWatch";
constexpr wchar_t kSettingsFileName[] = L"ToviraWatch.ini";
constexpr wchar_t kSettingsSection[] = L"ToviraWatch";
constexpr wchar_t kSoundKey[] = L"PlaySound";
constexpr wchar_t kTopmostKey[] = L"WindowForceFront";
constexpr wchar_t kUnreadableSettingText[] = L"(CODE:106)致命的なエラー発生";

constexpr int kClientWidth = 258;
constexpr int kClientHeight = 420;

enum MenuCommand : UINT {
  kCloseCommand = 2001,
  kSoundOnCommand,
  kSoundOffCommand,
  kNormalWindowCommand,
  kTopmostCommand,
};

struct Placeholder {
  HWND window = nullptr;
  HWND start_stop = nullptr;
  HWND list = nullptr;
  HWND label = nullptr;
  UniqueFont font;
  std::wstring settings_path;
  bool running = false;
  bool sound = false;
  bool topmost = false;
};

std::wstring SettingsPathBesideProgram() {
  std::wstring path(MAX_PATH, L'\0');
  DWORD length;
  while ((length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) == path.size()) {
    path.resize(path.size() * 2);
  }
  path.resize(length);
  return path.substr(0, path.find_last_of(L"\\/") + 1) + kSettingsFileName;
}

// A 0/1 setting; anything else is reported once at start-up and reads as 0.
bool ReadFlag(const Placeholder& placeholder, const wchar_t* key, bool& reported) {
  wchar_t value[16] = {};
  GetPrivateProfileStringW(kSettingsSection, key, L"", value, 16, placeholder.settings_path.c_str());
  const std::wstring text = value;
  if (text == L"0" || text == L"1") return text == L"1";
  if (!reported) {
    MessageBoxW(placeholder.window, kUnreadableSettingText, kBoxTitle, MB_OK | MB_ICONERROR);
    reported = true;
  }
  return false;
}

void SaveSettings(const Placeholder& placeholder) {
  const wchar_t* path = placeholder.settings_path.c_str();
  WritePrivateProfileStringW(kSettingsSection, kSoundKey, placeholder.sound ? L"1" : L"0", path);
  WritePrivateProfileStringW(kSettingsSection, kTopmostKey, placeholder.topmost ? L"1" : L"0", path);
}

void ShowChoices(const Placeholder& placeholder) {
  HMENU menu = GetMenu(placeholder.window);
  CheckMenuRadioItem(menu, kSoundOnCommand, kSoundOffCommand, placeholder.sound ? kSoundOnCommand : kSoundOffCommand,
                     MF_BYCOMMAND);
  CheckMenuRadioItem(menu, kNormalWindowCommand, kTopmostCommand,
                     placeholder.topmost ? kTopmostCommand : kNormalWindowCommand, MF_BYCOMMAND);
  SetWindowPos(placeholder.window, placeholder.topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

UniqueMenu CreateMenuBar() {
  UniqueMenu bar(CreateMenu());
  HMENU file = CreatePopupMenu();
  AppendMenuW(file, MF_STRING, kCloseCommand, L"Cerr");
  AppendMenuW(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"Arch");

  HMENU sound = CreatePopupMenu();
  AppendMenuW(sound, MF_STRING, kSoundOnCommand, L"On");
  AppendMenuW(sound, MF_STRING, kSoundOffCommand, L"Off");
  HMENU settings = CreatePopupMenu();
  AppendMenuW(settings, MF_POPUP, reinterpret_cast<UINT_PTR>(sound), L"Sonido");
  AppendMenuW(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(settings), L"Conf");

  HMENU stacking = CreatePopupMenu();
  AppendMenuW(stacking, MF_STRING, kNormalWindowCommand, L"Normal");
  AppendMenuW(stacking, MF_STRING, kTopmostCommand, L"Encima de Todo");
  AppendMenuW(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(stacking), L"Window");
  return bar;
}

HWND CreateControl(const Placeholder& placeholder, const wchar_t* window_class, const wchar_t* text, DWORD style,
                   RECT bounds, int id) {
  HWND control = CreateWindowExW(0, window_class, text, WS_CHILD | WS_VISIBLE | style, bounds.left, bounds.top,
                                 bounds.right - bounds.left, bounds.bottom - bounds.top, placeholder.window,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(placeholder.font.get()), FALSE);
  return control;
}

void CreateControls(Placeholder& placeholder) {
  placeholder.font.reset(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"MS UI Gothic"));
  placeholder.start_stop =
      CreateControl(placeholder, L"BUTTON", L"スタート", BS_PUSHBUTTON | WS_TABSTOP, {8, 8, 125, 36}, kStartStopButtonId);
  CreateControl(placeholder, L"BUTTON", L"リセット", BS_PUSHBUTTON | WS_TABSTOP, {133, 8, 250, 36}, kResetLapButtonId);
  placeholder.label = CreateControl(placeholder, L"STATIC", L"0", SS_RIGHT, {8, 44, 250, 68}, kTimeLabelId);
  placeholder.list = CreateControl(placeholder, L"LISTBOX", L"", WS_BORDER | WS_VSCROLL | LBS_NOTIFY | WS_TABSTOP,
                                   {8, 76, 250, 412}, kLapListId);
}

// Running holds the pointer inside the client area, as the real stopwatch does.
void HoldPointer(const Placeholder& placeholder, bool hold) {
  if (!hold) {
    ClipCursor(nullptr);
    return;
  }
  RECT client;
  GetClientRect(placeholder.window, &client);
  MapWindowPoints(placeholder.window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  ClipCursor(&client);
}

void ShowLineCount(const Placeholder& placeholder) {
  const auto count = SendMessageW(placeholder.list, LB_GETCOUNT, 0, 0);
  SetWindowTextW(placeholder.label, std::to_wstring(count).c_str());
}

void StartOrStop(Placeholder& placeholder) {
  placeholder.running = !placeholder.running;
  HoldPointer(placeholder, placeholder.running);
  SetWindowTextW(placeholder.start_stop, placeholder.running ? L"ストップ" : L"スタート");
  if (!placeholder.running) {
    const auto line = L"Lap " + std::to_wstring(SendMessageW(placeholder.list, LB_GETCOUNT, 0, 0) + 1);
    SendMessageW(placeholder.list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    ShowLineCount(placeholder);
  }
}

void Reset(const Placeholder& placeholder) {
  if (placeholder.running) return;
  SendMessageW(placeholder.list, LB_RESETCONTENT, 0, 0);
  ShowLineCount(placeholder);
}

void OnCommand(Placeholder& placeholder, int id) {
  switch (id) {
    case kStartStopButtonId: StartOrStop(placeholder); return;
    case kResetLapButtonId: Reset(placeholder); return;
    case kCloseCommand: SendMessageW(placeholder.window, WM_CLOSE, 0, 0); return;
    case kSoundOnCommand:
    case kSoundOffCommand: placeholder.sound = id == kSoundOnCommand; break;
    case kNormalWindowCommand:
    case kTopmostCommand: placeholder.topmost = id == kTopmostCommand; break;
    default: return;
  }
  ShowChoices(placeholder);
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* placeholder = reinterpret_cast<Placeholder*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE:
      SetWindowLongPtrW(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams));
      break;
    case WM_COMMAND:
      if (placeholder) OnCommand(*placeholder, LOWORD(wparam));
      return 0;
    case WM_CLOSE:
      if (placeholder) {
        HoldPointer(*placeholder, false);
        SaveSettings(*placeholder);
      }
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

HICON LoadProgramIcon(HINSTANCE instance, int size_metric) {
  const int size = GetSystemMetrics(size_metric);
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(TOVIRA_ICON), IMAGE_ICON, size, size, LR_SHARED));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = WindowProcedure;
  window_class.hInstance = instance;
  window_class.hIcon = LoadProgramIcon(instance, SM_CXICON);
  window_class.hIconSm = LoadProgramIcon(instance, SM_CXSMICON);
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  window_class.lpszClassName = kWindowClass;
  if (!RegisterClassExW(&window_class)) return 1;

  constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, style, TRUE, 0);

  Placeholder placeholder;
  placeholder.settings_path = SettingsPathBesideProgram();
  UniqueMenu menu_bar = CreateMenuBar();
  placeholder.window = CreateWindowExW(0, kWindowClass, kCaption, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                       frame.right - frame.left, frame.bottom - frame.top, nullptr, menu_bar.get(),
                                       instance, &placeholder);
  if (!placeholder.window) return 1;
  menu_bar.release();  // the window destroys its menu bar

  CreateControls(placeholder);
  ShowWindow(placeholder.window, show);
  bool reported = false;
  placeholder.sound = ReadFlag(placeholder, kSoundKey, reported);
  placeholder.topmost = ReadFlag(placeholder, kTopmostKey, reported);
  ShowChoices(placeholder);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(placeholder.window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
