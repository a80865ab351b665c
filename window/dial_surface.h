#pragma once
// The dial's drawing surface on a QImage. Pixels here are logical pixels. The picture itself has the face's device pixel
// ratio: on a high-density screen it holds 2 x 2 device pixels for each logical
// one, so the face, the labels and the hand are drawn sharp rather than enlarged.

#include "dial/dial_canvas.h"

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRectF>

#include <cstdint>
#include <vector>

namespace tovira {

// A colour value 0x00BBGGRR as a QColor; the high byte is ignored.
QColor ColorFromBgr(std::uint32_t bgr);

// The smallest rectangle, in logical pixels, holding every pixel in which two
// pictures of the dial differ (empty when they are the same), so that a view
// repaints only that: from one frame of the hand to the next most of the dial
// stays as it was. Pictures of different sizes, ratios or formats differ everywhere.
QRect ChangedArea(const QImage& before, const QImage& after);

class DialSurface final : public DialCanvas {
 public:
  // The surface takes its device pixel ratio from the face; a digit strip of
  // another ratio is resampled to it once, so labels stay plain pixel copies.
  DialSurface(QImage face, QImage digitStrip, TwipsPerPixel tpp);

  // Replaces the pixels of a rectangle with those of `source` (no blending).
  // Parts of the rectangle outside the source or the surface are left out.
  // The source is read at the surface's device pixel ratio, as the digit strip is.
  void copyPicture(const QImage& source, QRectF sourceTwips, QPointF destinationTwips);

  PixelRect takeChangedArea() override;
  TwipsPerPixel twipsPerPixel() const override { return tpp_; }

  const QImage& image() const { return image_; }
  const QImage& digitStrip() const { return digitStrip_; }
  qreal devicePixelRatio() const { return image_.devicePixelRatio(); }

 private:
  void paintFace() override;
  void paintFromDigitStrip(const TwipsRect& sourceTwips, PointF destinationTwips) override;
  // The same circle drawn again costs a copy of its pixels rather than a new outline.
  void paintCircle(PointF centreTwips, double radiusTwips, std::uint32_t fillBgr, std::uint32_t outlineBgr,
                   int outlineWidth) override;
  void paintLine(PointF fromTwips, PointF toTwips, std::uint32_t bgr, int width) override;

  // A circle as drawn once: its pixels where it covers the surface, transparent elsewhere.
  struct CircleStamp {
    QPointF centre;
    double radius;
    int lineWidth;
    std::uint32_t outlineBgr;
    std::uint32_t fillBgr;
    QPoint topLeft;  // device pixels
    QImage pixels;
  };
  const CircleStamp& stampFor(QPointF centre, double radius, std::uint32_t fillBgr, std::uint32_t outlineBgr,
                              int outlineWidth);

  QPointF toPixels(PointF twips) const;

  QImage face_;
  QImage digitStrip_;
  TwipsPerPixel tpp_;
  QImage image_;
  QImage presented_;  // the picture as it was at the last takeChangedArea()
  std::vector<CircleStamp> circleStamps_;
};

}  // namespace tovira
