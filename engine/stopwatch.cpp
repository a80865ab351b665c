#include "engine/stopwatch.h"

#include "common/checked_math.h"

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

}  // namespace tovira
