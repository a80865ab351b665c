#include "dial/hand_color.h"

#include <optional>

namespace tovira {
namespace {

std::optional<std::uint32_t> HexDigitValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return std::nullopt;
}

bool IsContinuationByte(unsigned char c) { return (c & 0xC0u) == 0x80u; }

// Splits off the next character: one byte plus the UTF-8 continuation bytes after it.
std::string_view TakeCharacter(std::string_view& text) {
  std::size_t length = text.empty() ? 0 : 1;
  while (length < text.size() && IsContinuationByte(static_cast<unsigned char>(text[length]))) ++length;
  const std::string_view character = text.substr(0, length);
  text.remove_prefix(length);
  return character;
}

// The value of the leading hex digits of the next two characters, 0 without any.
std::uint32_t TakeComponent(std::string_view& text) {
  std::uint32_t value = 0;
  bool reading = true;
  for (int i = 0; i < 2; ++i) {
    const std::string_view character = TakeCharacter(text);
    const auto digit = character.size() == 1 ? HexDigitValue(static_cast<unsigned char>(character[0])) : std::nullopt;
    reading = reading && digit.has_value();
    if (reading) value = value * 16 + *digit;
  }
  return value;
}

}  // namespace

std::uint32_t HandColorFromText(std::string_view analogColor) {
  const std::uint32_t red = TakeComponent(analogColor);
  const std::uint32_t green = TakeComponent(analogColor);
  const std::uint32_t blue = TakeComponent(analogColor);
  return red + 256 * green + 65536 * blue;
}

}  // namespace tovira
