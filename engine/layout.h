#pragma once
// Where the window's elements stand, in twips: the design-time geometry, the
// stacking by the show options and the height of the lap list.

#include "common/geometry.h"

#include <cstdint>
#include <optional>

namespace tovira {

// Design-time geometry of the controls and the client area.
namespace design {
inline constexpr TwipsRect kClientArea{165, 555, 3870, 6300};
inline constexpr TwipsRect kImgNumber{180, 2880, 2655, 555};
inline constexpr TwipsRect kCmdLap{2040, 4500, 1755, 495};
inline constexpr TwipsRect kLstLap{60, 5040, 3735, 975};
inline constexpr TwipsRect kCmdStart{60, 4500, 1755, 495};
inline constexpr TwipsRect kImgWatch{60, 60, 3750, 3750};
inline constexpr TwipsRect kLblTime{60, 3900, 3735, 495};
}  // namespace design

// Top edges for one combination of the show options; hidden elements are parked at 0.
struct StackingTops {
  double imgWatch, lblTime, buttons, lstLap;
};

// The row of the stacking table for exactly these values; none when an option is
// outside 0 and 1 (every top edge then stays where it is).
std::optional<StackingTops> StackingFor(std::int32_t showbutton, std::int32_t showDigital, std::int32_t showAnalog);

// The list reaches down to 60 twips above the client area's bottom. A client area
// not taller than the list's top gives the fallback height of 1000; a height that
// would come out negative is 0.
double LapListHeight(double clientHeight, double listTop);

}  // namespace tovira
