#include "engine/stopwatch.h"

#include "common/checked_math.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tovira {

std::int32_t Stopwatch::Elapsed(std::uint32_t now) const {
  if (!IsRunning) return AccumulatedTime;
  const std::uint32_t sinceStart = now - static_cast<std::uint32_t>(StartTick);
  if (sinceStart > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) {
    RaiseFault("run longer than the 32-bit millisecond range");
  }
  return CheckedAdd(static_cast<std::int32_t>(sinceStart), AccumulatedTime);
}

void Stopwatch::Start(std::uint32_t now) {
  StartTick = static_cast<std::int32_t>(now);
  IsRunning = true;
}

void Stopwatch::Clear() {
  LapTimes.clear();
  AccumulatedTime = 0;
}

int NextRefreshDelayMs(double screenHertz, std::uint32_t sinceStartMs) {
  constexpr double kUsualHertz = 60.0;
  // NaN, zero and negative rates are screens that do not say; beyond 1 kHz every millisecond.
  const double hertz = screenHertz >= 1.0 ? std::min(screenHertz, 1000.0) : kUsualHertz;
  const double period = 1000.0 / hertz;
  double refresh = std::floor(sinceStartMs / period) + 1;
  double due = std::round(refresh * period);
  if (due <= sinceStartMs) due = std::round(++refresh * period);
  return std::max(1, static_cast<int>(due - sinceStartMs));
}

}  // namespace tovira
