#include "platform/tick_counter.h"

#include <gtest/gtest.h>

#include <time.h>

#include <cstdint>

namespace tovira {
namespace {

std::uint64_t BootClockMillis() {
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1'000'000u;
}

// Readings of the boot clock taken just before and just after a tick reading bracket it,
// compared modulo 2^32 so the test holds across a wrap of the counter.
void ExpectBracketed(std::uint64_t before, std::uint32_t tick, std::uint64_t after) {
  const auto low = static_cast<std::uint32_t>(before);
  EXPECT_LE(static_cast<std::uint32_t>(tick - low), static_cast<std::uint32_t>(after - before))
      << "tick " << tick << " outside boot clock [" << before << ", " << after << "] mod 2^32";
}

TEST(BootClockTickCounter, AgreesWithBootClockModulo32Bits) {
  BootClockTickCounter counter;
  for (int i = 0; i < 1000; ++i) {
    const std::uint64_t before = BootClockMillis();
    const std::uint32_t tick = counter.timeGetTime();
    ExpectBracketed(before, tick, BootClockMillis());
  }
}

TEST(BootClockTickCounter, AdvancesInMilliseconds) {
  BootClockTickCounter counter;
  const std::uint64_t firstBefore = BootClockMillis();
  const std::uint32_t first = counter.timeGetTime();
  const std::uint64_t firstAfter = BootClockMillis();

  const timespec pause{0, 30'000'000};
  nanosleep(&pause, nullptr);

  const std::uint64_t secondBefore = BootClockMillis();
  const std::uint32_t second = counter.timeGetTime();
  const std::uint64_t secondAfter = BootClockMillis();

  // The unsigned difference is the elapsed count even when the counter wrapped in between.
  const std::uint32_t elapsed = second - first;
  EXPECT_GE(elapsed, secondBefore - firstAfter);
  EXPECT_LE(elapsed, secondAfter - firstBefore);
}

}  // namespace
}  // namespace tovira
