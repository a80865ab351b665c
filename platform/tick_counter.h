#pragma once
// The tick counter of a Linux desktop.

#include "engine/services.h"

namespace tovira {

// Milliseconds of CLOCK_BOOTTIME modulo 2^32: keeps counting while the machine
// is suspended, so a run that spans a suspend measures real time. A local X
// server stamps input with CLOCK_MONOTONIC's milliseconds, the input clock; a
// remote one with a clock of its own machine, whose stamps mean nothing here.
class BootClockTickCounter final : public TickCounter {
 public:
  std::uint32_t timeGetTime() override;
  // CLOCK_MONOTONIC's milliseconds, once the window system is known to stamp
  // input with them.
  std::optional<std::uint32_t> inputClockNow() override;
  std::uint32_t inputClockStepMs() const override { return 1; }

  void setInputStampsLocal(bool local) { inputStampsLocal_ = local; }

 private:
  bool inputStampsLocal_ = false;
};

// CLOCK_MONOTONIC's milliseconds modulo 2^32.
std::uint32_t MonotonicMillis();

}  // namespace tovira
