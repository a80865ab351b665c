// What a canvas shares with every front end: which pixels a copy moves, and where
// two of its pictures differ.

#include "dial/dial_canvas.h"

#include "common/failure.h"

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

// A strip 40 x 20 device pixels copied onto a surface 30 x 30, at 15 twips a canvas pixel.
TEST(ClipPixelCopy, WholeCanvasPixelsClippedToBothPictures) {
  const PixelRect strip{0, 0, 40, 20}, surface{0, 0, 30, 30};
  const struct {
    TwipsRect source;
    PointF destination;
    double ratio;
    std::optional<PixelCopy> expected;
  } rows[] = {
      {{150, 0, 150, 300}, {75, 150}, 1, PixelCopy{{10, 0, 10, 20}, 5, 10}},
      {{157, 0, 150, 300}, {75, 150}, 1, PixelCopy{{10, 0, 10, 20}, 5, 10}},  // 10.47 px is pixel 10
      {{450, 0, 300, 300}, {0, 0}, 1, PixelCopy{{30, 0, 10, 20}, 0, 0}},     // past the strip's right edge
      {{0, 0, 300, 300}, {300, 225}, 1, PixelCopy{{0, 0, 10, 15}, 20, 15}},  // past the surface's corner
      {{0, 0, 300, 300}, {-75, 0}, 1, PixelCopy{{5, 0, 15, 20}, 0, 0}},      // left of the surface
      {{150, 0, 75, 75}, {75, 0}, 2, PixelCopy{{20, 0, 10, 10}, 10, 0}},     // doubled pictures
      {{0, 0, 0, 300}, {0, 0}, 1, std::nullopt},                           // nothing to copy
      {{600, 0, 150, 150}, {0, 0}, 1, std::nullopt},                       // wholly off the strip
      {{0, 0, 150, 150}, {450, 0}, 1, std::nullopt},                       // wholly off the surface
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ClipPixelCopy(row.source, row.destination, TwipsPerPixel{}, row.ratio, strip, surface), row.expected)
        << row.source.left << "," << row.destination.x << " at ratio " << row.ratio;
  }
  // An edge beyond the 32-bit range would wrap around the clipping.
  EXPECT_THROW(ClipPixelCopy({0, 0, 2147483647.0 * 15, 15}, {15, 0}, TwipsPerPixel{}, 1, strip, surface), Fault);
}

}  // namespace
}  // namespace tovira
