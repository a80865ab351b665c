#include "engine/layout.h"

#include <gtest/gtest.h>

namespace tovira {
namespace {

TEST(Stacking, EveryRowOfTheTable) {
  struct Row {
    int b, d, a;
    StackingTops tops;
  };
  const Row rows[] = {
      {0, 0, 0, {0, 0, 0, 60}},          {0, 0, 1, {60, 0, 0, 3900}},
      {0, 1, 0, {0, 60, 0, 600}},        {0, 1, 1, {60, 3900, 0, 4440}},
      {1, 0, 0, {0, 0, 60, 600}},        {1, 0, 1, {60, 0, 3900, 4440}},
      {1, 1, 0, {0, 60, 600, 1140}},     {1, 1, 1, {60, 3900, 4450, 4980}},
  };
  for (const auto& row : rows) {
    const auto tops = StackingFor(row.b, row.d, row.a);
    ASSERT_TRUE(tops) << row.b << row.d << row.a;
    EXPECT_EQ(tops->imgWatch, row.tops.imgWatch);
    EXPECT_EQ(tops->lblTime, row.tops.lblTime);
    EXPECT_EQ(tops->buttons, row.tops.buttons);
    EXPECT_EQ(tops->lstLap, row.tops.lstLap);
  }
}

TEST(Stacking, AnOptionOutsideZeroAndOneMatchesNoRow) {
  EXPECT_FALSE(StackingFor(2, 1, 1));
  EXPECT_FALSE(StackingFor(1, -1, 1));
  EXPECT_FALSE(StackingFor(1, 1, 2));
}

TEST(LapListHeight, AroundItsThresholds) {
  EXPECT_EQ(LapListHeight(6300, 4980), 6300 - 4980 - 60);
  EXPECT_EQ(LapListHeight(6300, 60), 6300 - 120);
  EXPECT_EQ(LapListHeight(5041, 4980), 1);    // 61 twips of room
  EXPECT_EQ(LapListHeight(5040, 4980), 0);    // exactly the margin
  EXPECT_EQ(LapListHeight(5000, 4980), 0);    // would be negative: clamped
  EXPECT_EQ(LapListHeight(4981, 4980), 0);    // d = 1
  EXPECT_EQ(LapListHeight(4980.5, 4980), 1000);  // d rounds to 0 (half to even)
  EXPECT_EQ(LapListHeight(4981.5, 4980), 0);  // d = 1.5 rounds to 2
  EXPECT_EQ(LapListHeight(4980, 4980), 1000);
  EXPECT_EQ(LapListHeight(100, 4980), 1000);
}

}  // namespace
}  // namespace tovira
