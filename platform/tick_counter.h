#pragma once
// The system's millisecond tick counter, 32 bits wide, wrapping from 4294967295 to 0.

#include <cstdint>

namespace tovira {

class TickCounter {
 public:
  virtual ~TickCounter() = default;
  virtual std::uint32_t timeGetTime() = 0;
};

// Milliseconds of CLOCK_BOOTTIME modulo 2^32: keeps counting while the machine
// is suspended, so a run that spans a suspend measures real time.
class BootClockTickCounter final : public TickCounter {
 public:
  std::uint32_t timeGetTime() override;
};

}  // namespace tovira
