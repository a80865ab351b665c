#pragma once
// The window's client area in screen pixels, from its outer geometry and client
// size in twips: the rectangle the pointer is held in while the stopwatch runs.

#include "common/twips.h"

#include <QRect>

namespace tovira {

struct WindowGeometryTwips {
  double left = 0, top = 0, width = 0, height = 0;  // outer frame
  double scaleWidth = 0, scaleHeight = 0;           // client area
};

// Left, top, right and bottom in screen pixels; right and bottom lie just outside.
struct ScreenRectangle {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  QRect toQRect() const { return QRect(left, top, right - left, bottom - top); }
};

// Faults on values outside the 32-bit range.
ScreenRectangle ClientAreaOnScreen(const WindowGeometryTwips& window, const TwipsPerPixel& tpp);

}  // namespace tovira
