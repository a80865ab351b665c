#pragma once
// Points and rectangles of the core: in twips where the window's layout and the
// dial's drawing place things, in pixels where the screen counts.

namespace tovira {

struct PointF {
  double x = 0;
  double y = 0;
  bool operator==(const PointF&) const = default;
};

// A rectangle in twips (1/1440 inch).
struct TwipsRect {
  double left = 0, top = 0, width = 0, height = 0;
  bool operator==(const TwipsRect&) const = default;
};

// A rectangle of whole pixels: left .. left + width - 1, top .. top + height - 1.
struct PixelRect {
  int left = 0, top = 0, width = 0, height = 0;
  bool empty() const { return width <= 0 || height <= 0; }
  bool operator==(const PixelRect&) const = default;
};

}  // namespace tovira
