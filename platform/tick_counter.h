#pragma once
// The tick counter of a Linux desktop.

#include "engine/services.h"

namespace tovira {

// Milliseconds of CLOCK_BOOTTIME modulo 2^32: keeps counting while the machine
// is suspended, so a run that spans a suspend measures real time. X servers stamp
// input with CLOCK_MONOTONIC's milliseconds, the input clock.
class BootClockTickCounter final : public TickCounter {
 public:
  std::uint32_t timeGetTime() override;
  std::uint32_t inputClockNow() override;
};

}  // namespace tovira
