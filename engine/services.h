#pragma once
// What the stopwatch needs of the machine it runs on. Each operating system has
// its own adapters (platform/); the tests give fakes.

#include "common/geometry.h"
#include "display/time_formats.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tovira {

// The system's millisecond tick counter, 32 bits wide, wrapping from 4294967295 to 0.
class TickCounter {
 public:
  virtual ~TickCounter() = default;
  virtual std::uint32_t timeGetTime() = 0;
  // Milliseconds, modulo 2^32, of the clock the window system stamps input events
  // with; none while its stamps are not known to come from this machine's clock
  // (a remote display).
  virtual std::optional<std::uint32_t> inputClockNow() = 0;
  // How far apart that clock's readings lie at most: 1 for a clock that counts
  // every millisecond, more for one that steps with a system timer.
  virtual std::uint32_t inputClockStepMs() const = 0;
};

// Loops an in-memory RIFF/WAVE image asynchronously until stopped.
class SoundPlayer {
 public:
  virtual ~SoundPlayer() = default;
  // Starts looping the image (replacing whatever plays). Returns at once. Bytes
  // that are no playable sound, or a machine without an audio device, play nothing
  // and report nothing.
  virtual void playLoop(std::span<const std::byte> waveImage) = 0;
  // Ends any looping playback; when it returns the image is no longer read.
  virtual void stop() = 0;
};

// Holds the mouse pointer inside a rectangle of the screen.
class CursorConfinement {
 public:
  virtual ~CursorConfinement() = default;
  // Confines the pointer to the rectangle, in the screen's own pixels.
  virtual void confine(const PixelRect& screenPixels) = 0;
  // Ends any confinement.
  virtual void release() = 0;
};

// Puts the window into or out of the band of windows that stay above all others,
// without activating, moving or resizing it.
class TopmostStacking {
 public:
  virtual ~TopmostStacking() = default;
  virtual void setAlwaysOnTop(bool onTop) = 0;
};

// The user's number settings, which the seconds texts follow.
class NumberFormat {
 public:
  virtual ~NumberFormat() = default;
  virtual NumberSymbols numberSymbols() const = 0;
};

// Every service the stopwatch uses, and the folder the program lives in.
struct MachineServices {
  TickCounter& ticks;
  SoundPlayer& sound;
  CursorConfinement& cursor;
  TopmostStacking& stacking;
  const NumberFormat& numbers;
  std::string programDirectory;
};

}  // namespace tovira
