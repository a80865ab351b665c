#include "dial_fixtures.h"

#include "dial/dial_drawing.h"
#include "support/recording_reporter.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

namespace tovira {
namespace {

using testing::ExpectedWithLabel;
using testing::ReadLabel;
using testing::ReadLabels;
using Labels = std::array<std::string, 6>;

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

struct LabelCase {
  std::int32_t n;
  int place;
  const char* text;
};

// Each case at device pixel ratios 1 and 2: at 2 the label's cells are exact copies
// of the double-resolution strip at twice the positions, so nothing is blurred.
class DrawDialNumberPaints : public ::testing::TestWithParam<std::tuple<LabelCase, int>> {};

TEST_P(DrawDialNumberPaints, TheLastTwoDigitsAtThePlaceOfNMod6) {
  const auto [c, ratio] = GetParam();
  testing::RecordingReporter reporter;
  DialSurface surface = testing::MakeSurface({15.0, 15.0}, ratio);
  DrawDialNumber(surface, c.n);
  EXPECT_EQ(surface.image(), ExpectedWithLabel(c.place, c.text, ratio));
  EXPECT_TRUE(reporter.codes.empty());
}

INSTANTIATE_TEST_SUITE_P(Counts, DrawDialNumberPaints,
                         ::testing::Combine(::testing::Values(LabelCase{1, 1, "01"}, LabelCase{5, 5, "05"},
                                                              LabelCase{6, 0, "06"}, LabelCase{10, 4, "10"},
                                                              LabelCase{99, 3, "99"}, LabelCase{100, 4, "00"},
                                                              LabelCase{123456, 0, "56"}, LabelCase{kMax, 1, "47"}),
                                            ::testing::Values(1, 2)));

TEST(DrawDialNumber, PaintsNothingForCountsBelowOne) {
  testing::RecordingReporter reporter;
  for (const std::int32_t n : {0, -1, -6, -7, -100, kMin}) {
    DialSurface surface = testing::MakeSurface();
    DrawDialNumber(surface, n);
    EXPECT_EQ(surface.image(), testing::MakeFace()) << n;
  }
  EXPECT_TRUE(reporter.codes.empty());
}

TEST(DrawDialNumber, PlacesAreFixedPixelsAtOtherTwipsPerPixel) {
  for (const int ratio : {1, 2}) {
    DialSurface surface = testing::MakeSurface({12.0, 12.0}, ratio);
    DrawDialNumber(surface, 123456);
    EXPECT_EQ(surface.image(), ExpectedWithLabel(0, "56", ratio)) << ratio;
  }
}

TEST(DrawDialNumber, AnOverflowInThePlaceIsReportedEvenForCountsBelowOne) {
  // The place is worked out before the count is tested, so the fault shows for 0 too.
  for (const std::int32_t n : {0, 7}) {
    testing::RecordingReporter reporter;
    DialSurface surface = testing::MakeSurface({1e9, 1e9});
    DrawDialNumber(surface, n);
    EXPECT_EQ(reporter.codes, std::vector<ErrorCode>{ErrorCode::DrawDialNumber}) << n;
    EXPECT_EQ(surface.image(), testing::MakeFace());
  }
}

struct RefreshCase {
  std::int32_t e;
  Labels labels;  // places 0 to 5
};

class RefreshDialShows : public ::testing::TestWithParam<std::tuple<RefreshCase, int>> {};

TEST_P(RefreshDialShows, TheLabelsAroundTheCurrentSecond) {
  const auto [c, ratio] = GetParam();
  DialSurface surface = testing::MakeSurface({15.0, 15.0}, ratio);
  DrawDialNumber(surface, 11);  // left over from an earlier second; the refresh clears it
  RefreshDial(surface, c.e, testing::Settings(1));
  EXPECT_EQ(ReadLabels(surface.image()), c.labels) << c.e;
}

const Labels kFirstSeconds{"06", "01", "02", "03", "04", "05"};

INSTANTIATE_TEST_SUITE_P(
    Times, RefreshDialShows,
    ::testing::Combine(::testing::Values(RefreshCase{0, kFirstSeconds}, RefreshCase{1, kFirstSeconds},
                                         RefreshCase{999, kFirstSeconds}, RefreshCase{1000, kFirstSeconds},
                                         RefreshCase{2999, kFirstSeconds}, RefreshCase{3000, kFirstSeconds},
                                         RefreshCase{3999, kFirstSeconds},
                                         RefreshCase{4500, {"06", "07", "02", "03", "04", "05"}},
                                         RefreshCase{60000, {"60", "61", "62", "63", "58", "59"}},
                                         RefreshCase{98000, {"96", "97", "98", "99", "00", "01"}},
                                         RefreshCase{-500, {"06", "01", "02", "", "04", "05"}}),
                       ::testing::Values(1, 2)));

TEST(RefreshDial, ClearsTheEarlierPaintingAndRestoresTheFace) {
  DialSurface surface = testing::MakeSurface();
  RefreshDial(surface, 4500, testing::Settings(1));
  RefreshDial(surface, 98000, testing::Settings(1));
  const QImage& image = surface.image();
  // The top label covers the inner end of the tick at 12 o'clock; the other marks show.
  EXPECT_NE(image.pixel(124, 15), testing::kFaceMark);
  EXPECT_EQ(image.pixel(0, 0), testing::kFaceMark);
  EXPECT_EQ(image.pixel(60, 200), testing::kFaceMark);
  EXPECT_EQ(image.pixel(249, 249), testing::kFaceMark);
  EXPECT_EQ(ReadLabel(image, 1), "97");
}

TEST(RefreshDial, AnOverflowOfTheLabelCountsBelongsToTheCaller) {
  testing::RecordingReporter reporter;
  DialSurface surface = testing::MakeSurface();
  EXPECT_THROW(RefreshDial(surface, kMax - 2999, testing::Settings(1)), Fault);
  EXPECT_THROW(RefreshDial(surface, kMin + 1999, testing::Settings(1)), Fault);
  EXPECT_TRUE(reporter.codes.empty());
  EXPECT_NO_THROW(RefreshDial(surface, kMax - 3000, testing::Settings(1)));
}

}  // namespace
}  // namespace tovira
