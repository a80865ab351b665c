#include "window/dial_surface.h"

#include "common/failure.h"

#include <QPainter>
#include <QPen>

#include <cmath>
#include <cstring>
#include <utility>

namespace tovira {
namespace {

constexpr QImage::Format kSurfaceFormat = QImage::Format_RGB32;

QImage InSurfaceFormat(const QImage& image) {
  return image.format() == kSurfaceFormat ? image : image.convertToFormat(kSurfaceFormat);
}

// The picture in the surface's format, resampled pixel by pixel to the given device pixel ratio.
QImage AtRatio(const QImage& image, qreal devicePixelRatio) {
  QImage result = InSurfaceFormat(image);
  if (result.devicePixelRatio() == devicePixelRatio) return result;
  const QSize size = (result.deviceIndependentSize() * devicePixelRatio).toSize();
  result = result.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  result.setDevicePixelRatio(devicePixelRatio);
  return result;
}

// A painter for one drawing operation, without smoothing. It takes logical pixels:
// on a picture of device pixel ratio 2 it draws every coordinate, radius and pen
// width twice as large in device pixels.
class AliasedPainter : public QPainter {
 public:
  explicit AliasedPainter(QImage* image) : QPainter(image) { setRenderHint(QPainter::Antialiasing, false); }
};

// Every outline and line is solid with round ends, its width in logical pixels.
QPen RoundPen(std::uint32_t bgr, int width) {
  return QPen(ColorFromBgr(bgr), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

}  // namespace

QColor ColorFromBgr(std::uint32_t bgr) {
  return QColor(static_cast<int>(bgr & 0xFFu), static_cast<int>((bgr >> 8) & 0xFFu),
                static_cast<int>((bgr >> 16) & 0xFFu));
}

QRect ChangedArea(const QImage& before, const QImage& after) {
  const QRect whole(QPoint(0, 0), after.deviceIndependentSize().toSize());
  const qreal ratio = after.devicePixelRatio();
  if (before.size() != after.size() || before.format() != after.format() || after.depth() != 32 ||
      before.devicePixelRatio() != ratio || ratio != std::floor(ratio)) {
    return whole;
  }
  // Rows of 32-bit pixels are never padded.
  const auto pixels = [](const QImage& image) {
    return std::span(reinterpret_cast<const std::uint32_t*>(image.constBits()),
                     static_cast<std::size_t>(image.width()) * static_cast<std::size_t>(image.height()));
  };
  const PixelRect area = ChangedPixels(pixels(before), pixels(after), after.width(), static_cast<int>(ratio));
  return QRect(area.left, area.top, area.width, area.height).intersected(whole);
}

DialSurface::DialSurface(QImage face, QImage digitStrip, TwipsPerPixel tpp)
    : face_(InSurfaceFormat(face)),
      digitStrip_(AtRatio(digitStrip, face_.devicePixelRatio())),
      tpp_(tpp),
      image_(face_),
      presented_(face_) {}

void DialSurface::paintFace() {
  image_ = face_;  // shared until the next drawing detaches it
}

void DialSurface::paintFromDigitStrip(const TwipsRect& sourceTwips, PointF destinationTwips) {
  copyPicture(digitStrip_, QRectF(sourceTwips.left, sourceTwips.top, sourceTwips.width, sourceTwips.height),
              QPointF(destinationTwips.x, destinationTwips.y));
}

PixelRect DialSurface::takeChangedArea() {
  const QRect area = ChangedArea(presented_, image_);
  presented_ = image_;  // shared, not copied, until the next drawing
  return {area.x(), area.y(), area.width(), area.height()};
}

void DialSurface::copyPicture(const QImage& source, QRectF sourceTwips, QPointF destinationTwips) {
  const auto copy =
      ClipPixelCopy(TwipsRect{sourceTwips.x(), sourceTwips.y(), sourceTwips.width(), sourceTwips.height()},
                    PointF{destinationTwips.x(), destinationTwips.y()}, tpp_, devicePixelRatio(),
                    PixelRect{0, 0, source.width(), source.height()}, PixelRect{0, 0, image_.width(), image_.height()});
  noteChange();
  if (!copy) return;
  const QImage pixels = InSurfaceFormat(source);
  const auto rowBytes = static_cast<std::size_t>(copy->from.width) * sizeof(QRgb);
  for (int row = 0; row < copy->from.height; ++row) {
    const auto* in = reinterpret_cast<const QRgb*>(pixels.constScanLine(copy->from.top + row)) + copy->from.left;
    auto* out = reinterpret_cast<QRgb*>(image_.scanLine(copy->toTop + row)) + copy->toLeft;
    std::memcpy(out, in, rowBytes);
  }
}

void DialSurface::paintCircle(PointF centreTwips, double radiusTwips, std::uint32_t fillBgr, std::uint32_t outlineBgr,
                              int outlineWidth) {
  const QPointF centre = toPixels(centreTwips);
  const double radius = radiusTwips / tpp_.x;  // a circle, measured along x
  const CircleStamp& stamp = stampFor(centre, radius, fillBgr, outlineBgr, outlineWidth);
  // Nothing is antialiased, so a covered pixel is opaque and every other one clear.
  for (int row = 0; row < stamp.pixels.height(); ++row) {
    const auto* in = reinterpret_cast<const QRgb*>(stamp.pixels.constScanLine(row));
    auto* out = reinterpret_cast<QRgb*>(image_.scanLine(stamp.topLeft.y() + row)) + stamp.topLeft.x();
    for (int x = 0; x < stamp.pixels.width(); ++x) {
      if (qAlpha(in[x]) != 0) out[x] = in[x];
    }
  }
}

// The hub is drawn at the same place in the same colours on every frame of the
// hand. Each circle is outlined once, on a clear picture of the surface's own size
// so that it covers exactly the pixels it would cover drawn on the surface itself.
const DialSurface::CircleStamp& DialSurface::stampFor(QPointF centre, double radius, std::uint32_t fillBgr,
                                                      std::uint32_t outlineBgr, int outlineWidth) {
  for (const CircleStamp& stamp : circleStamps_) {
    if (stamp.centre == centre && stamp.radius == radius && stamp.lineWidth == outlineWidth &&
        stamp.outlineBgr == outlineBgr && stamp.fillBgr == fillBgr) {
      return stamp;
    }
  }
  QImage canvas(image_.size(), QImage::Format_ARGB32_Premultiplied);
  canvas.setDevicePixelRatio(image_.devicePixelRatio());
  canvas.fill(Qt::transparent);
  const QImage clear = canvas;  // shared until the painter detaches the canvas
  {
    AliasedPainter painter(&canvas);
    painter.setPen(RoundPen(outlineBgr, outlineWidth));
    painter.setBrush(ColorFromBgr(fillBgr));
    painter.drawEllipse(centre, radius, radius);
  }
  // The changed area comes in logical pixels: its device pixels may hold a few clear ones more.
  const QRect logical = ChangedArea(clear, canvas);
  const qreal ratio = canvas.devicePixelRatio();
  const QRect covered = QRectF(QPointF(logical.topLeft()) * ratio, QSizeF(logical.size()) * ratio)
                            .toAlignedRect()
                            .intersected(canvas.rect());
  // A few distinct circles at most are in use; a surface drawn with ever new ones starts afresh.
  constexpr std::size_t kMostStamps = 8;
  if (circleStamps_.size() == kMostStamps) circleStamps_.clear();
  // A circle wholly off the surface covers nothing (and copy() of an empty rectangle would copy everything).
  QImage pixels = covered.isEmpty() ? QImage() : canvas.copy(covered);
  return circleStamps_.emplace_back(
      CircleStamp{centre, radius, outlineWidth, outlineBgr, fillBgr, covered.topLeft(), std::move(pixels)});
}

void DialSurface::paintLine(PointF fromTwips, PointF toTwips, std::uint32_t bgr, int width) {
  const QPointF from = toPixels(fromTwips);
  const QPointF to = toPixels(toTwips);
  AliasedPainter painter(&image_);
  painter.setPen(RoundPen(bgr, width));
  painter.drawLine(from, to);
}

QPointF DialSurface::toPixels(PointF twips) const { return {twips.x / tpp_.x, twips.y / tpp_.y}; }

}  // namespace tovira
