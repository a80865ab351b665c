#include "dial_fixtures.h"

#include "dial/dial_drawing.h"
#include "support/recording_reporter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

namespace tovira {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr double kCentre = 125.0;

// Whether a hand pixel lies within one device pixel of the point `radius` logical
// pixels from the centre, `degrees` clockwise from the top.
bool HandNear(const QImage& image, double radius, double degrees) {
  const double angle = degrees * M_PI / 180.0;
  const double ratio = image.devicePixelRatio();
  const int x = static_cast<int>(std::floor(ratio * (kCentre + radius * std::sin(angle))));
  const int y = static_cast<int>(std::floor(ratio * (kCentre - radius * std::cos(angle))));
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      if (image.valid(x + dx, y + dy) && image.pixel(x + dx, y + dy) == testing::kHandRgb) return true;
    }
  }
  return false;
}

// Checks the three strokes of a hand pointing `degrees` clockwise from the top.
void ExpectHandPointing(const QImage& image, double degrees) {
  for (const double r : {8.0, 30.0, 60.0, 90.0, 115.0, 122.0}) EXPECT_TRUE(HandNear(image, r, degrees)) << "r " << r;
  EXPECT_TRUE(HandNear(image, 10.0, degrees + 180.0)) << "tail";
  for (const double r : {20.0, 60.0, 110.0}) EXPECT_FALSE(HandNear(image, r, degrees + 180.0)) << "beyond tail " << r;
  for (const double off : {-8.0, 8.0}) EXPECT_FALSE(HandNear(image, 110.0, degrees + off)) << "beside " << off;
  EXPECT_FALSE(HandNear(image, 131.0, degrees)) << "beyond the thin stroke";
}

struct HandCase {
  std::int32_t e;
  std::int32_t scale;
  double degrees;  // clockwise from the top
};

// Each case at device pixel ratios 1 and 2.
class DrawDialHandPoints : public ::testing::TestWithParam<std::tuple<HandCase, int>> {};

TEST_P(DrawDialHandPoints, ToTheStartOfTheFrame) {
  const auto [c, ratio] = GetParam();
  testing::RecordingReporter reporter;
  DialSurface surface = testing::MakeSurface({15.0, 15.0}, ratio);
  DrawDialHand(surface, c.e, testing::Settings(c.scale));
  ExpectHandPointing(surface.image(), c.degrees);
  EXPECT_TRUE(reporter.codes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Times, DrawDialHandPoints,
    ::testing::Combine(::testing::Values(HandCase{0, 1, 0.0}, HandCase{41, 1, 0.0}, HandCase{42, 1, 2.52},
                                         HandCase{790, 1, 45.06}, HandCase{791, 1, 47.46}, HandCase{999, 1, 57.54},
                                         HandCase{1000, 1, 60.0}, HandCase{6000, 1, 0.0}, HandCase{6000, 2, 216.0},
                                         HandCase{6000, 3, 72.0}, HandCase{12345, 1, 20.04}, HandCase{12345, 0, 0.0},
                                         HandCase{12345, 4, 0.0}, HandCase{1500, 1, 87.54}, HandCase{-5, 1, 300.0}),
                       ::testing::Values(1, 2)));

TEST(DrawDialHand, StaysStraightUpThroughTheFirstFrame) {
  DialSurface atZero = testing::MakeSurface();
  DrawDialHand(atZero, 0, testing::Settings(1));
  for (std::int32_t e = 1; e <= 41; ++e) {
    DialSurface surface = testing::MakeSurface();
    DrawDialHand(surface, e, testing::Settings(1));
    ASSERT_EQ(surface.image(), atZero.image()) << e;
  }
}

// The hand's geometry at device pixel ratios 1 and 2: stroke widths are logical
// pixels, so 1 and 2 pixels become 2 and 4 device pixels at ratio 2.
class DrawDialHandAtRatio : public ::testing::TestWithParam<int> {};

TEST_P(DrawDialHandAtRatio, StrokeWidthsAndLengthsStraightUp) {
  const int r = GetParam();
  DialSurface surface = testing::MakeSurface({15.0, 15.0}, r);
  DrawDialHand(surface, 0, testing::Settings(1));
  const QImage& image = surface.image();
  // Hand pixels in the device row at logical row y.
  const auto handPixelsInRow = [&](int y) {
    int count = 0;
    for (int x = 110 * r; x < 140 * r; ++x) count += image.pixel(x, y * r) == testing::kHandRgb ? 1 : 0;
    return count;
  };
  for (int y = 1; y <= 3; ++y) EXPECT_EQ(handPixelsInRow(y), r) << "thin stroke, row " << y;  // to the rim
  for (int y = 10; y <= 115; y += 15) EXPECT_EQ(handPixelsInRow(y), 2 * r) << "main stroke, row " << y;
  EXPECT_EQ(handPixelsInRow(134), 2 * r) << "tail";
  for (int y = 140; y < 250; y += 10) EXPECT_EQ(handPixelsInRow(y), 0) << "below the tail, row " << y;
}

TEST_P(DrawDialHandAtRatio, DrawsTheHubOverAGreyShadowDownRight) {
  const int r = GetParam();
  DialSurface surface = testing::MakeSurface({15.0, 15.0}, r);
  DrawDialHand(surface, 1500, testing::Settings(1));
  const QImage& image = surface.image();
  EXPECT_EQ(image.pixel(125 * r, 125 * r), testing::kHandRgb);
  EXPECT_EQ(image.pixel(123 * r, 123 * r), testing::kHandRgb);
  EXPECT_NE(image.pixel(120 * r, 120 * r), testing::kHandRgb) << "the hub's radius is 50 twips, 3.3 pixels";
  // Only the shifted edge of the shadow shows beside the hub: a crescent down and right.
  QPoint sum;
  int shadowPixels = 0;
  for (int y = 115 * r; y < 135 * r; ++y) {
    for (int x = 115 * r; x < 135 * r; ++x) {
      if (image.pixel(x, y) != testing::kShadowRgb) continue;
      ++shadowPixels;
      sum += QPoint(x, y);
    }
  }
  ASSERT_GT(shadowPixels, 0);
  EXPECT_GT(2 * sum.x(), 251 * r * shadowPixels);
  EXPECT_GT(2 * sum.y(), 251 * r * shadowPixels);
}

INSTANTIATE_TEST_SUITE_P(Ratios, DrawDialHandAtRatio, ::testing::Values(1, 2));

TEST(DrawDialHand, TwoCallsWithoutClearingLeaveTwoHands) {
  DialSurface surface = testing::MakeSurface();
  DrawDialHand(surface, 0, testing::Settings(1));
  DrawDialHand(surface, 1500, testing::Settings(1));
  EXPECT_TRUE(HandNear(surface.image(), 100.0, 0.0));
  EXPECT_TRUE(HandNear(surface.image(), 100.0, 87.54));
}

TEST(DrawDialHand, FollowsTheAreaAtOtherTwipsPerPixel) {
  const TwipsPerPixel tpp{12.0, 12.0};
  DialSurface surface = testing::MakeSurface(tpp);
  DrawDialHand(surface, 1000, testing::Settings(1, tpp));
  ExpectHandPointing(surface.image(), 60.0);
}

TEST(DrawDialHand, LeavesLineWidthTwoAndTheHandColourAsFill) {
  // A circle's outline is one pixel wide on a fresh surface and two after a hand,
  // also across a clear: the surface keeps its drawing state.
  const auto outlinePixelsLeftOfCentre = [](const DialSurface& surface) {
    int count = 0;
    for (int x = 80; x < 125; ++x) count += surface.image().pixel(x, 125) == qRgb(0, 0, 255) ? 1 : 0;
    return count;
  };
  DialSurface surface = testing::MakeSurface();
  surface.circle({1875, 1875}, 300, 0x00FF0000);
  EXPECT_EQ(outlinePixelsLeftOfCentre(surface), 1);
  EXPECT_EQ(surface.image().pixel(125, 125), qRgb(0, 0, 0));  // initial fill black

  DrawDialHand(surface, 0, testing::Settings(1));
  surface.clear();
  surface.circle({1875, 1875}, 300, 0x00FF0000);
  EXPECT_EQ(outlinePixelsLeftOfCentre(surface), 2);
  EXPECT_EQ(surface.image().pixel(115, 125), testing::kHandRgb);
}

TEST(DrawDialHand, FaultsAreReportedAndDrawNothing) {
  struct Case {
    std::int32_t e;
    double areaTwips;
  };
  // The frame start moved below the 32-bit range; the shadow's centre beyond it.
  for (const Case c : {Case{kMin + 647, 3750.0}, Case{0, 2.0 * (kMax - 5)}}) {
    testing::RecordingReporter reporter;
    DialSurface surface = testing::MakeSurface();
    const std::uint64_t before = surface.generation();
    DrawDialHand(surface, c.e, {1, testing::kHandBgr, c.areaTwips, c.areaTwips});
    EXPECT_EQ(reporter.codes, std::vector<ErrorCode>{ErrorCode::DrawDialHand}) << c.e;
    EXPECT_EQ(surface.generation(), before);
  }
}

struct AngleCase {
  std::int32_t e;
  std::int32_t secondsPerTurn;  // 0 for a scale that stands still
  std::int32_t frameTime;       // e moved back to the start of its frame
};

TEST(HandAngle, TurnsByTheFrameStartTime) {
  const AngleCase cases[] = {{0, 6, 0},
                             {1, 6, 0},
                             {41, 6, 0},
                             {42, 6, 42},
                             {790, 6, 751},
                             {791, 6, 791},
                             {999, 6, 959},
                             {1000, 6, 1000},
                             {12345, 6, 12334},
                             {6000, 10, 6000},
                             {6000, 30, 6000},
                             {-5, 6, -1000},
                             {-12, 6, -1000},
                             {-123, 6, -916},
                             {-1234, 6, -1791},
                             {kMax, 30, 2147483626},
                             {kMin, 6, -2147483374}};
  for (const AngleCase c : cases) {
    const double rate = 360.0 / c.secondsPerTurn / 1000;
    const std::int32_t scale = c.secondsPerTurn == 6 ? 1 : c.secondsPerTurn == 10 ? 2 : 3;
    EXPECT_EQ(HandAngle(c.e, scale), static_cast<float>((c.frameTime * rate - 90) * 3.1415926 / 180)) << c.e;
  }
}

TEST(HandAngle, ThrowsWhenTheFrameTimeLeavesTheRange) {
  EXPECT_THROW(HandAngle(kMin + 647, 1), Fault);  // ends in "001": frame time -2147484000
  EXPECT_NO_THROW(HandAngle(kMin, 1));
}

TEST(FrameStartFromMillis, EveryFrameBoundary) {
  const std::int32_t starts[] = {0,   42,  84,  126, 167, 209, 251, 292, 334, 376, 417, 459,
                                 501, 542, 584, 626, 667, 709, 751, 791, 834, 876, 917, 959};
  for (std::size_t k = 1; k < std::size(starts); ++k) {
    EXPECT_EQ(FrameStartFromMillis(starts[k] - 1, 24), starts[k - 1]) << starts[k];
    EXPECT_EQ(FrameStartFromMillis(starts[k], 24), starts[k]);
  }
  for (const std::int32_t ms : {0, -1, -999, kMin}) EXPECT_EQ(FrameStartFromMillis(ms, 24), 0) << ms;
  for (const std::int32_t ms : {999, 1000, kMax}) EXPECT_EQ(FrameStartFromMillis(ms, 24), 959) << ms;
  for (const std::int32_t rate : {0, 25, -24, 30}) EXPECT_EQ(FrameStartFromMillis(500, rate), 0) << rate;
}

}  // namespace
}  // namespace tovira
