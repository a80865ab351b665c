#pragma once
// The dial's drawing surface as the dial's operations see it: a picture that keeps
// what is painted on it until it is cleared, also while nothing shows it.
// Positions and sizes are given in twips and turned into pixels with the screen's
// twips per pixel; line widths are pixels. Nothing is antialiased, so every pixel
// is exactly one of the colours drawn.
//
// Each front end implements the primitives on its own pictures. This class keeps
// what carries from one operation to the next, as a drawing surface does: the line
// width in force and the fill colour, and a count of the changes.

#include "common/geometry.h"
#include "common/twips.h"

#include <cstdint>
#include <optional>
#include <span>

namespace tovira {

// Where two pictures of the same size differ, for a canvas to tell its changed area:
// the smallest rectangle of canvas pixels holding every differing pixel, empty when
// none differs. The pictures are 32-bit pixels row after row, `width` to a row, with
// `ratio` device pixels to a canvas pixel each way.
PixelRect ChangedPixels(std::span<const std::uint32_t> before, std::span<const std::uint32_t> after, int width,
                        int ratio);

// A plain copy of whole device pixels between two pictures: the rectangle of the
// source, and where its top left corner lands on the surface.
struct PixelCopy {
  PixelRect from;
  int toLeft = 0;
  int toTop = 0;
  bool operator==(const PixelCopy&) const = default;
};

// The device pixels that copying the rectangle sourceTwips of a picture to
// destinationTwips on a surface moves, at `ratio` device pixels per canvas pixel.
// Twips become whole canvas pixels first, so that a label lands on the same place at
// every density; the rectangle is clipped against the source, then against the
// surface, both kept aligned. None when nothing is left to copy. Raises a Fault
// where an edge or an offset would leave the 32-bit range.
std::optional<PixelCopy> ClipPixelCopy(const TwipsRect& sourceTwips, PointF destinationTwips, TwipsPerPixel tpp,
                                       double ratio, PixelRect source, PixelRect surface);

class DialCanvas {
 public:
  virtual ~DialCanvas() = default;

  // Back to the bare face. The drawing state (line width, fill colour) stays.
  void clear();

  // Replaces the pixels of a rectangle with those of the digit strip's rectangle at
  // sourceTwips (a plain copy). Parts outside the strip or the surface are left out.
  void copyDigitStrip(const TwipsRect& sourceTwips, PointF destinationTwips);

  // Raises a Fault for a width below one pixel.
  void setLineWidth(int pixels);
  int lineWidth() const { return lineWidth_; }
  void setFillColor(std::uint32_t bgr) { fillBgr_ = bgr; }
  std::uint32_t fillColor() const { return fillBgr_; }

  // Filled with the fill colour, outlined at the current line width.
  void circle(PointF centreTwips, double radiusTwips, std::uint32_t outlineBgr);
  // At the current line width, with round ends.
  void line(PointF fromTwips, PointF toTwips, std::uint32_t bgr);

  // The smallest rectangle, in (logical) pixels, holding every pixel that differs
  // from the picture as it was at the previous call: what a view must repaint.
  virtual PixelRect takeChangedArea() = 0;

  virtual TwipsPerPixel twipsPerPixel() const = 0;

  // Grows with every drawing operation, so that a caller knows whether anything
  // has painted on the dial since it last looked.
  std::uint64_t generation() const { return generation_; }

 protected:
  // A front end's own drawing operations count as changes too.
  void noteChange() { ++generation_; }

  virtual void paintFace() = 0;
  virtual void paintFromDigitStrip(const TwipsRect& sourceTwips, PointF destinationTwips) = 0;
  virtual void paintCircle(PointF centreTwips, double radiusTwips, std::uint32_t fillBgr, std::uint32_t outlineBgr,
                           int outlineWidth) = 0;
  virtual void paintLine(PointF fromTwips, PointF toTwips, std::uint32_t bgr, int width) = 0;

 private:
  int lineWidth_ = 1;
  std::uint32_t fillBgr_ = 0;  // black
  std::uint64_t generation_ = 0;
};

}  // namespace tovira
