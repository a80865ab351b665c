// window_probe.dll: answers the window reader from inside the program (see window_probe.h).

#include "window_probe.h"

#include <array>
#include <string>
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

// The text a control shows: its own, or a list box's lines as they are written (an
// owner-drawn list may draw stand-ins for some of their characters).
std::wstring DrawnText(HWND control) {
  wchar_t class_name[64] = {};
  GetClassNameW(control, class_name, 64);
  if (CompareStringOrdinal(class_name, -1, L"ListBox", -1, TRUE) != CSTR_EQUAL) return WindowText(control);
  std::wstring text;
  for (const auto& line : ListBoxLines(control, SendMessageW)) text += line;
  return text;
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
      .Key("missing_glyphs").Number(missing)
      .EndObject();
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

void Answer(HWND window, HWND reply_window, LPARAM request) {
  JsonWriter json;
  switch (request) {
    case kProbeMenuBar: {
      HMENU menu = GetMenu(window);
      if (menu) DescribeMenu(json, menu);
      else json.Null();
      break;
    }
    case kProbeControlFont: DescribeFont(json, window); break;
    case kProbeStaticIcon: DescribeIcon(json, window); break;
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
