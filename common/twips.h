#pragma once
// Twips (1/1440 inch) and pixels. The screen's twips per pixel is 1440 divided by
// its logical DPI: 15 at 96 DPI.

#include "common/checked_math.h"

namespace tovira {

struct TwipsPerPixel {
  double x = 15.0;
  double y = 15.0;

  static TwipsPerPixel FromLogicalDpi(double dpiX, double dpiY) { return {1440.0 / dpiX, 1440.0 / dpiY}; }

  int toPixelsX(double twips) const { return RoundToInt32(twips / x); }
  int toPixelsY(double twips) const { return RoundToInt32(twips / y); }
  double toTwipsX(double pixels) const { return pixels * x; }
  double toTwipsY(double pixels) const { return pixels * y; }
};

}  // namespace tovira
