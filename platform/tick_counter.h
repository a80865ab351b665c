#pragma once
// The system's millisecond tick counter, 32 bits wide, wrapping from 4294967295 to 0.

#include <cstdint>

namespace tovira {

class TickCounter {
 public:
  virtual ~TickCounter() = default;
  virtual std::uint32_t timeGetTime() = 0;
  // Milliseconds, modulo 2^32, of the clock the window system stamps input events with.
  virtual std::uint32_t inputClockNow() = 0;
};

// Milliseconds of CLOCK_BOOTTIME modulo 2^32: keeps counting while the machine
// is suspended, so a run that spans a suspend measures real time. X servers stamp
// input with CLOCK_MONOTONIC's milliseconds, the input clock.
class BootClockTickCounter final : public TickCounter {
 public:
  std::uint32_t timeGetTime() override;
  std::uint32_t inputClockNow() override;
};

}  // namespace tovira
