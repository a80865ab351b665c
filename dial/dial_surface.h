#pragma once
// The dial's drawing surface: a picture that keeps what is painted on it until it
// is cleared, also while nothing shows it. Positions and sizes are given in twips
// and turned into pixels with the screen's twips per pixel; line widths are pixels.
// Nothing is antialiased, so every pixel is exactly one of the colours drawn.
//
// Pixels here are logical pixels. The picture itself has the face's device pixel
// ratio: on a high-density screen it holds 2 x 2 device pixels for each logical
// one, so the face, the labels and the hand are drawn sharp rather than enlarged.

#include "common/twips.h"

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

class DialSurface {
 public:
  // The surface takes its device pixel ratio from the face; a digit strip of
  // another ratio is resampled to it once, so labels stay plain pixel copies.
  DialSurface(QImage face, QImage digitStrip, TwipsPerPixel tpp);

  // Back to the bare face. The drawing state (line width, fill colour) stays.
  void clear();

  // Replaces the pixels of a rectangle with those of `source` (no blending).
  // Parts of the rectangle outside the source or the surface are left out.
  // The source is read at the surface's device pixel ratio, as the digit strip is.
  void copyPicture(const QImage& source, QRectF sourceTwips, QPointF destinationTwips);

  // Raises a Fault for a width below one (logical) pixel.
  void setLineWidth(int pixels);
  int lineWidth() const { return lineWidth_; }
  void setFillColor(std::uint32_t bgr);

  // Filled with the fill colour, outlined at the current line width. The same
  // circle drawn again costs a copy of its pixels rather than a new outline.
  void circle(QPointF centreTwips, double radiusTwips, std::uint32_t outlineBgr);
  void line(QPointF fromTwips, QPointF toTwips, std::uint32_t bgr);

  const QImage& image() const { return image_; }
  const QImage& digitStrip() const { return digitStrip_; }
  TwipsPerPixel twipsPerPixel() const { return tpp_; }
  qreal devicePixelRatio() const { return image_.devicePixelRatio(); }

  // Grows with every change of the picture, so a view repaints only when needed.
  std::uint64_t generation() const { return generation_; }

 private:
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
  const CircleStamp& stampFor(QPointF centre, double radius, std::uint32_t outlineBgr);

  QPointF toPixels(QPointF twips) const;
  int toDevicePixels(int logicalPixels) const;

  QImage face_;
  QImage digitStrip_;
  TwipsPerPixel tpp_;
  QImage image_;
  int lineWidth_ = 1;
  std::uint32_t fillBgr_ = 0;  // black
  std::uint64_t generation_ = 0;
  std::vector<CircleStamp> circleStamps_;
};

}  // namespace tovira
