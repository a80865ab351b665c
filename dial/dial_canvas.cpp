#include "dial/dial_canvas.h"

#include "common/failure.h"

#include <cstring>

namespace tovira {

PixelRect ChangedPixels(std::span<const std::uint32_t> before, std::span<const std::uint32_t> after, int width,
                        int ratio) {
  const auto columns = static_cast<std::size_t>(width);
  const std::size_t rows = columns == 0 ? 0 : after.size() / columns;
  int top = -1, bottom = -1, left = width, right = -1;
  for (std::size_t y = 0; y < rows; ++y) {
    const std::uint32_t* was = before.data() + y * columns;
    const std::uint32_t* now = after.data() + y * columns;
    if (std::memcmp(was, now, columns * sizeof *now) == 0) continue;
    if (top < 0) top = static_cast<int>(y);
    bottom = static_cast<int>(y);
    int x = 0;
    while (x < left && was[x] == now[x]) ++x;
    left = x;
    x = width - 1;
    while (x > right && was[x] == now[x]) --x;
    right = x;
  }
  if (top < 0) return {};
  // Device pixels to the canvas pixels that hold them.
  const int canvasLeft = left / ratio;
  const int canvasTop = top / ratio;
  return {canvasLeft, canvasTop, right / ratio + 1 - canvasLeft, bottom / ratio + 1 - canvasTop};
}

void DialCanvas::clear() {
  noteChange();
  paintFace();
}

void DialCanvas::copyDigitStrip(const TwipsRect& sourceTwips, PointF destinationTwips) {
  noteChange();
  paintFromDigitStrip(sourceTwips, destinationTwips);
}

void DialCanvas::setLineWidth(int pixels) {
  if (pixels < 1) RaiseFault("line width below one pixel");
  lineWidth_ = pixels;
}

void DialCanvas::circle(PointF centreTwips, double radiusTwips, std::uint32_t outlineBgr) {
  noteChange();
  paintCircle(centreTwips, radiusTwips, fillBgr_, outlineBgr, lineWidth_);
}

void DialCanvas::line(PointF fromTwips, PointF toTwips, std::uint32_t bgr) {
  noteChange();
  paintLine(fromTwips, toTwips, bgr, lineWidth_);
}

}  // namespace tovira
