// Drawing the dial: the full refresh (face, six to nine labels, hand) and the hand alone.

#include "dial/dial_drawing.h"
#include "window/dial_surface.h"
#include "resources/artwork.h"

#include <benchmark/benchmark.h>

namespace tovira::bench {
namespace {

// The dial as the window sizes it at 96 DPI, with the default hand colour.
struct Dial {
  DialSurface surface{DialFaceImage(), DigitStripImage(), TwipsPerPixel{15, 15}};
  HandSettings settings{1, 0x0000C8, kDialFaceSize * 15.0, kDialFaceSize * 15.0};
};

// Elapsed times 7 ms apart, kept within ten minutes, so every label and hand position comes round.
std::int32_t NextElapsed(std::int32_t e) { return (e + 7) % 600'000; }

void BM_RefreshDial(benchmark::State& state) {
  Dial dial;
  std::int32_t e = 0;
  for (auto _ : state) {
    RefreshDial(dial.surface, e, dial.settings);
    benchmark::DoNotOptimize(dial.surface.generation());
    e = NextElapsed(e);
  }
}
BENCHMARK(BM_RefreshDial)->Unit(benchmark::kMicrosecond);

void BM_DrawDialHand(benchmark::State& state) {
  Dial dial;
  std::int32_t e = 0;
  for (auto _ : state) {
    DrawDialHand(dial.surface, e, dial.settings);
    benchmark::DoNotOptimize(dial.surface.generation());
    e = NextElapsed(e);
  }
}
BENCHMARK(BM_DrawDialHand)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tovira::bench
