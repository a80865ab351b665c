#include "dial/dial_canvas.h"

#include "common/failure.h"

namespace tovira {

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
