#include "display/frame_table.h"

#include <gtest/gtest.h>

#include <limits>

#include "display/time_formats.h"
#include "support/recording_reporter.h"

namespace tovira {
namespace {

// The frames as millisecond ranges, written out on their own rather than derived
// from kFrameStarts; the last row is open-ended.
struct FrameRange {
  std::int32_t first;
  std::int32_t last;
};
constexpr FrameRange kRanges[24] = {
    {0, 41},    {42, 83},   {84, 125},  {126, 166}, {167, 208}, {209, 250}, {251, 291}, {292, 333},
    {334, 375}, {376, 416}, {417, 458}, {459, 500}, {501, 541}, {542, 583}, {584, 625}, {626, 666},
    {667, 708}, {709, 750}, {751, 790}, {791, 833}, {834, 875}, {876, 916}, {917, 958}, {959, 999},
};

int ExpectedFrame(std::int32_t ms) {
  for (int k = 23; k > 0; --k) {
    if (ms >= kRanges[k].first) return k;
  }
  return 0;
}

TEST(FrameTable, StartsAreTheFirstMillisecondOfEachRange) {
  for (int k = 0; k < 24; ++k) EXPECT_EQ(kFrameStarts[k], kRanges[k].first) << "frame " << k;
}

// Covers every start and the millisecond before it, for all 24 frames.
TEST(FrameTable, AgreesWithTheRangesOverAndAroundOneSecond) {
  testing::RecordingReporter reporter;
  for (std::int32_t ms = -50; ms <= 1100; ++ms) {
    ASSERT_EQ(FrameIndexAt(ms), ExpectedFrame(ms)) << "ms " << ms;
    ASSERT_EQ(FrameFromMillis(ms, 24), ExpectedFrame(ms)) << "ms " << ms;
  }
  EXPECT_TRUE(reporter.codes.empty());
}

TEST(FrameTable, OutOfRangeMillisecondsClampToTheEndFrames) {
  constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
  constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
  for (std::int32_t ms : {kMin, -1000, -1}) EXPECT_EQ(FrameIndexAt(ms), 0) << "ms " << ms;
  for (std::int32_t ms : {999, 1000, 5000, kMax}) EXPECT_EQ(FrameIndexAt(ms), 23) << "ms " << ms;
  EXPECT_EQ(FrameFromMillis(kMin, 24), 0);
  EXPECT_EQ(FrameFromMillis(kMax, 24), 23);
}

}  // namespace
}  // namespace tovira
