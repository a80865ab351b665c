#pragma once
// The machine's services on Windows, through the very calls the classic desktop
// stopwatch makes: timeGetTime, PlaySoundA, ClipCursor, SetWindowPos, MessageBoxW
// and the user's number settings.

#include "common/failure.h"
#include "engine/services.h"

#include <windows.h>

namespace tovira {

// The multimedia timer's milliseconds; input messages are stamped on the
// GetTickCount clock (GetMessageTime), the input clock, which steps only with the
// system timer, every 15.6 ms, whatever timeBeginPeriod asks for.
class WinmmTickCounter final : public TickCounter {
 public:
  std::uint32_t timeGetTime() override;
  std::optional<std::uint32_t> inputClockNow() override;
  std::uint32_t inputClockStepMs() const override { return 16; }
};

// Loops a checked image from memory (flags 13: asynchronous, from memory, loop) and
// stops it with a one-byte image holding 0 (flags 5), which ends any playback
// before the call returns.
class PlaySoundPlayer final : public SoundPlayer {
 public:
  void playLoop(std::span<const std::byte> waveImage) override;
  void stop() override;
};

class ClipCursorConfinement final : public CursorConfinement {
 public:
  void confine(const PixelRect& screenPixels) override;
  void release() override;
};

// HWND_TOPMOST or HWND_NOTOPMOST for the window, which keeps its place and size
// and is not activated.
class WindowPosStacking final : public TopmostStacking {
 public:
  void setWindow(HWND window) { window_ = window; }
  void setAlwaysOnTop(bool onTop) override;

 private:
  HWND window_ = nullptr;
};

// The user's decimal and grouping signs from the regional settings.
class UserNumberFormat final : public NumberFormat {
 public:
  NumberSymbols numberSymbols() const override;
};

// The failure box: modal, the critical icon, OK, titled "ToviraWatch", owned by the
// program's window whether or not that is active (a timer's fault, the session's
// end, start-up before the window shows), so that the window waits behind it.
class MessageBoxReporter final : public ErrorReporter {
 public:
  // The window that owns the boxes from now on; none before it exists and once it is gone.
  void setOwner(HWND owner) { owner_ = owner; }
  void report(ErrorCode code) override;

 private:
  HWND owner_ = nullptr;
};

}  // namespace tovira
