#pragma once
// Stand-ins for the machine's services, for tests of the core.

#include "engine/services.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tovira::testing {

class FakeTickCounter final : public TickCounter {
 public:
  std::uint32_t timeGetTime() override {
    const std::uint32_t reading = now;
    now += step;
    return reading;
  }
  std::optional<std::uint32_t> inputClockNow() override {
    if (!inputBehind) return std::nullopt;
    return now - *inputBehind;
  }
  std::uint32_t inputClockStepMs() const override { return 1; }
  std::uint32_t now = 1000;
  std::uint32_t step = 0;  // advance per reading, for runs driven by the real event loop
  // How far the clock that stamps input lies behind the counter. None: the stamps
  // are not of this machine's clock, and commands are timed at their handling.
  std::optional<std::uint32_t> inputBehind;
};

class FakeSoundPlayer final : public SoundPlayer {
 public:
  void playLoop(std::span<const std::byte> image) override {
    playing = true;
    lastImageSize = image.size();
    calls.push_back("play");
  }
  void stop() override {
    playing = false;
    calls.push_back("stop");
  }
  bool playing = false;
  std::size_t lastImageSize = 0;
  std::vector<std::string> calls;
};

// A rectangle as a test compares it: as the core gives it, or as a toolkit writes rectangles.
template <class Rect>
Rect RectAs(const PixelRect& rect);
template <>
inline PixelRect RectAs<PixelRect>(const PixelRect& rect) {
  return rect;
}

template <class Rect>
class RecordingCursorConfinement final : public CursorConfinement {
 public:
  void confine(const PixelRect& rect) override {
    confinedTo = RectAs<Rect>(rect);
    calls.push_back("confine");
  }
  void release() override {
    confinedTo.reset();
    calls.push_back("release");
  }
  std::optional<Rect> confinedTo;
  std::vector<std::string> calls;
};
using FakeCursorConfinement = RecordingCursorConfinement<PixelRect>;

class FakeTopmostStacking final : public TopmostStacking {
 public:
  void setAlwaysOnTop(bool onTop) override { requests.push_back(onTop); }
  std::vector<bool> requests;
};

class FakeNumberFormat final : public NumberFormat {
 public:
  NumberSymbols numberSymbols() const override { return symbols; }
  NumberSymbols symbols;  // "," and "."
};

}  // namespace tovira::testing
