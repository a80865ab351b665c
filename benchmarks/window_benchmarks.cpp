// The window's hot paths: the periodic event, a lap with many records, and the
// choice of a display mode with many records. Each step includes the layout and
// painting that it causes.

#include "bench_window.h"

#include <benchmark/benchmark.h>

#include <QEvent>
#include <QWidget>

#include <algorithm>
#include <array>

namespace tovira::bench {
namespace {

constexpr std::array kModes{DisplayMode::Sec, DisplayMode::HMS, DisplayMode::Frame24, DisplayMode::SSK};

constexpr std::array kModeNames{"Sec", "HMS", "Frame24", "SSK"};

// The first argument of a benchmark is the mode's number, 1 to 4; it also names the run.
DisplayMode ModeArg(benchmark::State& state) {
  const auto index = static_cast<std::size_t>(state.range(0)) - 1;
  state.SetLabel(kModeNames.at(index));
  return kModes.at(index);
}

// Counts the paint events of a window's widgets.
class PaintCounter final : public QObject {
 public:
  explicit PaintCounter(QWidget& window) {
    for (QWidget* child : window.findChildren<QWidget*>()) child->installEventFilter(this);
  }
  long paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

void ReportFaults(benchmark::State& state, const BenchWindow& bench) {
  if (bench.faultReported()) state.SkipWithError("the window reported a fault");
}

// Argument: how far the clock moves between two events. 0: nothing visible
// changes; 1: the label changes, the hand mostly not; 42: the label and the hand's
// frame both change.
void BM_PeriodicEvent(benchmark::State& state) {
  BenchWindow bench;
  bench.startAfterRecords();
  const auto step = static_cast<std::uint32_t>(state.range(0));
  bench.advance(1);
  bench.window().tmrClockTimer();
  BenchWindow::settle();
  PaintCounter counter(bench.window());
  for (auto _ : state) {
    bench.advance(step);
    bench.window().tmrClockTimer();
    BenchWindow::settle();
  }
  state.counters["paints_per_event"] =
      benchmark::Counter(static_cast<double>(counter.paints) / static_cast<double>(state.iterations()));
  ReportFaults(state, bench);
}
BENCHMARK(BM_PeriodicEvent)->ArgName("clock_step_ms")->Arg(0)->Arg(1)->Arg(42)->UseRealTime();

// A lap recorded while the list holds about `records` lines. The list grows by one
// line per lap; it is brought back to size, outside the timing, once it has grown
// by a tenth.
void BM_Lap(benchmark::State& state) {
  const DisplayMode mode = ModeArg(state);
  const auto size = static_cast<std::size_t>(state.range(1));
  const std::size_t regrowAt = size + std::max<std::size_t>(1, size / 10);
  BenchWindow bench;
  bench.fillRecords(size - 1, mode);
  bench.startAfterRecords();
  for (auto _ : state) {
    bench.advance(1);
    bench.window().cmdLapClick();
    BenchWindow::settle();
    if (bench.records().size() >= regrowAt) {
      state.PauseTiming();
      bench.window().cmdStartClick();
      bench.fillRecords(size - 1, mode);
      bench.startAfterRecords();
      state.ResumeTiming();
    }
  }
  ReportFaults(state, bench);
}
BENCHMARK(BM_Lap)
    ->ArgNames({"mode", "records"})
    ->ArgsProduct({{1, 2, 3, 4}, {10, 1'000, 10'000, 100'000}})
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

// Choosing a display mode from the menu with 100,000 records: the whole list is
// written again in the new format.
void BM_ChooseMode(benchmark::State& state) {
  const DisplayMode mode = ModeArg(state);
  const DisplayMode other = mode == DisplayMode::Sec ? DisplayMode::SSK : DisplayMode::Sec;
  BenchWindow bench;
  bench.fillRecords(static_cast<std::size_t>(state.range(1)), other);
  for (auto _ : state) {
    bench.choose(mode);
    BenchWindow::settle();
    state.PauseTiming();
    bench.choose(other);
    BenchWindow::settle();
    state.ResumeTiming();
  }
  ReportFaults(state, bench);
}
BENCHMARK(BM_ChooseMode)
    ->ArgNames({"mode", "records"})
    ->ArgsProduct({{1, 2, 3, 4}, {100'000}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace tovira::bench
