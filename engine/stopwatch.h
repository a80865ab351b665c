#pragma once
// The resumable stopwatch's state and its time arithmetic. The window drives it
// from its Start/Stop and Lap/Reset commands and the periodic refresh.

#include <cstdint>
#include <vector>

namespace tovira {

struct Stopwatch {
  std::int32_t StartTick = 0;          // tick counter at the most recent Start
  bool IsRunning = false;
  std::vector<std::int32_t> LapTimes;  // one split per Lap or Stop since the last Reset, oldest first
  std::int32_t AccumulatedTime = 0;    // total of the runs ended by Stop since the last Reset

  // Elapsed milliseconds since the last Reset. While running, the time since
  // StartTick is taken modulo 2^32, so a run across either wrap of the 32-bit tick
  // counter measures right; a total beyond the signed 32-bit range is a Fault.
  std::int32_t Elapsed(std::uint32_t now) const;

  // Marks the start of a run at the given tick.
  void Start(std::uint32_t now);

  // Empties the records and the accumulated time.
  void Clear();
};

// Milliseconds from `sinceStartMs` after the start of a run to the next refresh
// of a screen refreshing at the given rate (60 Hz when the screen does not say),
// since no screen shows more. Refreshes fall on whole milliseconds nearest to the
// screen's own period from the start, so 60 Hz gives 17, 16, 17, ... ms and not a
// faster 16 ms throughout; a late event is followed by the next refresh due. At least 1.
int NextRefreshDelayMs(double screenHertz, std::uint32_t sinceStartMs);

}  // namespace tovira
