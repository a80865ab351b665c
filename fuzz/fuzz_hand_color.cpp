// The hand colour from an arbitrary AnalogColor text: always a 24-bit colour,
// decided by the first six characters alone, and for plain ASCII the value each
// pair of characters gives read as leading hexadecimal digits.

#include "scratch_file.h"

#include "dial/hand_color.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

using tovira::fuzz::Require;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::uint32_t AsciiPair(std::string_view text, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = at; i < at + 2 && i < text.size() && HexValue(text[i]) >= 0; ++i) {
    value = value * 16 + static_cast<std::uint32_t>(HexValue(text[i]));
  }
  return value;
}

bool IsAscii(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::uint32_t color = tovira::HandColorFromText(text);
  Require(color <= 0xFFFFFFu, "the colour has no bits above blue");
  if (!IsAscii(text)) return 0;
  Require(color == AsciiPair(text, 0) + 256 * AsciiPair(text, 2) + 65536 * AsciiPair(text, 4),
          "each pair is read as its leading hexadecimal digits");
  if (text.size() >= 6) {
    Require(tovira::HandColorFromText(std::string(text.substr(0, 6)) + "0z") == color,
            "characters after the sixth do not count");
  }
  return 0;
}
