// The texts of elapsed times: the label's seconds text and the four lap-line formats.

#include "common/text.h"
#include "display/display_mode.h"
#include "display/time_formats.h"

#include <benchmark/benchmark.h>

namespace tovira::bench {
namespace {

const NumberSymbols kEnglish{u",", u"."};

// Elapsed times 1,237 ms apart, kept below 28 hours, so every field changes.
std::int32_t NextElapsed(std::int32_t x) { return (x + 1237) % 100'000'000; }

void BM_FormatSeconds(benchmark::State& state) {
  std::int32_t x = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FormatSeconds(x, kEnglish));
    x = NextElapsed(x);
  }
}
BENCHMARK(BM_FormatSeconds);

// Argument: the display mode's number, 1 to 4.
void BM_LapLine(benchmark::State& state) {
  const auto& info = DisplayModes()[static_cast<std::size_t>(state.range(0)) - 1];
  state.SetLabel(Utf8(info.menuItemName));
  std::int32_t x = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(info.lapLine(x, kEnglish));
    x = NextElapsed(x);
  }
}
BENCHMARK(BM_LapLine)->ArgName("mode")->DenseRange(1, 4);

}  // namespace
}  // namespace tovira::bench
