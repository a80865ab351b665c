#pragma once
// The second labels around the dial and the frame-stepped hand.

#include "dial/dial_canvas.h"

#include <cstdint>

namespace tovira {

// What the hand is drawn with; the caller reads it from the window at each call.
struct HandSettings {
  std::int32_t analogScale;  // 1, 2, 3: 6, 10, 30 seconds per turn; anything else stands still
  std::uint32_t handColor;   // 0x00BBGGRR
  double areaWidthTwips;     // the dial area as placed in the window
  double areaHeightTwips;
};

// Paints the two-digit label of n (n mod 100) at the place of n mod 6. Counts
// below 1 paint nothing. Guarded.
void DrawDialNumber(DialCanvas& canvas, std::int32_t n);

// The first millisecond of the 1/24-second frame holding ms (0 below 42, 959 from
// 959 up). Any rate but 24 gives 0. Guarded; 0 on a fault.
std::int32_t FrameStartFromMillis(std::int32_t ms, std::int32_t rate);

// The hand's angle in radians from the positive x axis (clockwise, since y grows
// downwards), moved back to the start of the frame. Throws a Fault on overflow.
float HandAngle(std::int32_t e, std::int32_t analogScale);

// Draws the hub with its shadow and the hand for e milliseconds over what the
// canvas shows. Leaves the canvas at line width 2 with the hand colour as fill.
// Guarded.
void DrawDialHand(DialCanvas& canvas, std::int32_t e, const HandSettings& settings);

// Clears the dial and paints the labels around the current second and the hand.
// Not guarded: an overflow belongs to the caller.
void RefreshDial(DialCanvas& canvas, std::int32_t e, const HandSettings& settings);

}  // namespace tovira
