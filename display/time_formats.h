#pragma once
// The texts of elapsed times: the seconds text of the time label and the four
// fixed-width lap lines, one per display mode.
//
// The lap lines are laid out for a monospaced font in which digits, blanks,
// colons and brackets take one cell and kanji, full-width katakana and the
// ideographic space take two; each line keeps its width whatever the time, so
// long runs are cut on the left, never widened.
//
// Elapsed times are never negative in practice. A negative one still gets a
// text: the number carries a leading "-" (before the seconds text or the frame
// count, before the whole line in the multi-field formats).

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tovira {

// The user's number settings as the seconds texts use them: the sign between
// groups of three digits and the decimal point. Each front end reads them from
// its platform; grouping is always in use.
struct NumberSymbols {
  std::u16string group = u",";
  std::u16string decimal = u".";
  bool operator==(const NumberSymbols&) const = default;
};

// Half-width characters of the same meaning as a separator, the likeliest first,
// for a list font that lacks the separator or does not draw it one cell wide (the
// columns would drift): a no-break or plain space for the narrow, thin and figure
// spaces, an apostrophe for U+2019. Empty for every other character.
std::u16string_view SeparatorStandIns(char16_t separator);

// For each of the symbols' characters that the list's font cannot draw one cell
// wide, the first of its stand-ins that it can: which character to draw in place of
// which. The front end asks its font through drawsOneCell.
using CharacterStandIns = std::vector<std::pair<char16_t, char16_t>>;
CharacterStandIns ChooseSeparatorStandIns(const NumberSymbols& symbols,
                                          const std::function<bool(char16_t)>& drawsOneCell);

// A line as the list draws it: each separator that has a stand-in replaced by it.
// The line itself, which screen readers read, keeps the locale's own signs.
std::u16string WithStandIns(std::u16string line, const CharacterStandIns& standIns);

// x / 1000 with the pattern "#,##0.000": groups of three digits with the
// user's separator, the user's decimal point, exactly three decimals.
// 3723456 -> "3,723.456", 5 -> "0.005", 0 -> "0.000".
std::u16string FormatSeconds(std::int32_t x, const NumberSymbols& symbols);

// The frame within the second (0 to 23) that ms falls in at 24 frames per
// second. rate is always 24; the frame table is the one for that rate.
// Reports ErrorCode::FrameFromMillis and returns 0 on a fault.
std::int32_t FrameFromMillis(std::int32_t ms, std::int32_t rate);

// " 3,723.456 秒": the seconds text in 10 cells, then " 秒".
std::u16string SecondsLine(std::int32_t x, const NumberSymbols& symbols);

// " 1時 2分 3秒456": hours, minutes and seconds in two cells each (a zero one is
// left blank), then the milliseconds with leading zeros.
std::u16string HmsLine(std::int32_t x);

// "89,362 コマ": the frame count at 24 frames per second, grouped, in 6 cells.
std::u16string Frame24Line(std::int32_t x, const NumberSymbols& symbols);

// "620: 3:10K [723:10K]": six-second block, second in the block and frame,
// then the whole seconds and the frame in brackets. Always 20 cells.
std::u16string SskLine(std::int32_t x);

}  // namespace tovira
