#include "engine/window_design.h"

#include "common/failure.h"

#include <algorithm>
#include <array>

namespace tovira {
namespace {

using namespace system_color;

struct ControlColors {
  Control control;
  ColorPair designed, highContrast;
};

// Under high contrast the label and the buttons leave their own colours for the
// scheme's pairs: white on the menu-text colour, and the scheme's button text on
// pastel, are white on white under High Contrast Black. The pictures and the list
// draw in system colours already.
constexpr std::array<ControlColors, 6> kColors{{
    {Control::imgNumber, {kWindowText, kWindow}, {kWindowText, kWindow}},
    {Control::cmdLap, {kButtonText, {0x0080FF80}}, {kButtonText, kButtonFace}},  // light green
    {Control::lstLap, {kWindowText, kWindow}, {kWindowText, kWindow}},
    {Control::cmdStart, {kButtonText, {0x0080FFFF}}, {kButtonText, kButtonFace}},  // light yellow
    {Control::imgWatch, {kWindowText, kWindow}, {kWindowText, kWindow}},
    {Control::lblTime, {{0x00FFFFFF}, kMenuText}, {kWindowText, kWindow}},
}};

constexpr std::u16string_view kIpaGothic[] = {u"IPAGothic"};
constexpr std::u16string_view kX11FixedPitch[] = {u"IPAGothic", u"Noto Sans Mono CJK JP"};
constexpr std::u16string_view kWindowsButtons[] = {u"MS UI Gothic", u"Yu Gothic UI"};
constexpr std::u16string_view kWindowsFixedPitch[] = {u"MS Gothic", u"BIZ UDGothic"};
// Windows links its Japanese faces to Courier New; Consolas may be linked to none.
constexpr std::u16string_view kWindowsLatin[] = {u"Courier New", u"Consolas"};

// Half-width and full-width cells of IPAGothic are exactly 1:2, so the lap columns line up.
constexpr FontDesign kX11Buttons{kIpaGothic, {}, 1050, false};
constexpr FontDesign kX11Label{kX11FixedPitch, {}, 1800, true};
constexpr FontDesign kX11List{kX11FixedPitch, {}, 1575, true};
constexpr FontDesign kButtons{kWindowsButtons, {}, 900, false};
constexpr FontDesign kLabel{kWindowsFixedPitch, kWindowsLatin, 1800, true};
constexpr FontDesign kList{kWindowsFixedPitch, kWindowsLatin, 1575, true};

}  // namespace

ColorPair ColorsOf(Control control, ColorScheme scheme) {
  const ControlColors& row = *std::ranges::find(kColors, control, &ControlColors::control);
  return scheme == ColorScheme::HighContrast ? row.highContrast : row.designed;
}

DesignColor WindowBackground(ColorScheme scheme) {
  return scheme == ColorScheme::HighContrast ? kWindow : kCaptionText;
}

std::uint32_t ColorWithoutSystemColors(DesignColor color) {
  if (!color.isSystemColor()) return color.value;
  switch (color.systemColorIndex()) {
    case kWindow.systemColorIndex():
    case kCaptionText.systemColorIndex(): return 0x00FFFFFF;
    case kButtonFace.systemColorIndex(): return 0x00F0F0F0;
    default: return 0x00000000;  // the texts
  }
}

const FontDesign& FontOf(Control control, Desktop desktop) {
  const bool x11 = desktop == Desktop::X11;
  switch (control) {
    case Control::cmdStart:
    case Control::cmdLap: return x11 ? kX11Buttons : kButtons;
    case Control::lblTime: return x11 ? kX11Label : kLabel;
    case Control::lstLap: return x11 ? kX11List : kList;
    default: RaiseFault("the control shows no text");
  }
}

ChosenFace ChooseFace(const FontDesign& font, const std::function<bool(std::u16string_view)>& installed,
                      std::span<const std::u16string> japaneseFixedPitchFaces) {
  for (const std::u16string_view face : font.faces) {
    if (installed(face)) return {std::u16string(face), true};
  }
  if (font.fixedPitch) {
    const std::u16string* first = nullptr;
    for (const std::u16string& face : japaneseFixedPitchFaces) {
      if (!face.empty() && face.front() != u'@' && (!first || face < *first)) first = &face;
    }
    if (first) return {*first, true};
    const auto latin = std::ranges::find_if(font.latinFallbacks, installed);
    if (latin != font.latinFallbacks.end()) return {std::u16string(*latin), false};
  }
  return {std::u16string(font.faces.front()), true};
}

}  // namespace tovira
