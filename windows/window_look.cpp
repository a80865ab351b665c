#include "windows/window_look.h"

#include "windows/wide_text.h"

#include <algorithm>
#include <string>
#include <vector>

namespace tovira::win32 {
namespace {

// Every face of the name, of any character set: the name as the font gives it in
// any language, or one the system's font substitutes stand for.
bool Installed(HDC dc, std::u16string_view face) {
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  if (face.size() >= LF_FACESIZE) return false;
  std::ranges::copy(face, wanted.lfFaceName);
  bool found = false;
  EnumFontFamiliesExW(
      dc, &wanted,
      [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
        *reinterpret_cast<bool*>(found) = true;
        return 0;
      },
      reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

std::vector<std::u16string> JapaneseFixedPitchFaces(HDC dc) {
  LOGFONTW wanted{};
  wanted.lfCharSet = SHIFTJIS_CHARSET;
  std::vector<std::u16string> faces;
  EnumFontFamiliesExW(
      dc, &wanted,
      [](const LOGFONTW* font, const TEXTMETRICW* metrics, DWORD, LPARAM faces) {
        // The bit set means a variable pitch.
        if (!(metrics->tmPitchAndFamily & TMPF_FIXED_PITCH)) {
          const std::wstring_view name(font->lfFaceName);
          reinterpret_cast<std::vector<std::u16string>*>(faces)->emplace_back(name.begin(), name.end());
        }
        return 1;
      },
      reinterpret_cast<LPARAM>(&faces), 0);
  return faces;
}

}  // namespace

UniqueFont CreateDesignFont(Control control, unsigned dpi) {
  const FontDesign& design = FontOf(control, Desktop::Windows);
  const WindowDeviceContext screen(nullptr);
  const ChosenFace chosen =
      ChooseFace(design, [&](std::u16string_view face) { return Installed(screen.get(), face); },
                 JapaneseFixedPitchFaces(screen.get()));
  // A Latin face asked for with the Japanese character set would lose to any
  // Japanese face, whatever its pitch.
  return UniqueFont(CreateFontW(-MulDiv(design.hundredthsOfPoint, static_cast<int>(dpi), 7200), 0, 0, 0, FW_NORMAL,
                                FALSE, FALSE, FALSE, chosen.japanese ? SHIFTJIS_CHARSET : DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                design.fixedPitch ? FIXED_PITCH | FF_MODERN : VARIABLE_PITCH | FF_SWISS,
                                Wide(chosen.face).c_str()));
}

ColorScheme SystemColorScheme() {
  HIGHCONTRASTW scheme{};
  scheme.cbSize = sizeof scheme;
  const bool on = SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof scheme, &scheme, 0) &&
                  (scheme.dwFlags & HCF_HIGHCONTRASTON);
  return on ? ColorScheme::HighContrast : ColorScheme::Designed;
}

COLORREF Drawn(DesignColor color) {
  return color.isSystemColor() ? GetSysColor(color.systemColorIndex()) : color.value;
}

HBRUSH BrushOf(HDC dc, DesignColor color) {
  if (color.isSystemColor()) return GetSysColorBrush(color.systemColorIndex());
  SetDCBrushColor(dc, color.value);
  return static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
}

}  // namespace tovira::win32
