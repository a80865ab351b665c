#pragma once
// The window's design values, which every front end draws from: the texts the
// window and its controls are created with, their colours in the designed scheme
// and in a high-contrast one, and the faces and sizes of their fonts on each
// desktop. (Where the controls stand is in engine/layout.h.)

#include "engine/window_parts.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace tovira {

namespace design {
inline constexpr std::u16string_view kWindowCaption = u"Toviraｽﾄｯﾌﾟｳｫｯﾁ";
inline constexpr std::u16string_view kTimeLabelText = u"Label1";
inline constexpr std::u16string_view kStartCaption = u"スタート";
inline constexpr std::u16string_view kLapCaption = u"リセット";
}  // namespace design

// A colour as the design gives it: 0x00BBGGRR, or 0x800000NN for system colour NN
// (the numbering of Windows' COLOR_ constants), resolved whenever it is drawn.
struct DesignColor {
  std::uint32_t value;
  constexpr bool isSystemColor() const { return (value & 0x80000000u) != 0; }
  constexpr int systemColorIndex() const { return static_cast<int>(value & 0xFFu); }
  bool operator==(const DesignColor&) const = default;
};

namespace system_color {
inline constexpr DesignColor kWindow{0x80000005};
inline constexpr DesignColor kMenuText{0x80000007};
inline constexpr DesignColor kWindowText{0x80000008};
inline constexpr DesignColor kCaptionText{0x80000009};
inline constexpr DesignColor kButtonFace{0x8000000F};
inline constexpr DesignColor kButtonText{0x80000012};
}  // namespace system_color

// The colours as designed, or the user's high-contrast scheme, in which every
// control draws in the system's own pairs so that no text is lost on a colour the
// scheme did not choose.
enum class ColorScheme { Designed, HighContrast };

struct ColorPair {
  DesignColor text, background;
  bool operator==(const ColorPair&) const = default;
};

ColorPair ColorsOf(Control control, ColorScheme scheme);
// Behind the controls.
DesignColor WindowBackground(ColorScheme scheme);

// 0x00BBGGRR of a design colour on a desktop without system colours, which draws
// them as the usual scheme does.
std::uint32_t ColorWithoutSystemColors(DesignColor color);

enum class Desktop { X11, Windows };

struct FontDesign {
  std::span<const std::u16string_view> faces;  // Japanese faces, the preferred first
  // Latin faces whose digits, blanks and separators are one cell wide, for a system
  // without a Japanese fixed-pitch face; its font linking draws the Japanese
  // characters. Empty where the pitch does not matter.
  std::span<const std::u16string_view> latinFallbacks;
  int hundredthsOfPoint;
  // Fixed pitch keeps the columns of the times aligned.
  bool fixedPitch;
};

// The font of a control that shows text: the buttons, the label or the list.
const FontDesign& FontOf(Control control, Desktop desktop);

struct ChosenFace {
  std::u16string face;
  bool japanese;  // false: a Latin face, the system linking it to a Japanese one
  bool operator==(const ChosenFace&) const = default;
};

// The face to ask for: the first of the design's faces that is installed; for a
// fixed pitch, else the first by name of the installed Japanese fixed-pitch faces
// (vertical "@" faces passed over), else the first installed Latin fallback; else
// the design's first face, for the system to stand in for.
ChosenFace ChooseFace(const FontDesign& font, const std::function<bool(std::u16string_view)>& installed,
                      std::span<const std::u16string> japaneseFixedPitchFaces);

}  // namespace tovira
