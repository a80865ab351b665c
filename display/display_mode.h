#pragma once
// The four display modes of the lap list: their numbers (as the LapType option
// and the settings file hold them), their menu items, their window caption
// suffixes and their line formats.

#include "common/failure.h"
#include "display/time_formats.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tovira {

enum class DisplayMode : std::int32_t { Sec = 1, HMS = 2, Frame24 = 3, SSK = 4 };

// The window caption without a mode, and the stem of every mode's caption.
inline constexpr std::u16string_view kBaseWindowCaption = u"Tovira Watch";

using LapLineFormatter = std::u16string (*)(std::int32_t x, const NumberSymbols& symbols);

struct DisplayModeInfo {
  DisplayMode mode;
  std::u16string_view menuItemName;   // name of the checkable menu item
  std::u16string_view menuCaption;    // the item's caption, trailing blanks included
  std::u16string_view captionSuffix;  // appended to kBaseWindowCaption
  ErrorCode rendererError;    // reported when rebuilding the list in this mode fails
  LapLineFormatter lapLine;
};

// Every mode, in the order of their numbers and of their menu items.
std::span<const DisplayModeInfo, 4> DisplayModes();

// The mode of a LapType value; nullopt for anything but 1 to 4.
std::optional<DisplayMode> DisplayModeFromNumber(std::int32_t lapType);

// Raises a Fault for a value that is not one of the four modes.
const DisplayModeInfo& InfoOf(DisplayMode mode);

// "Tovira Watch[秒]" and so on: the base caption directly followed by the suffix.
std::u16string WindowCaption(DisplayMode mode);

// The lap-list line of x in the given mode.
std::u16string LapLine(DisplayMode mode, std::int32_t x, const NumberSymbols& symbols);

}  // namespace tovira
