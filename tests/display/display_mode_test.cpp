#include "display/display_mode.h"

#include <gtest/gtest.h>

#include <limits>

namespace tovira {
namespace {

const NumberSymbols kEnglish{u",", u"."};

TEST(DisplayModeFromNumber, AcceptsOnlyOneToFour) {
  EXPECT_EQ(DisplayModeFromNumber(1), DisplayMode::Sec);
  EXPECT_EQ(DisplayModeFromNumber(2), DisplayMode::HMS);
  EXPECT_EQ(DisplayModeFromNumber(3), DisplayMode::Frame24);
  EXPECT_EQ(DisplayModeFromNumber(4), DisplayMode::SSK);
  for (std::int32_t n :
       {0, 5, -1, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()}) {
    EXPECT_EQ(DisplayModeFromNumber(n), std::nullopt) << n;
  }
}

TEST(DisplayModes, TableInMenuOrder) {
  const struct {
    DisplayMode mode;
    const char16_t* item;
    const char16_t* caption;
    const char16_t* windowCaption;
    ErrorCode error;
    const char16_t* line;  // of 3,723,456 ms
  } expected[] = {
      {DisplayMode::Sec, u"mnuShowSec", u"SC", u"Tovira Watch[秒]", ErrorCode::ShowSec, u" 3,723.456 秒"},
      {DisplayMode::HMS, u"mnuShowHMS", u"HMS   ", u"Tovira Watch[時分秒]", ErrorCode::ShowHMS, u" 1時 2分 3秒456"},
      {DisplayMode::Frame24, u"mnuShowFrame24", u"24F ", u"Tovira Watch[コマ数]", ErrorCode::ShowFrame24,
       u"89,362 コマ"},
      {DisplayMode::SSK, u"mnuShowSSK", u"SEC KEY  ", u"Tovira Watch[ﾌﾚｰﾑ:秒:ｺﾏ]", ErrorCode::ShowSSK,
       u"620: 3:10K [723:10K]"},
  };
  const auto modes = DisplayModes();
  for (std::size_t i = 0; i < modes.size(); ++i) {
    const auto& e = expected[i];
    SCOPED_TRACE(static_cast<int>(e.mode));
    EXPECT_EQ(modes[i].mode, e.mode);
    EXPECT_EQ(&InfoOf(e.mode), &modes[i]);
    EXPECT_EQ(modes[i].menuItemName, std::u16string_view(e.item));
    EXPECT_EQ(modes[i].menuCaption, std::u16string_view(e.caption));
    EXPECT_EQ(WindowCaption(e.mode), std::u16string(e.windowCaption));
    EXPECT_EQ(modes[i].rendererError, e.error);
    EXPECT_EQ(LapLine(e.mode, 3723456, kEnglish), std::u16string(e.line));
  }
  EXPECT_EQ(kBaseWindowCaption, u"Tovira Watch");
}

TEST(InfoOf, AValueOutsideTheFourModesIsAFault) {
  for (std::int32_t n : {0, 5, -1}) EXPECT_THROW(InfoOf(static_cast<DisplayMode>(n)), Fault) << n;
  EXPECT_THROW(WindowCaption(static_cast<DisplayMode>(0)), Fault);
}

}  // namespace
}  // namespace tovira
