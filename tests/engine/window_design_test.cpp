#include "engine/window_design.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace tovira {
namespace {

constexpr Control kControls[] = {Control::imgNumber, Control::cmdLap,   Control::lstLap,
                                 Control::cmdStart,  Control::imgWatch, Control::lblTime};

TEST(Colors, UnderHighContrastEveryControlDrawsInOneOfTheSchemesOwnPairs) {
  const ColorPair window{system_color::kWindowText, system_color::kWindow};
  const ColorPair button{system_color::kButtonText, system_color::kButtonFace};
  for (const Control control : kControls) {
    const ColorPair pair = ColorsOf(control, ColorScheme::HighContrast);
    EXPECT_TRUE(pair == window || pair == button) << static_cast<int>(control);
  }
  EXPECT_EQ(ColorsOf(Control::cmdStart, ColorScheme::HighContrast), button);
  EXPECT_EQ(ColorsOf(Control::lblTime, ColorScheme::HighContrast), window);
  EXPECT_EQ(WindowBackground(ColorScheme::HighContrast), system_color::kWindow);
}

TEST(Colors, AsDesignedTheLabelIsWhiteOnTheMenuTextColourAndTheButtonsPastel) {
  EXPECT_EQ(ColorsOf(Control::lblTime, ColorScheme::Designed),
            (ColorPair{{0x00FFFFFF}, system_color::kMenuText}));
  EXPECT_EQ(ColorsOf(Control::cmdStart, ColorScheme::Designed).background, DesignColor{0x0080FFFF});
  EXPECT_EQ(ColorsOf(Control::cmdLap, ColorScheme::Designed).background, DesignColor{0x0080FF80});
  EXPECT_EQ(WindowBackground(ColorScheme::Designed), system_color::kCaptionText);
}

TEST(Colors, WithoutSystemColoursTheUsualSchemeIsDrawn) {
  const struct {
    DesignColor color;
    std::uint32_t drawn;
  } rows[] = {
      {{0x0080FFFF}, 0x0080FFFF},           {{0x00000000}, 0x00000000},
      {system_color::kWindow, 0x00FFFFFF},  {system_color::kCaptionText, 0x00FFFFFF},
      {system_color::kMenuText, 0},         {system_color::kWindowText, 0},
      {system_color::kButtonText, 0},       {system_color::kButtonFace, 0x00F0F0F0},
  };
  for (const auto& row : rows) EXPECT_EQ(ColorWithoutSystemColors(row.color), row.drawn) << std::hex << row.color.value;
}

TEST(Fonts, OnlyControlsWithTextHaveOne) {
  for (const Desktop desktop : {Desktop::X11, Desktop::Windows}) {
    EXPECT_TRUE(FontOf(Control::lstLap, desktop).fixedPitch);
    EXPECT_TRUE(FontOf(Control::lblTime, desktop).fixedPitch);
    EXPECT_FALSE(FontOf(Control::cmdStart, desktop).fixedPitch);
    EXPECT_EQ(&FontOf(Control::cmdStart, desktop), &FontOf(Control::cmdLap, desktop));
    EXPECT_THROW(FontOf(Control::imgWatch, desktop), std::exception);
  }
  EXPECT_EQ(FontOf(Control::lstLap, Desktop::Windows).faces.front(), u"MS Gothic");
  EXPECT_EQ(FontOf(Control::lstLap, Desktop::X11).faces.front(), u"IPAGothic");
}

TEST(Fonts, TheFaceChosenForWhatIsInstalled) {
  const struct {
    const char* what;
    Control control;
    std::set<std::u16string_view> installed;
    std::vector<std::u16string> japaneseFixedPitch;
    ChosenFace chosen;
  } rows[] = {
      {"the design's face", Control::lstLap, {u"MS Gothic", u"Courier New"}, {u"MS Gothic"}, {u"MS Gothic", true}},
      {"its second", Control::lblTime, {u"BIZ UDGothic", u"Courier New"}, {u"BIZ UDGothic"}, {u"BIZ UDGothic", true}},
      {"the first Japanese fixed-pitch face by name, no vertical one", Control::lstLap, {u"Courier New"},
       {u"@MingLiU", u"NSimSun", u"MingLiU", u"@GulimChe"}, {u"MingLiU", true}},
      {"a Latin face the system links", Control::lstLap, {u"Courier New", u"Consolas"}, {}, {u"Courier New", false}},
      {"the other Latin face", Control::lblTime, {u"Consolas"}, {u"@Vertical only"}, {u"Consolas", false}},
      {"nothing fits: the system stands in", Control::lstLap, {}, {}, {u"MS Gothic", true}},
      {"the buttons' second face", Control::cmdStart, {u"Yu Gothic UI", u"Courier New"}, {u"MingLiU"},
       {u"Yu Gothic UI", true}},
      {"the buttons take no fixed-pitch face", Control::cmdLap, {u"Courier New"}, {u"MingLiU"},
       {u"MS UI Gothic", true}},
  };
  for (const auto& row : rows) {
    const auto installed = [&](std::u16string_view face) { return row.installed.contains(face); };
    EXPECT_EQ(ChooseFace(FontOf(row.control, Desktop::Windows), installed, row.japaneseFixedPitch), row.chosen)
        << row.what;
  }
}

}  // namespace
}  // namespace tovira
