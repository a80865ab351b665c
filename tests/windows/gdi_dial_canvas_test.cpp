// The dial's GDI canvas at both densities, on pictures made here: a white face and
// a strip whose ten cells each have their own grey. What is drawn lands where the
// dial's operations put it, clipped at the edges, in the colours drawn only, and
// the changed area holds every pixel that changed.

#include "dial/dial_drawing.h"
#include "windows/gdi_dial_canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <vector>

namespace tovira::win32 {
namespace {

constexpr std::uint32_t kWhite = 0x00FFFFFF;
constexpr std::uint32_t kHandBgr = 0x000000C8;  // as GDI takes it; the pixel reads 0x00C80000

// The grey of the cell that holds digit cell c (0 to 9), as a pixel.
std::uint32_t CellGrey(int cell) {
  const std::uint32_t level = 20 + 20 * static_cast<std::uint32_t>(cell);
  return level << 16 | level << 8 | level;
}

void Fill(const DibPicture& picture, RECT area, std::uint32_t pixel) {
  SetDCBrushColor(picture.dc(), RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF));
  FillRect(picture.dc(), &area, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

DialPictures MadePictures(int ratio) {
  DialPictures pictures{ratio, DibPicture(250 * ratio, 250 * ratio), DibPicture(150 * ratio, 30 * ratio)};
  Fill(pictures.face, RECT{0, 0, 250 * ratio, 250 * ratio}, kWhite);
  for (int cell = 0; cell < 10; ++cell) {
    Fill(pictures.digits, RECT{15 * cell * ratio, 0, 15 * (cell + 1) * ratio, 30 * ratio}, CellGrey(cell));
  }
  GdiFlush();
  return pictures;
}

GdiDialCanvas MadeCanvas(int ratio) { return GdiDialCanvas(MadePictures(ratio)); }

std::uint32_t PixelAt(const GdiDialCanvas& canvas, int x, int y) {
  GdiFlush();
  return canvas.picture().pixels()[static_cast<std::size_t>(y) * canvas.picture().width() + x];
}

// Device pixels that are not white, as a rectangle in canvas pixels.
PixelRect PaintedArea(const GdiDialCanvas& canvas) {
  GdiFlush();
  const int width = canvas.picture().width(), ratio = canvas.ratio();
  int left = width, top = width, right = -1, bottom = -1;
  const auto pixels = canvas.picture().pixels();
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    if (pixels[i] == kWhite) continue;
    const int x = static_cast<int>(i % width), y = static_cast<int>(i / width);
    left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
  }
  if (right < 0) return {};
  return {left / ratio, top / ratio, right / ratio - left / ratio + 1, bottom / ratio - top / ratio + 1};
}

// A digit cell (15 x 30 canvas pixels) copied to places in, across and beyond the
// dial's edges, and from across the strip's end.
TEST(GdiDialCanvas, DigitCopiesAreClippedToTheStripAndTheDial) {
  struct Case {
    const char* name;
    int sourceLeft;        // canvas pixels in the strip
    int x, y;              // where it goes on the dial
    PixelRect painted;     // what changes on the dial
  };
  const Case cases[] = {
      {"inside", 30, 110, 15, {110, 15, 15, 30}},
      {"across the right edge", 30, 240, 15, {240, 15, 10, 30}},
      {"across the bottom edge", 30, 100, 235, {100, 235, 15, 15}},
      {"beyond the dial", 30, 300, 15, {}},
      {"across the strip's end", 140, 50, 50, {50, 50, 10, 30}},
  };
  for (const int ratio : {1, 2}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << c.name << " at ratio " << ratio);
      GdiDialCanvas canvas = MadeCanvas(ratio);
      canvas.takeChangedArea();
      canvas.copyDigitStrip(TwipsRect{c.sourceLeft * 15.0, 0, 15 * 15.0, 30 * 15.0}, PointF{c.x * 15.0, c.y * 15.0});
      EXPECT_EQ(PaintedArea(canvas), c.painted);
      EXPECT_EQ(canvas.takeChangedArea(), c.painted);
      if (!c.painted.empty()) {
        // The cell's own grey, the first device pixel of the copy and the last.
        const int cell = c.sourceLeft / 15;
        EXPECT_EQ(PixelAt(canvas, c.x * ratio, c.y * ratio), CellGrey(cell));
        EXPECT_EQ(PixelAt(canvas, (c.painted.left + c.painted.width) * ratio - 1,
                          (c.painted.top + c.painted.height) * ratio - 1),
                  CellGrey((c.sourceLeft + c.painted.width - 1) / 15));
      }
    }
  }
}

// The hub and the hand as the dial draws them: in their two colours only, nothing
// smoothed; the changed area covers them; twice the density draws about four times
// the pixels, lines and circles at twice the width.
TEST(GdiDialCanvas, TheHandInItsColoursOnlyAtBothDensities) {
  std::vector<std::size_t> handPixels;
  for (const int ratio : {1, 2}) {
    SCOPED_TRACE(testing::Message() << "ratio " << ratio);
    GdiDialCanvas canvas = MadeCanvas(ratio);
    canvas.takeChangedArea();
    DrawDialHand(canvas, 1234, HandSettings{1, kHandBgr, 3750, 3750});
    GdiFlush();
    const auto pixels = canvas.picture().pixels();
    EXPECT_EQ(std::set<std::uint32_t>(pixels.begin(), pixels.end()),
              (std::set<std::uint32_t>{kWhite, 0x00C80000, 0x007E7E7E}));
    handPixels.push_back(static_cast<std::size_t>(std::count(pixels.begin(), pixels.end(), 0x00C80000u)));
    const PixelRect painted = PaintedArea(canvas);
    EXPECT_FALSE(painted.empty());
    EXPECT_EQ(canvas.takeChangedArea(), painted);
    EXPECT_EQ(canvas.takeChangedArea(), PixelRect{});  // nothing since
  }
  EXPECT_GT(handPixels[1], 3 * handPixels[0]);
  EXPECT_LT(handPixels[1], 5 * handPixels[0]);
}

TEST(GdiDialCanvas, AnotherDensitysPicturesStartFromTheBareFace) {
  GdiDialCanvas canvas = MadeCanvas(1);
  DrawDialHand(canvas, 0, HandSettings{1, kHandBgr, 3750, 3750});
  const std::uint64_t generation = canvas.generation();
  canvas.usePictures(MadePictures(2));
  EXPECT_EQ(canvas.ratio(), 2);
  EXPECT_EQ(canvas.picture().width(), 500);
  EXPECT_EQ(PaintedArea(canvas), PixelRect{});
  EXPECT_GT(canvas.generation(), generation);
}

}  // namespace
}  // namespace tovira::win32
