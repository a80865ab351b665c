#include "platform/tick_counter.h"

#include <time.h>

namespace tovira {
namespace {

std::uint32_t Millis(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  const auto millis = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                      static_cast<std::uint64_t>(now.tv_nsec) / 1'000'000u;
  // Unsigned narrowing keeps the low 32 bits: the counter wraps like a 32-bit tick count.
  return static_cast<std::uint32_t>(millis);
}

}  // namespace

std::uint32_t MonotonicMillis() { return Millis(CLOCK_MONOTONIC); }

std::uint32_t BootClockTickCounter::timeGetTime() { return Millis(CLOCK_BOOTTIME); }

std::optional<std::uint32_t> BootClockTickCounter::inputClockNow() {
  if (!inputStampsLocal_) return std::nullopt;
  return MonotonicMillis();
}

}  // namespace tovira
