#include "dial/hand_color.h"

#include <gtest/gtest.h>

#include <string>

namespace tovira {
namespace {

TEST(HandColorFromText, ReadsRedGreenBluePairs) {
  struct Case {
    std::string_view text;
    std::uint32_t bgr;
  };
  const Case cases[] = {
      {"FF0000", 0x000000FF}, {"0000FF", 0x00FF0000}, {"ff8000", 0x000080FF}, {"FF00", 0x000000FF},      {"", 0},
      {"1G2H3I", 0x00030201}, {"ERROR", 0x0000000E},  {"F", 0x0000000F},      {"123456789", 0x00563412}, {"G1G2G3", 0},
      {" FFFFF", 0x00FFFF00}, {"aBcDeF", 0x00EFCDAB}, {"FFFFFF", 0x00FFFFFF},
  };
  for (const Case& c : cases) EXPECT_EQ(HandColorFromText(c.text), c.bgr) << c.text;
}

TEST(HandColorFromText, CountsCharactersNotBytes) {
  // A letter of several UTF-8 bytes takes a single place of a pair.
  EXPECT_EQ(HandColorFromText("\u00E9F0A0B"), 0x000B0A00u);
}

TEST(HandColorFromText, AcceptsAnyBytes) {
  const std::string nul("1\00023456", 7);
  EXPECT_EQ(HandColorFromText(nul), 0x00452301u);
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  for (std::size_t start = 0; start < all.size(); ++start) HandColorFromText(std::string_view(all).substr(start, 6));
  EXPECT_EQ(HandColorFromText("\xFF\xFE\x80\x80\x80\x80\x80"), 0u);
  EXPECT_EQ(HandColorFromText("\2001234"), 0x00042300u);
}

}  // namespace
}  // namespace tovira
