#include "platform/tick_counter.h"

#include <time.h>

namespace tovira {

std::uint32_t BootClockTickCounter::timeGetTime() {
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  const auto millis = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                      static_cast<std::uint64_t>(now.tv_nsec) / 1'000'000u;
  // Unsigned narrowing keeps the low 32 bits: the counter wraps like a 32-bit tick count.
  return static_cast<std::uint32_t>(millis);
}

}  // namespace tovira
