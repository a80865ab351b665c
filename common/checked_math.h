#pragma once
// Signed 32-bit arithmetic that raises a Fault on overflow, and the one rounding
// rule of the program: to the nearest integer, halves to even.

#include "common/failure.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace tovira {

inline std::int32_t CheckedAdd(std::int32_t a, std::int32_t b) {
  std::int32_t result;
  if (__builtin_add_overflow(a, b, &result)) RaiseFault("32-bit overflow in addition");
  return result;
}

inline std::int32_t CheckedSub(std::int32_t a, std::int32_t b) {
  std::int32_t result;
  if (__builtin_sub_overflow(a, b, &result)) RaiseFault("32-bit overflow in subtraction");
  return result;
}

inline std::int32_t CheckedMul(std::int32_t a, std::int32_t b) {
  std::int32_t result;
  if (__builtin_mul_overflow(a, b, &result)) RaiseFault("32-bit overflow in multiplication");
  return result;
}

// Nearest integer, halves to even (2.5 -> 2, 3.5 -> 4). The result is exact for
// every double that is itself an integer.
inline double RoundHalfEven(double v) {
  const double lower = std::floor(v);
  const double diff = v - lower;
  if (diff < 0.5) return lower;
  if (diff > 0.5) return lower + 1.0;
  return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

// RoundHalfEven into a signed 32-bit integer; NaN or a value outside the range is a fault.
inline std::int32_t RoundToInt32(double v) {
  if (!std::isfinite(v)) RaiseFault("not a finite number");
  const double r = RoundHalfEven(v);
  if (r < static_cast<double>(std::numeric_limits<std::int32_t>::min()) ||
      r > static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
    RaiseFault("32-bit overflow in conversion");
  }
  return static_cast<std::int32_t>(r);
}

}  // namespace tovira
