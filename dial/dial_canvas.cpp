#include "dial/dial_canvas.h"

#include "common/checked_math.h"
#include "common/failure.h"

#include <algorithm>

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

namespace {

PixelRect Intersection(const PixelRect& a, const PixelRect& b) {
  const int left = std::max(a.left, b.left);
  const int top = std::max(a.top, b.top);
  const int right = std::min(a.left + a.width, b.left + b.width);
  const int bottom = std::min(a.top + a.height, b.top + b.height);
  return {left, top, right - left, bottom - top};
}

}  // namespace

std::optional<PixelCopy> ClipPixelCopy(const TwipsRect& sourceTwips, PointF destinationTwips, TwipsPerPixel tpp,
                                       double ratio, PixelRect source, PixelRect surface) {
  const auto device = [ratio](int canvasPixels) { return RoundToInt32(canvasPixels * ratio); };
  const PixelRect wanted{device(tpp.toPixelsX(sourceTwips.left)), device(tpp.toPixelsY(sourceTwips.top)),
                         device(tpp.toPixelsX(sourceTwips.width)), device(tpp.toPixelsY(sourceTwips.height))};
  const int x = device(tpp.toPixelsX(destinationTwips.x));
  const int y = device(tpp.toPixelsY(destinationTwips.y));
  // Every edge and offset used below must stay in range, or the clipping would wrap around.
  CheckedAdd(wanted.left, wanted.width);
  CheckedAdd(wanted.top, wanted.height);
  CheckedAdd(x, wanted.width);
  CheckedAdd(y, wanted.height);
  const int dx = CheckedSub(x, wanted.left);
  const int dy = CheckedSub(y, wanted.top);
  if (wanted.empty()) return std::nullopt;

  PixelRect from = Intersection(wanted, source);
  if (from.empty()) return std::nullopt;
  const PixelRect to = Intersection({from.left + dx, from.top + dy, from.width, from.height}, surface);
  if (to.empty()) return std::nullopt;
  from = {to.left - dx, to.top - dy, to.width, to.height};
  return PixelCopy{from, to.left, to.top};
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
