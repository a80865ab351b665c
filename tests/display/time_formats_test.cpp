#include "display/accessible_names.h"
#include "display/time_formats.h"

#include "common/text.h"

#include <gtest/gtest.h>

#include <limits>

#include "support/recording_reporter.h"

namespace tovira {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

// Examples use "," and "."; English pins them whatever the machine's settings.
const NumberSymbols kEnglish{u",", u"."};
const NumberSymbols kGerman{u".", u","};

struct Lines {
  std::int32_t x;
  const char16_t* seconds;
  const char16_t* hms;
  const char16_t* frames;
  const char16_t* ssk;
};

// Rows with nullptr have nothing notable in that column.
const Lines kLines[] = {
    {0, u"     0.000 秒", u"  　  　  　000", u"     0 コマ", u"   :  : 0K [  0: 0K]"},
    {5, u"     0.005 秒", nullptr, u"     0 コマ", nullptr},
    {500, nullptr, u"  　  　  　500", u"    11 コマ", u"   :  :11K [  0:11K]"},
    {999, u"     0.999 秒", nullptr, u"    23 コマ", u"   :  :23K [  0:23K]"},
    {1000, u"     1.000 秒", u"  　  　 1秒000", u"    24 コマ", u"   : 1: 0K [  1: 0K]"},
    {5999, nullptr, nullptr, nullptr, u"   : 5:23K [  5:23K]"},
    {6000, nullptr, nullptr, nullptr, u"  1: 0: 0K [  6: 0K]"},
    {12345, nullptr, nullptr, nullptr, u"  2: 0: 8K [ 12: 8K]"},
    {61000, nullptr, u"  　 1分 1秒000", nullptr, nullptr},
    {3600000, nullptr, u" 1時  　  　000", nullptr, nullptr},
    {3723456, u" 3,723.456 秒", u" 1時 2分 3秒456", u"89,362 コマ", u"620: 3:10K [723:10K]"},
    {7200000, nullptr, u" 2時  　  　000", nullptr, nullptr},
    {4167000, nullptr, nullptr, u"00,008 コマ", nullptr},
    {6000000, nullptr, nullptr, nullptr, u"000: 0: 0K [000: 0K]"},
    {99999999, u"99,999.999 秒", nullptr, nullptr, nullptr},
    {100000000, u"00,000.000 秒", nullptr, nullptr, nullptr},
    {360000000, nullptr, u"00時  　  　000", nullptr, nullptr},
    {kMax, u"47,483.647 秒", u"96時31分23秒647", u"39,607 コマ", u"913: 5:15K [483:15K]"},
};

void ExpectLine(const char16_t* expected, const std::u16string& actual, std::int32_t x) {
  if (expected) {
    EXPECT_EQ(actual, std::u16string(expected)) << "x = " << x;
  }
}

TEST(LapLines, WrittenExamples) {
  for (const Lines& row : kLines) {
    ExpectLine(row.seconds, SecondsLine(row.x, kEnglish), row.x);
    ExpectLine(row.hms, HmsLine(row.x), row.x);
    ExpectLine(row.frames, Frame24Line(row.x, kEnglish), row.x);
    ExpectLine(row.ssk, SskLine(row.x), row.x);
  }
}

TEST(LapLines, KeepTheirWidthForEveryNonNegativeTime) {
  // Characters, not cells: a kanji or the ideographic space is one character here.
  for (std::int32_t x :
       {0, 1, 41, 999, 59999, 3599999, 4166667, 99999999, 100000000, 359999999, 360000000, 999999999, kMax - 1, kMax}) {
    EXPECT_EQ(SecondsLine(x, kEnglish).size(), 12) << x;
    EXPECT_EQ(HmsLine(x).size(), 12) << x;
    EXPECT_EQ(Frame24Line(x, kEnglish).size(), 9) << x;
    EXPECT_EQ(SskLine(x).size(), 20) << x;
  }
}

TEST(LapLines, NegativeTimesCarryALeadingMinus) {
  EXPECT_EQ(FormatSeconds(-5, kEnglish), u"-0.005");
  EXPECT_EQ(SecondsLine(-3723456, kEnglish), u"-3,723.456 秒");
  EXPECT_EQ(HmsLine(-3723456), u"- 1時 2分 3秒456");
  EXPECT_EQ(Frame24Line(-500, kEnglish), u"   -11 コマ");
  EXPECT_EQ(SskLine(-12345), u"-  2: 0: 8K [ 12: 8K]");
}

TEST(LapLines, ExtremeTimesNeitherCrashNorReportAFault) {
  testing::RecordingReporter reporter;
  EXPECT_EQ(FormatSeconds(kMin, kEnglish), u"-2,147,483.648");
  EXPECT_EQ(FormatSeconds(kMax, kEnglish), u"2,147,483.647");
  EXPECT_EQ(SecondsLine(kMin, kEnglish), u"47,483.648 秒");
  EXPECT_EQ(HmsLine(kMin), u"-96時31分23秒648");
  EXPECT_EQ(Frame24Line(kMin, kEnglish), u"39,607 コマ");
  EXPECT_EQ(SskLine(kMin), u"-913: 5:15K [483:15K]");
  EXPECT_TRUE(reporter.codes.empty());
}

TEST(FormatSeconds, PatternWithGroupingAndThreeDecimals) {
  const struct {
    std::int32_t x;
    const char16_t* text;
  } cases[] = {
      {0, u"0.000"},        {5, u"0.005"},           {999, u"0.999"},         {1000, u"1.000"},
      {999999, u"999.999"}, {1000000, u"1,000.000"}, {3723456, u"3,723.456"}, {1000000000, u"1,000,000.000"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatSeconds(c.x, kEnglish), std::u16string(c.text)) << c.x;
}

TEST(FormatSeconds, FollowsTheLocaleSeparators) {
  EXPECT_EQ(FormatSeconds(3723456, kGerman), u"3.723,456");
  EXPECT_EQ(Frame24Line(3723456, kGerman), u"89.362 コマ");
  EXPECT_EQ(DialAccessibleName(3723456, kGerman), u"Dial at 3.723,456 seconds");
}

// What a list font cannot draw one cell wide is drawn as a stand-in of the same meaning.
TEST(SeparatorStandIns, TheFirstStandInTheFontDrawsOneCellWide) {
  const struct {
    NumberSymbols symbols;
    std::u16string oneCellWide;  // the characters the font draws one cell wide
    CharacterStandIns standIns;
  } rows[] = {
      {kEnglish, u",.", {}},
      {{u"\u202F", u","}, u",\u00A0 ", {{u'\u202F', u'\u00A0'}}},      // French: no narrow space
      {{u"\u202F", u","}, u", ", {{u'\u202F', u' '}}},                  // nor a no-break one
      {{u"\u2019", u"."}, u".'", {{u'\u2019', u'\''}}},                 // Swiss German: a wide apostrophe
      {{u"\u2019", u"."}, u".", {}},                                    // no stand-in either: left as it is
      {{u"\u00A0", u"\u066B"}, u" ", {{u'\u00A0', u' '}}},              // a separator without stand-ins stays
  };
  for (const auto& row : rows) {
    const auto drawsOneCell = [&](char16_t c) { return row.oneCellWide.find(c) != std::u16string::npos; };
    EXPECT_EQ(ChooseSeparatorStandIns(row.symbols, drawsOneCell), row.standIns)
        << Utf8(row.symbols.group) << " " << Utf8(row.oneCellWide);
  }
}

// Only the list's drawing takes the stand-ins: every separator with one, and nothing else.
TEST(SeparatorStandIns, ReplaceEachOfTheirSeparatorsInADrawnLine) {
  const CharacterStandIns swissAndFrench{{u'\u2019', u'\''}, {u'\u202F', u'\u00A0'}};
  EXPECT_EQ(WithStandIns(u"1\u2019234\u2019567.890 \u79D2", swissAndFrench), u"1'234'567.890 \u79D2");
  EXPECT_EQ(WithStandIns(u" 89\u202F362 \u30B3\u30DE", swissAndFrench), u" 89\u00A0362 \u30B3\u30DE");
  EXPECT_EQ(WithStandIns(u"1\u2019234.5", {}), u"1\u2019234.5");
}

}  // namespace
}  // namespace tovira
