#include "dial/dial_surface.h"

#include "common/failure.h"

#include <QPainter>
#include <QPen>

#include <cstring>

namespace tovira {
namespace {

constexpr QImage::Format kSurfaceFormat = QImage::Format_RGB32;

QImage InSurfaceFormat(const QImage& image) {
  return image.format() == kSurfaceFormat ? image : image.convertToFormat(kSurfaceFormat);
}

// A painter for one drawing operation, without smoothing.
class AliasedPainter : public QPainter {
 public:
  explicit AliasedPainter(QImage* image) : QPainter(image) { setRenderHint(QPainter::Antialiasing, false); }
};

}  // namespace

QColor ColorFromBgr(std::uint32_t bgr) {
  return QColor(static_cast<int>(bgr & 0xFFu), static_cast<int>((bgr >> 8) & 0xFFu),
                static_cast<int>((bgr >> 16) & 0xFFu));
}

DialSurface::DialSurface(QImage face, QImage digitStrip, TwipsPerPixel tpp)
    : face_(InSurfaceFormat(face)), digitStrip_(InSurfaceFormat(digitStrip)), tpp_(tpp), image_(face_) {}

void DialSurface::clear() {
  image_ = face_;  // shared until the next drawing detaches it
  ++generation_;
}

void DialSurface::copyPicture(const QImage& source, QRectF sourceTwips, QPointF destinationTwips) {
  const int left = tpp_.toPixelsX(sourceTwips.x());
  const int top = tpp_.toPixelsY(sourceTwips.y());
  const int width = tpp_.toPixelsX(sourceTwips.width());
  const int height = tpp_.toPixelsY(sourceTwips.height());
  const QPoint destination(tpp_.toPixelsX(destinationTwips.x()), tpp_.toPixelsY(destinationTwips.y()));
  // Every edge and offset used below must stay in range, or the clipping would wrap around.
  CheckedAdd(left, width);
  CheckedAdd(top, height);
  CheckedAdd(destination.x(), width);
  CheckedAdd(destination.y(), height);
  CheckedSub(destination.x(), left);
  CheckedSub(destination.y(), top);
  ++generation_;
  if (width <= 0 || height <= 0) return;
  const QRect wanted(left, top, width, height);

  // Clip against the source, then against the surface, keeping both rectangles aligned.
  QRect from = wanted.intersected(source.rect());
  QRect to = from.translated(destination - wanted.topLeft()).intersected(image_.rect());
  if (to.isEmpty()) return;
  from = to.translated(wanted.topLeft() - destination);

  const QImage pixels = InSurfaceFormat(source);
  const auto rowBytes = static_cast<std::size_t>(to.width()) * sizeof(QRgb);
  for (int row = 0; row < to.height(); ++row) {
    const auto* in = reinterpret_cast<const QRgb*>(pixels.constScanLine(from.y() + row)) + from.x();
    auto* out = reinterpret_cast<QRgb*>(image_.scanLine(to.y() + row)) + to.x();
    std::memcpy(out, in, rowBytes);
  }
}

void DialSurface::setLineWidth(int pixels) {
  if (pixels < 1) RaiseFault("line width below one pixel");
  lineWidth_ = pixels;
}

void DialSurface::setFillColor(std::uint32_t bgr) { fillBgr_ = bgr; }

void DialSurface::circle(QPointF centreTwips, double radiusTwips, std::uint32_t outlineBgr) {
  const QPointF centre = toPixels(centreTwips);
  const double radius = radiusTwips / tpp_.x;  // a circle, measured along x
  ++generation_;
  AliasedPainter painter(&image_);
  painter.setPen(QPen(ColorFromBgr(outlineBgr), lineWidth_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(ColorFromBgr(fillBgr_));
  painter.drawEllipse(centre, radius, radius);
}

void DialSurface::line(QPointF fromTwips, QPointF toTwips, std::uint32_t bgr) {
  const QPointF from = toPixels(fromTwips);
  const QPointF to = toPixels(toTwips);
  ++generation_;
  AliasedPainter painter(&image_);
  painter.setPen(QPen(ColorFromBgr(bgr), lineWidth_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawLine(from, to);
}

QPointF DialSurface::toPixels(QPointF twips) const { return {twips.x() / tpp_.x, twips.y() / tpp_.y}; }

}  // namespace tovira
