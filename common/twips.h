#pragma once
// Twips (1/1440 inch) and pixels. The screen's twips per pixel is 1440 divided by
// its logical DPI: 15 at 96 DPI.

#include "common/checked_math.h"
#include "common/geometry.h"

namespace tovira {

struct TwipsPerPixel {
  double x = 15.0;
  double y = 15.0;

  static TwipsPerPixel FromLogicalDpi(double dpiX, double dpiY) { return {1440.0 / dpiX, 1440.0 / dpiY}; }

  int toPixelsX(double twips) const { return RoundToInt32(twips / x); }
  int toPixelsY(double twips) const { return RoundToInt32(twips / y); }
  double toTwipsX(double pixels) const { return pixels * x; }
  double toTwipsY(double pixels) const { return pixels * y; }
  // Each edge and extent rounded on its own, as controls are placed.
  PixelRect toPixels(const TwipsRect& twips) const {
    return {toPixelsX(twips.left), toPixelsY(twips.top), toPixelsX(twips.width), toPixelsY(twips.height)};
  }
};

}  // namespace tovira
