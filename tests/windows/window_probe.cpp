// window_probe.dll: answers the window reader from inside the program (see window_probe.h).

#include "window_probe.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "json_writer.h"
#include "window_text.h"
#include "windows/win32_handle.h"

namespace tovira::bench {
namespace {

using win32::SelectedObject;
using win32::WindowDeviceContext;

std::wstring MenuItemText(HMENU menu, int position) {
  MENUITEMINFOW item{};
  item.cbSize = sizeof item;
  item.fMask = MIIM_STRING;
  if (!GetMenuItemInfoW(menu, position, TRUE, &item) || item.cch == 0) return {};
  std::wstring text(item.cch + 1, L'\0');
  item.dwTypeData = text.data();
  ++item.cch;
  GetMenuItemInfoW(menu, position, TRUE, &item);
  text.resize(item.cch);
  return text;
}

void DescribeMenu(JsonWriter& json, HMENU menu) {
  json.BeginArray();
  const int count = GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU;
    GetMenuItemInfoW(menu, position, TRUE, &item);
    // MENUITEMINFO folds grayed and disabled into one bit; the older call tells them apart.
    const UINT state = GetMenuState(menu, position, MF_BYPOSITION);
    json.BeginObject()
        .Key("text").String(MenuItemText(menu, position))
        .Key("id").Number(item.hSubMenu ? -1 : static_cast<long long>(item.wID))
        .Key("separator").Bool(item.fType & MFT_SEPARATOR)
        .Key("radio").Bool(item.fType & MFT_RADIOCHECK)
        .Key("checked").Bool(item.fState & MFS_CHECKED)
        .Key("grayed").Bool(state & MF_GRAYED)
        .Key("disabled").Bool(state & MF_DISABLED)
        .Key("highlighted").Bool(item.fState & MFS_HILITE)
        .Key("default").Bool(item.fState & MFS_DEFAULT);
    if (item.hSubMenu) DescribeMenu(json.Key("items"), item.hSubMenu);
    json.EndObject();
  }
  json.EndArray();
}

bool IsListBox(HWND control) {
  wchar_t class_name[64] = {};
  GetClassNameW(control, class_name, 64);
  return CompareStringOrdinal(class_name, -1, L"ListBox", -1, TRUE) == CSTR_EQUAL;
}

// The text a control shows: its own, or a list box's lines as they are written (an
// owner-drawn list may draw stand-ins for some of their characters).
std::wstring DrawnText(HWND control) {
  if (!IsListBox(control)) return WindowText(control);
  std::wstring text;
  for (const auto& line : ListBoxLines(control, SendMessageW)) text += line;
  return text;
}

// Where each character of each line ends, from the line's start: characters that
// stand in one column of the lines end at the same place.
void DescribeLineEnds(JsonWriter& json, HDC context, HWND list) {
  json.Key("line_ends").BeginArray();
  for (const auto& line : ListBoxLines(list, SendMessageW)) {
    std::vector<INT> ends(line.size());
    SIZE size{};
    GetTextExtentExPointW(context, line.c_str(), static_cast<int>(line.size()), 0, nullptr, ends.data(), &size);
    json.BeginArray();
    for (const INT end : ends) json.Number(end);
    json.EndArray();
  }
  json.EndArray();
}

void DescribeFont(JsonWriter& json, HWND control) {
  auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  if (!font) font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  LOGFONTW requested{};
  GetObjectW(font, sizeof requested, &requested);

  WindowDeviceContext context(control);
  SelectedObject selected(context.get(), font);
  std::array<wchar_t, LF_FACESIZE> face{};
  GetTextFaceW(context.get(), static_cast<int>(face.size()), face.data());
  const std::wstring text = DrawnText(control);
  std::vector<WORD> glyphs(text.size());
  GetGlyphIndicesW(context.get(), text.c_str(), static_cast<int>(text.size()), glyphs.data(),
                   GGI_MARK_NONEXISTING_GLYPHS);
  long long missing = 0;
  for (WORD glyph : glyphs) missing += glyph == 0xFFFF;

  json.BeginObject()
      .Key("requested").String(requested.lfFaceName)
      .Key("face").String(face.data())
      .Key("height").Number(requested.lfHeight)
      .Key("missing_glyphs").Number(missing);
  if (IsListBox(control)) DescribeLineEnds(json, context.get(), control);
  json.EndObject();
}

void DescribeIcon(JsonWriter& json, HWND control) {
  const auto shown = reinterpret_cast<HICON>(SendMessageW(control, STM_GETICON, 0, 0));
  struct StandardIcon {
    const wchar_t* resource;
    const wchar_t* name;
  };
  // Shared icons: LoadIcon hands every caller in the process the same handle.
  for (const auto& icon : {StandardIcon{IDI_ERROR, L"error"}, StandardIcon{IDI_WARNING, L"warning"},
                           StandardIcon{IDI_INFORMATION, L"information"}, StandardIcon{IDI_QUESTION, L"question"}}) {
    if (shown && shown == LoadIconW(nullptr, icon.resource)) {
      json.String(icon.name);
      return;
    }
  }
  json.Null();
}

// Wine has no high-contrast scheme: SPI_SETHIGHCONTRAST fails and SPI_GETHIGHCONTRAST
// always says off. So that the program can be seen under one, the probe answers its
// asking instead of the system, as Windows answers with the scheme on.
BOOL WINAPI HighContrastOn(UINT action, UINT parameter, PVOID data, UINT flags) {
  if (action == SPI_GETHIGHCONTRAST && data && static_cast<HIGHCONTRASTW*>(data)->cbSize == sizeof(HIGHCONTRASTW)) {
    auto& scheme = *static_cast<HIGHCONTRASTW*>(data);
    scheme.dwFlags = HCF_HIGHCONTRASTON | HCF_AVAILABLE;
    scheme.lpszDefaultScheme = nullptr;
    return TRUE;
  }
  return SystemParametersInfoW(action, parameter, data, flags);
}

// Points the program's import of SystemParametersInfoW, in its import address table,
// at the system's call or at HighContrastOn; whether the program imports it.
bool AnswerForHighContrast(bool on) {
  const auto system =
      reinterpret_cast<ULONG_PTR>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SystemParametersInfoW"));
  const auto probe = reinterpret_cast<ULONG_PTR>(&HighContrastOn);
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
  const auto* headers =
      reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto* library = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); library->Name;
       ++library) {
    for (auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk); slot->u1.Function; ++slot) {
      if (slot->u1.Function != system && slot->u1.Function != probe) continue;
      DWORD protection = 0;
      VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &protection);
      slot->u1.Function = on ? probe : system;
      VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, protection, &protection);
      return true;
    }
  }
  return false;
}

void TakeNumberSigns(JsonWriter& json, HWND window) {
  const wchar_t* international = L"Control Panel\\International";
  for (const auto& [name, type] : {std::pair{L"sThousand", LOCALE_STHOUSAND}, std::pair{L"sDecimal", LOCALE_SDECIMAL}}) {
    std::array<wchar_t, 8> sign{};
    DWORD size = sizeof sign - sizeof sign[0];
    if (RegGetValueW(HKEY_CURRENT_USER, international, name, RRF_RT_REG_SZ, nullptr, sign.data(), &size) == ERROR_SUCCESS) {
      SetLocaleInfoW(LOCALE_USER_DEFAULT, type, sign.data());
    }
  }
  SendMessageW(window, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"intl"));
  json.Bool(true);
}

void Answer(HWND window, HWND reply_window, LPARAM request) {
  JsonWriter json;
  switch (request & 0xFF) {
    case kProbeMenuBar: {
      HMENU menu = GetMenu(window);
      if (menu) DescribeMenu(json, menu);
      else json.Null();
      break;
    }
    case kProbeControlFont: DescribeFont(json, window); break;
    case kProbeStaticIcon: DescribeIcon(json, window); break;
    case kProbeSystemColor: {
      const INT index = static_cast<INT>(request >> 8 & 0xFF);
      const auto color = static_cast<COLORREF>(request >> 16);
      json.Number(GetSysColor(index));
      SetSysColors(1, &index, &color);
      break;
    }
    case kProbeHighContrast: {
      const bool imported = AnswerForHighContrast(request >> 8 & 1);
      json.Bool(imported);
      // As Windows tells every window of the change.
      if (imported) SendMessageW(window, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
      break;
    }
    case kProbeNumberSignsChanged: TakeNumberSigns(json, window); break;
    default: return;
  }
  COPYDATASTRUCT data{};
  data.dwData = static_cast<ULONG_PTR>(request);
  data.cbData = static_cast<DWORD>(json.Text().size());
  data.lpData = const_cast<char*>(json.Text().data());
  SendMessageW(reply_window, WM_COPYDATA, reinterpret_cast<WPARAM>(window), reinterpret_cast<LPARAM>(&data));
}

}  // namespace
}  // namespace tovira::bench

extern "C" __declspec(dllexport) LRESULT CALLBACK ProbeHook(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HC_ACTION) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lparam);
    if (call->message == tovira::bench::ProbeMessage()) {
      tovira::bench::Answer(call->hwnd, reinterpret_cast<HWND>(call->wParam), call->lParam);
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}
