// Describes a running program's window from outside, as one JSON object on stdout:
//   window_reader --title PREFIX           the first visible top-level window, not owned
//                                          by another, whose title starts with PREFIX:
//                                          title, client area, menu bar, every control
//                                          with what a screen reader reads of it
//   window_reader --title PREFIX --topmost whether that window stays on top
//   window_reader --title PREFIX --number-signs-changed
//                                          the window told that the registry's number signs are the user's now
//   window_reader --clip                   the rectangle the pointer is held in, and the pointer
//   window_reader --boxes                  the message boxes shown: title, text, icon, buttons,
//                                          and the class of the window that owns each
//   window_reader --title PREFIX --sys-colors N=RRGGBB...
//                                          sets that window's program's system colours N
//                                          (COLOR_ numbers) as the display settings do, and
//                                          gives those replaced in the same form, to set back
//   window_reader --title PREFIX --high-contrast on|off
//                                          turns a high-contrast scheme on or off for that
//                                          window's program (Wine has none of its own)
// Exit status 0 when it printed, 1 when no such window is shown (yet), 2 for bad usage,
// 3 when the program did not answer in time (busy starting, or hung).
// Menus, fonts and icons are asked of the program itself through window_probe.dll.

#include <fcntl.h>
#include <io.h>
#include <oleacc.h>
#include <windows.h>

#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "json_writer.h"
#include "window_probe.h"
#include "window_text.h"
#include "windows/win32_handle.h"

namespace tovira::bench {
namespace {

using win32::ComReference;
using win32::UniqueHook;
using win32::UniqueModule;
using win32::UniqueWindow;

constexpr UINT kAnswerTimeoutMs = 5000;

// Thrown when the program does not answer a message in time: one reading is then
// given up whole rather than printed with holes, and whoever polls asks again.
struct NotAnswering {};

LRESULT Send(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &result)) {
    throw NotAnswering{};
  }
  return static_cast<LRESULT>(result);
}

std::wstring ClassName(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

bool IsClass(HWND window, std::wstring_view name) {
  const std::wstring actual = ClassName(window);
  return CompareStringOrdinal(actual.c_str(), static_cast<int>(actual.size()), name.data(),
                              static_cast<int>(name.size()), TRUE) == CSTR_EQUAL;
}

// A control's text as the control itself answers WM_GETTEXT.
std::wstring ControlText(HWND control) {
  std::wstring text(Send(control, WM_GETTEXTLENGTH, 0, 0) + 1, L'\0');
  text.resize(Send(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
  return text;
}

void WriteRect(JsonWriter& json, const RECT& rect) {
  json.BeginObject()
      .Key("left").Number(rect.left)
      .Key("top").Number(rect.top)
      .Key("right").Number(rect.right)
      .Key("bottom").Number(rect.bottom)
      .EndObject();
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> windows;
  EnumChildWindows(
      parent,
      [](HWND window, LPARAM found) {
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::vector<HWND> VisibleTopLevelWindows() {
  std::vector<HWND> windows;
  EnumWindows(
      [](HWND window, LPARAM found) {
        if (IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  return windows;
}

// window_probe.dll hooked into the thread of one window; asks it and collects its answers.
class Probe {
 public:
  explicit Probe(HWND window) {
    const UINT thread = GetWindowThreadProcessId(window, nullptr);
    dll_.reset(LoadLibraryW(BesideReader(L"window_probe.dll").c_str()));
    if (dll_) {
      // The exported procedure has HOOKPROC's signature; FARPROC stands for any.
      const auto hook = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(dll_.get(), kProbeHookName)));
      if (hook) hook_.reset(SetWindowsHookExW(WH_CALLWNDPROC, hook, dll_.get(), thread));
    }
    WNDCLASSW reply_class{};
    reply_class.lpfnWndProc = ReceiveAnswer;
    reply_class.hInstance = GetModuleHandleW(nullptr);
    reply_class.lpszClassName = L"ToviraWatchProbeReply";
    RegisterClassW(&reply_class);
    reply_window_.reset(CreateWindowExW(0, reply_class.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        reply_class.hInstance, nullptr));
    SetWindowLongPtrW(reply_window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&answer_));
  }

  // The JSON the program answers for a window on the probed thread, or null.
  std::string Ask(HWND window, LPARAM request) {
    answer_.reset();
    if (hook_) Send(window, ProbeMessage(), reinterpret_cast<WPARAM>(reply_window_.get()), request);
    return answer_.value_or("null");
  }

 private:
  static std::wstring BesideReader(const wchar_t* name) {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path.substr(0, path.find_last_of(L"\\/") + 1) + name;
  }

  // Delivered while Ask waits in SendMessageTimeout.
  static LRESULT CALLBACK ReceiveAnswer(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message != WM_COPYDATA) return DefWindowProcW(window, message, wparam, lparam);
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
    auto* answer = reinterpret_cast<std::optional<std::string>*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    answer->emplace(static_cast<const char*>(data->lpData), data->cbData);
    return TRUE;
  }

  UniqueModule dll_;
  UniqueHook hook_;
  UniqueWindow reply_window_;
  std::optional<std::string> answer_;
};

// A string a COM call returned, freed once read.
std::wstring Take(BSTR text) {
  std::wstring taken(text ? text : L"", text ? SysStringLen(text) : 0);
  SysFreeString(text);
  return taken;
}

// What a screen reader reads of a control through Active Accessibility (which UI
// Automation reads standard controls through as well): the name and role of its
// client area, and the names of the items in it. null when it answers nothing.
void DescribeAccessible(JsonWriter& json, HWND control) {
  IAccessible* found = nullptr;
  // (__uuidof: MinGW's oleacc import library offers IID_IAccessible as a function.)
  if (FAILED(AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&found)))) {
    json.Null();
    return;
  }
  const ComReference<IAccessible> accessible(found);
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  json.BeginObject().Key("name");
  if (SUCCEEDED(accessible->get_accName(self, &name)) && name) json.String(Take(name));
  else json.Null();
  VARIANT role{};
  json.Key("role");
  if (SUCCEEDED(accessible->get_accRole(self, &role)) && role.vt == VT_I4) {
    std::wstring text(GetRoleTextW(role.lVal, nullptr, 0) + 1, L'\0');
    text.resize(GetRoleTextW(role.lVal, text.data(), static_cast<UINT>(text.size())));
    json.String(text);
  } else {
    VariantClear(&role);
    json.Null();
  }
  LONG count = 0;
  accessible->get_accChildCount(&count);
  json.Key("items").BeginArray();
  for (LONG child = 1; child <= count; ++child) {
    VARIANT item{};
    item.vt = VT_I4;
    item.lVal = child;
    BSTR itemName = nullptr;
    json.String(SUCCEEDED(accessible->get_accName(item, &itemName)) ? Take(itemName) : std::wstring());
  }
  json.EndArray().EndObject();
}

void DescribeListBox(JsonWriter& json, HWND list) {
  json.Key("lines").BeginArray();
  for (const auto& line : ListBoxLines(list, Send)) json.String(line);
  json.EndArray().Key("selection").Number(Send(list, LB_GETCURSEL, 0, 0));
}

void DescribeControl(JsonWriter& json, Probe& probe, HWND main, HWND control, HWND focus) {
  RECT screen;
  GetWindowRect(control, &screen);
  RECT client = screen;
  MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&client), 2);
  json.BeginObject()
      .Key("class").String(ClassName(control))
      .Key("id").Number(GetDlgCtrlID(control))
      .Key("text").String(ControlText(control))
      .Key("visible").Bool(IsWindowVisible(control))
      .Key("enabled").Bool(IsWindowEnabled(control))
      .Key("focused").Bool(control == focus)
      .Key("rect");
  WriteRect(json, client);
  json.Key("screen_rect");
  WriteRect(json, screen);
  json.Key("font").Raw(probe.Ask(control, kProbeControlFont));
  json.Key("accessible");
  DescribeAccessible(json, control);
  if (IsClass(control, L"ListBox")) DescribeListBox(json, control);
  json.EndObject();
}

bool IsTopmost(HWND window) { return GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST; }

void DescribeWindow(JsonWriter& json, HWND window) {
  RECT client;
  GetClientRect(window, &client);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  RECT frame;
  GetWindowRect(window, &frame);
  GUITHREADINFO thread_info{};
  thread_info.cbSize = sizeof thread_info;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread_info);
  Probe probe(window);

  json.BeginObject()
      .Key("title").String(WindowText(window))
      .Key("class").String(ClassName(window))
      .Key("topmost").Bool(IsTopmost(window))
      .Key("foreground").Bool(GetForegroundWindow() == window)
      .Key("dpi").Number(GetDpiForWindow(window))
      .Key("client");
  WriteRect(json, client);
  json.Key("frame");
  WriteRect(json, frame);
  json.Key("menu").Raw(probe.Ask(window, kProbeMenuBar));
  json.Key("controls").BeginArray();
  for (HWND control : Descendants(window)) DescribeControl(json, probe, window, control, thread_info.hwndFocus);
  json.EndArray().EndObject();
}

std::optional<HWND> FindMainWindow(std::wstring_view title_prefix) {
  for (HWND window : VisibleTopLevelWindows()) {
    if (!GetWindow(window, GW_OWNER) && WindowText(window).starts_with(title_prefix)) return window;
  }
  return std::nullopt;
}

void DescribeClip(JsonWriter& json) {
  RECT clip;
  GetClipCursor(&clip);
  const RECT screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                    GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                    GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  POINT cursor;
  GetCursorPos(&cursor);
  json.BeginObject()
      .Key("clipped").Bool(!EqualRect(&clip, &screen))
      .Key("clip");
  WriteRect(json, clip);
  json.Key("cursor").BeginObject().Key("x").Number(cursor.x).Key("y").Number(cursor.y).EndObject().EndObject();
}

// Message boxes: dialogs whose STATIC children are the icon and the text.
void DescribeBoxes(JsonWriter& json) {
  json.BeginObject().Key("boxes").BeginArray();
  for (HWND box : VisibleTopLevelWindows()) {
    if (!IsClass(box, L"#32770")) continue;
    Probe probe(box);
    std::wstring text;
    std::string icon = "null";
    json.BeginObject().Key("title").String(WindowText(box)).Key("buttons").BeginArray();
    for (HWND control : Descendants(box)) {
      if (IsClass(control, L"Button")) {
        json.String(ControlText(control));
      } else if (IsClass(control, L"Static")) {
        if ((GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) icon = probe.Ask(control, kProbeStaticIcon);
        else text += ControlText(control);
      }
    }
    json.EndArray().Key("text").String(text).Key("icon").Raw(icon).Key("owner");
    if (HWND owner = GetWindow(box, GW_OWNER)) json.String(ClassName(owner));
    else json.Null();
    json.EndObject();
  }
  json.EndArray().EndObject();
}

int Usage() {
  std::fputs("usage: window_reader (--title PREFIX [--topmost | --sys-colors N=RRGGBB... | --high-contrast on|off"
             " | --number-signs-changed] | --clip | --boxes)\n",
             stderr);
  return 2;
}

std::wstring ColorSetting(int index, COLORREF color) {
  wchar_t text[32];
  std::swprintf(text, 32, L"%d=%02X%02X%02X", index, GetRValue(color), GetGValue(color), GetBValue(color));
  return text;
}

int SetSystemColors(HWND window, std::span<const std::wstring_view> settings, JsonWriter& json) {
  Probe probe(window);
  json.BeginObject().Key("previous").BeginArray();
  for (const std::wstring_view setting : settings) {
    int index = 0;
    unsigned rgb = 0;
    if (std::swscanf(std::wstring(setting).c_str(), L"%d=%6x", &index, &rgb) != 2) return Usage();
    const COLORREF color = RGB(rgb >> 16, rgb >> 8 & 0xFF, rgb & 0xFF);
    const std::string previous = probe.Ask(window, SystemColorRequest(index, color));
    json.String(ColorSetting(index, static_cast<COLORREF>(std::stoul(previous))));
  }
  json.EndArray().EndObject();
  return 0;
}

int Run(const std::vector<std::wstring_view>& arguments, JsonWriter& json) {
  if (arguments == std::vector<std::wstring_view>{L"--clip"}) {
    DescribeClip(json);
    return 0;
  }
  if (arguments == std::vector<std::wstring_view>{L"--boxes"}) {
    DescribeBoxes(json);
    return 0;
  }
  const bool title_given = arguments.size() >= 2 && arguments[0] == L"--title";
  const bool topmost_only = arguments.size() == 3 && arguments[2] == L"--topmost";
  const bool colors = arguments.size() >= 4 && arguments[2] == L"--sys-colors";
  const bool high_contrast = arguments.size() == 4 && arguments[2] == L"--high-contrast" &&
                             (arguments[3] == L"on" || arguments[3] == L"off");
  const bool signs_changed = arguments.size() == 3 && arguments[2] == L"--number-signs-changed";
  if (!title_given || (arguments.size() > 2 && !topmost_only && !colors && !high_contrast && !signs_changed)) {
    return Usage();
  }

  const auto window = FindMainWindow(arguments[1]);
  if (!window) return 1;
  if (colors) return SetSystemColors(*window, std::span(arguments).subspan(3), json);
  if (high_contrast) {
    const LPARAM on = arguments[3] == L"on";
    json.BeginObject().Key("answered").Raw(Probe(*window).Ask(*window, kProbeHighContrast | on << 8)).EndObject();
    return 0;
  }
  if (signs_changed) {
    json.Raw(Probe(*window).Ask(*window, kProbeNumberSignsChanged));
  } else if (topmost_only) {
    json.BeginObject().Key("topmost").Bool(IsTopmost(*window)).EndObject();
  } else {
    DescribeWindow(json, *window);
  }
  return 0;
}

}  // namespace
}  // namespace tovira::bench

int wmain(int argc, wchar_t** argv) {
  // Physical pixels whatever the screen's density, as xdotool counts them.
  SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // for the accessible objects
  tovira::bench::JsonWriter json;
  int status;
  try {
    status = tovira::bench::Run({argv + 1, argv + argc}, json);
  } catch (const tovira::bench::NotAnswering&) {
    std::fputs("window_reader: the program did not answer in time\n", stderr);
    status = 3;
  }
  if (status == 0) {
    _setmode(_fileno(stdout), _O_BINARY);  // the bytes as written, no CR added
    std::fwrite(json.Text().data(), 1, json.Text().size(), stdout);
    std::fputc('\n', stdout);
  }
  return status;
}
