#include "display/time_formats.h"

#include "common/failure.h"
#include "display/frame_table.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace tovira {
namespace {

constexpr std::int32_t kFrameRate = 24;
constexpr std::int64_t kMillisPerSecond = 1000;
constexpr std::int64_t kMillisPerMinute = 60 * kMillisPerSecond;
constexpr std::int64_t kMillisPerHour = 60 * kMillisPerMinute;
constexpr std::int64_t kSecondsPerBlock = 6;

// |x| in 64 bits, so that INT32_MIN has a magnitude too.
std::int64_t Magnitude(std::int32_t x) { return x < 0 ? -static_cast<std::int64_t>(x) : x; }

// A short line built in place and turned into a string once: the lap list
// formats every record again when the display mode changes, so each line must be cheap.
class Line {
 public:
  void add(char16_t c) {
    if (length_ < kCapacity) chars_[length_++] = c;
  }
  void add(std::u16string_view text) {
    for (const char16_t c : text) add(c);
  }
  void add(const Line& other) { add(other.view()); }

  void addDigits(std::uint64_t v) {
    std::array<char16_t, 20> digits;
    std::size_t n = 0;
    do {
      digits[n++] = static_cast<char16_t>(u'0' + v % 10);
      v /= 10;
    } while (v != 0);
    while (n > 0) add(digits[--n]);
  }

  // The decimal digits of v with the separator between groups of three.
  void addGrouped(std::uint64_t v, std::u16string_view separator) {
    Line digits;
    digits.addDigits(v);
    const std::size_t count = digits.length_;
    for (std::size_t i = 0; i < count; ++i) {
      if (i > 0 && (count - i) % 3 == 0) add(separator);
      add(digits.chars_[i]);
    }
  }

  // text after a fill of width cells, keeping the rightmost width characters: the
  // field is exactly width cells, and longer text loses its leading characters.
  void addRightAligned(const Line& text, std::size_t width, char16_t fill = u' ') {
    for (std::size_t i = text.length_; i < width; ++i) add(fill);
    const std::size_t skip = text.length_ > width ? text.length_ - width : 0;
    add(text.view().substr(skip));
  }
  void addRightAligned(std::uint64_t v, std::size_t width, char16_t fill = u' ') {
    Line digits;
    digits.addDigits(v);
    addRightAligned(digits, width, fill);
  }

  std::u16string_view view() const { return {chars_.data(), length_}; }
  std::u16string str() const { return std::u16string(view()); }

 private:
  static constexpr std::size_t kCapacity = 64;
  std::array<char16_t, kCapacity> chars_;
  std::size_t length_ = 0;
};

void AddSign(Line& line, std::int32_t x) {
  if (x < 0) line.add(u'-');
}

// v in two cells followed by its unit, or blank when v is zero.
void AddUnitField(Line& line, std::int64_t v, char16_t unit) {
  if (v > 0) {
    line.addRightAligned(static_cast<std::uint64_t>(v), 2);
    line.add(unit);
  } else {
    line.add(u"  \u3000");  // two blanks and an ideographic space: as wide as two digits and a kanji
  }
}

std::int32_t FrameOfMagnitude(std::int64_t magnitude) {
  return FrameFromMillis(static_cast<std::int32_t>(magnitude % kMillisPerSecond), kFrameRate);
}

void AddSeconds(Line& line, std::int32_t x, const NumberSymbols& symbols) {
  // Built from whole seconds and milliseconds, so no rounding can change a digit.
  const std::int64_t magnitude = Magnitude(x);
  AddSign(line, x);
  line.addGrouped(static_cast<std::uint64_t>(magnitude / kMillisPerSecond), symbols.group);
  line.add(symbols.decimal);
  line.addRightAligned(static_cast<std::uint64_t>(magnitude % kMillisPerSecond), 3, u'0');
}

}  // namespace

std::u16string_view SeparatorStandIns(char16_t separator) {
  switch (separator) {
    case u'\u2007':  // figure space
    case u'\u2008':  // punctuation space
    case u'\u2009':  // thin space
    case u'\u200A':  // hair space
    case u'\u202F':  // narrow no-break space
      return u"\u00A0 ";
    case u'\u00A0':  // no-break space
      return u" ";
    case u'\u2019':  // right single quotation mark
    case u'\u02BC':  // modifier letter apostrophe
      return u"'";
    default:
      return {};
  }
}

CharacterStandIns ChooseSeparatorStandIns(const NumberSymbols& symbols,
                                          const std::function<bool(char16_t)>& drawsOneCell) {
  CharacterStandIns standIns;
  for (const char16_t separator : symbols.group + symbols.decimal) {
    if (drawsOneCell(separator)) continue;
    for (const char16_t candidate : SeparatorStandIns(separator)) {
      if (drawsOneCell(candidate)) {
        standIns.emplace_back(separator, candidate);
        break;
      }
    }
  }
  return standIns;
}

std::u16string WithStandIns(std::u16string line, const CharacterStandIns& standIns) {
  for (char16_t& c : line) {
    const auto standIn = std::find_if(standIns.begin(), standIns.end(), [c](const auto& pair) { return pair.first == c; });
    if (standIn != standIns.end()) c = standIn->second;
  }
  return line;
}

std::u16string FormatSeconds(std::int32_t x, const NumberSymbols& symbols) {
  Line line;
  AddSeconds(line, x, symbols);
  return line.str();
}

std::int32_t FrameFromMillis(std::int32_t ms, [[maybe_unused]] std::int32_t rate) {
  std::int32_t frame = 0;
  Guarded(ErrorCode::FrameFromMillis, [&] { frame = FrameIndexAt(ms); });
  return frame;
}

std::u16string SecondsLine(std::int32_t x, const NumberSymbols& symbols) {
  Line seconds;
  AddSeconds(seconds, x, symbols);
  Line line;
  line.addRightAligned(seconds, 10);
  line.add(u" 秒");
  return line.str();
}

std::u16string HmsLine(std::int32_t x) {
  const std::int64_t magnitude = Magnitude(x);
  Line line;
  AddSign(line, x);
  AddUnitField(line, magnitude / kMillisPerHour, u'時');
  AddUnitField(line, magnitude % kMillisPerHour / kMillisPerMinute, u'分');
  AddUnitField(line, magnitude % kMillisPerMinute / kMillisPerSecond, u'秒');
  line.addRightAligned(static_cast<std::uint64_t>(magnitude % kMillisPerSecond), 3, u'0');
  return line.str();
}

std::u16string Frame24Line(std::int32_t x, const NumberSymbols& symbols) {
  const std::int64_t magnitude = Magnitude(x);
  const std::int64_t frames = magnitude / kMillisPerSecond * kFrameRate + FrameOfMagnitude(magnitude);
  Line count;
  AddSign(count, x);
  count.addGrouped(static_cast<std::uint64_t>(frames), symbols.group);
  Line line;
  line.addRightAligned(count, 6);
  line.add(u" コマ");
  return line.str();
}

std::u16string SskLine(std::int32_t x) {
  const std::int64_t magnitude = Magnitude(x);
  const auto seconds = static_cast<std::uint64_t>(magnitude / kMillisPerSecond);
  const std::uint64_t block = seconds / kSecondsPerBlock;
  const std::uint64_t second = seconds % kSecondsPerBlock;
  const auto frame = static_cast<std::uint64_t>(FrameOfMagnitude(magnitude));

  Line line;
  AddSign(line, x);
  if (block > 0) {
    line.addRightAligned(block, 3);
    line.add(u':');
  } else {
    line.add(u"   :");
  }
  if (second > 0 || block > 0) {
    line.addRightAligned(second, 2);
    line.add(u':');
  } else {
    line.add(u"  :");
  }
  line.addRightAligned(frame, 2);
  line.add(u"K [");
  line.addRightAligned(seconds, 3);
  line.add(u':');
  line.addRightAligned(frame, 2);
  line.add(u"K]");
  return line.str();
}

}  // namespace tovira
