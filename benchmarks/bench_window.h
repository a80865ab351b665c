#pragma once
// The real window for the benchmarks: fake platform services, the shipped default
// settings, shown on the offscreen platform. Its own refresh timer is stopped at
// Start so that only the benchmark drives the periodic event, and every step ends
// by letting the event loop lay out and paint what changed, as the running program would.

#include "display/display_mode.h"
#include "support/window_fixture.h"

#include <cstddef>
#include <cstdint>

namespace tovira::bench {

class BenchWindow {
 public:
  BenchWindow();

  frmStopwatch& window() { return *fixture_.window; }
  std::vector<std::int32_t>& records() { return window().state().stopwatch.LapTimes; }

  // Moves the fake tick counter on.
  void advance(std::uint32_t ms) { fixture_.platform.ticks.now += ms; }

  // Runs the renderer of a mode, as its menu item does.
  void choose(DisplayMode mode);

  // Replaces the records with `count` growing splits and rebuilds the list in `mode`.
  void fillRecords(std::size_t count, DisplayMode mode);

  // Starts the stopwatch so that it goes on from the last record.
  void startAfterRecords();

  // Lets the event loop lay out and paint what the last step changed.
  static void settle();

  // Whether any operation reported a fault since construction.
  bool faultReported() const { return !fixture_.reporter.codes.empty(); }

 private:
  testing::WindowFixture fixture_;
};

}  // namespace tovira::bench
