#pragma once
// The measures of the pictures the dial is drawn from, in pixels at the usual
// density: each front end carries the pictures themselves.

#include <array>

namespace tovira {

// The face is square; its centre is the centre of the picture.
inline constexpr int kDialFaceSize = 250;

// The digit strip holds 1 2 3 4 5 6 7 8 9 0, one cell each.
inline constexpr int kDigitCellWidth = 15;
inline constexpr int kDigitCellHeight = 30;
inline constexpr int kDigitCount = 10;

// Square images of the window icon, in pixels.
inline constexpr std::array kWindowIconSizes{16, 32, 48, 64, 128, 256};

// The first pixel column of the digit's cell (1 comes first, 0 last).
constexpr int DigitCellLeft(int digit) { return kDigitCellWidth * ((digit + 9) % 10); }

}  // namespace tovira
