// What a canvas shares with every front end: where two of its pictures differ.

#include "dial/dial_canvas.h"

#include <gtest/gtest.h>

#include <vector>

namespace tovira {
namespace {

TEST(ChangedPixels, TheSmallestRectangleOfCanvasPixelsHoldingEveryDifference) {
  const std::vector<std::uint32_t> before(24, 0);
  const struct {
    std::vector<std::size_t> changed;  // indexes in a picture 4 wide, 6 high
    int ratio;
    PixelRect expected;
  } rows[] = {
      {{}, 1, {}},
      {{5}, 1, {1, 1, 1, 1}},
      {{3, 8}, 1, {0, 0, 4, 3}},
      {{6, 10}, 1, {2, 1, 1, 2}},
      {{5}, 2, {0, 0, 1, 1}},          // device pixel (1, 1) is canvas pixel (0, 0)
      {{6, 23}, 2, {1, 0, 1, 3}},      // (2, 1) and (3, 5): canvas column 1, rows 0 to 2
  };
  for (const auto& row : rows) {
    std::vector<std::uint32_t> after = before;
    for (const std::size_t i : row.changed) after[i] = 1;
    const PixelRect area = ChangedPixels(before, after, 4, row.ratio);
    EXPECT_EQ(area, row.expected) << row.changed.size() << " changed at ratio " << row.ratio;
  }
}

}  // namespace
}  // namespace tovira
