#include "windows/gdi_dial_canvas.h"

#include "common/checked_math.h"

#include <algorithm>
#include <cstring>

namespace tovira::win32 {
namespace {

// Solid, with round ends and joins: the hand's ends and the hub's outline are round.
UniquePen RoundPen(std::uint32_t bgr, int width) {
  const LOGBRUSH brush{BS_SOLID, bgr, 0};
  return UniquePen(ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND, static_cast<DWORD>(width),
                                &brush, 0, nullptr));
}

}  // namespace

GdiDialCanvas::GdiDialCanvas(DialPictures pictures) { usePictures(std::move(pictures)); }

void GdiDialCanvas::usePictures(DialPictures pictures) {
  DibPicture surface(pictures.face.width(), pictures.face.height());
  state_ = std::make_unique<State>(State{std::move(pictures), std::move(surface), {}});
  paintFace();
  GdiFlush();
  const auto face = state_->surface.pixels();
  state_->presented.assign(face.begin(), face.end());
  noteChange();
}

void GdiDialCanvas::paintFace() {
  const DibPicture& face = state_->pictures.face;
  BitBlt(state_->surface.dc(), 0, 0, face.width(), face.height(), face.dc(), 0, 0, SRCCOPY);
}

void GdiDialCanvas::paintFromDigitStrip(const TwipsRect& sourceTwips, PointF destinationTwips) {
  const DibPicture& strip = state_->pictures.digits;
  const DibPicture& surface = state_->surface;
  const auto copy = ClipPixelCopy(sourceTwips, destinationTwips, twipsPerPixel(), ratio(),
                                  PixelRect{0, 0, strip.width(), strip.height()},
                                  PixelRect{0, 0, surface.width(), surface.height()});
  if (!copy) return;
  BitBlt(surface.dc(), copy->toLeft, copy->toTop, copy->from.width, copy->from.height, strip.dc(), copy->from.left,
         copy->from.top, SRCCOPY);
}

POINT GdiDialCanvas::toDevice(PointF twips) const {
  const TwipsPerPixel tpp = twipsPerPixel();
  return POINT{RoundToInt32(twips.x / tpp.x * ratio()), RoundToInt32(twips.y / tpp.y * ratio())};
}

void GdiDialCanvas::paintCircle(PointF centreTwips, double radiusTwips, std::uint32_t fillBgr,
                                std::uint32_t outlineBgr, int outlineWidth) {
  const HDC dc = state_->surface.dc();
  const POINT centre = toDevice(centreTwips);
  const double radius = radiusTwips / twipsPerPixel().x * ratio();  // a circle, measured along x
  const UniquePen pen = RoundPen(outlineBgr, outlineWidth * ratio());
  const SelectedObject selectedPen(dc, pen.get());
  const SelectedObject selectedBrush(dc, GetStockObject(DC_BRUSH));
  SetDCBrushColor(dc, fillBgr);
  // The rectangle's right and bottom edges are outside the ellipse GDI draws.
  Ellipse(dc, RoundToInt32(centre.x - radius), RoundToInt32(centre.y - radius), RoundToInt32(centre.x + radius) + 1,
          RoundToInt32(centre.y + radius) + 1);
}

void GdiDialCanvas::paintLine(PointF fromTwips, PointF toTwips, std::uint32_t bgr, int width) {
  const HDC dc = state_->surface.dc();
  const POINT from = toDevice(fromTwips);
  const POINT to = toDevice(toTwips);
  const UniquePen pen = RoundPen(bgr, width * ratio());
  const SelectedObject selectedPen(dc, pen.get());
  MoveToEx(dc, from.x, from.y, nullptr);
  LineTo(dc, to.x, to.y);
}

PixelRect GdiDialCanvas::takeChangedArea() {
  GdiFlush();
  const auto now = state_->surface.pixels();
  const PixelRect changed = ChangedPixels(state_->presented, now, state_->surface.width(), ratio());
  std::copy(now.begin(), now.end(), state_->presented.begin());
  return changed;
}

}  // namespace tovira::win32
