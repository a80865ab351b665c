#pragma once
// The 24 frames of one second: where each 1/24-second frame begins, in whole
// milliseconds. The lap lines and the dial hand both step by this table, so the
// two always agree on the frame of a given millisecond.

#include <algorithm>
#include <array>
#include <cstdint>

namespace tovira {

// First millisecond of each frame. A millisecond on an exact frame boundary
// (125, 250, ...) belongs to the earlier frame, and frame 19 begins at 791.
inline constexpr std::array<std::int32_t, 24> kFrameStarts = {
    0, 42, 84, 126, 167, 209, 251, 292, 334, 376, 417, 459, 501, 542, 584, 626, 667, 709, 751, 791, 834, 876, 917, 959,
};

// The frame that ms falls in: the last frame starting at or before ms.
// Everything below 42 (negatives included) is frame 0, everything from 959 up frame 23.
constexpr int FrameIndexAt(std::int32_t ms) {
  // Frame 0 has no lower bound, so the search starts at the start of frame 1.
  const auto next = std::upper_bound(kFrameStarts.begin() + 1, kFrameStarts.end(), ms);
  return static_cast<int>(next - kFrameStarts.begin()) - 1;
}

}  // namespace tovira
