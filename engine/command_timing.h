#pragma once
// When a command happened, on the tick counter.
//
// A window system stamps input with a clock of its own: an X server with
// CLOCK_MONOTONIC's milliseconds, while the tick counter counts CLOCK_BOOTTIME;
// Windows with GetTickCount, which steps only with the system timer (every
// 15.6 ms) while timeGetTime counts single milliseconds. Reading both clocks
// together shows how far apart they stand: right after the input clock steps,
// the tick counter reads least ahead of it, so the least lead seen is where the
// input clock's steps fall on the tick counter.
//
// An event stamped s happened between the step that made the input clock read s
// and the next one. It is placed at the end of that step, and no later than now:
// a press handled at once is timed within the handling's delay, and one handled
// late, however late, within one step of the input clock.

#include <cstdint>
#include <optional>

namespace tovira {

class CommandTiming {
 public:
  // stepMs: how far apart the input clock's readings lie at most (1 for a clock
  // that counts every millisecond).
  explicit CommandTiming(std::uint32_t stepMs) : stepMs_(stepMs) {}

  // Both clocks, read back to back.
  void observe(std::uint32_t tickNow, std::uint32_t inputNow);

  // The tick counter's reading that a command is timed at. tickNow and inputNow
  // are both clocks read back to back at its handling (no inputNow: the input
  // clock is not this machine's, as on a remote display); eventTime is the stamp
  // of the input event that set the command off, if one did. A command is never
  // timed before the one timed before it, so records never go backwards.
  std::uint32_t commandTick(std::uint32_t tickNow, std::optional<std::uint32_t> inputNow,
                            std::optional<std::uint32_t> eventTime);

 private:
  std::uint32_t eventTick(std::uint32_t tickNow, std::uint32_t inputNow, std::uint32_t eventTime) const;

  std::uint32_t stepMs_;
  // The tick counter's least lead over the input clock (modulo 2^32).
  std::optional<std::uint32_t> lead_;
  std::optional<std::uint32_t> lastCommand_;
};

}  // namespace tovira
