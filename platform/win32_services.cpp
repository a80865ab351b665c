#include "platform/win32_services.h"

#include "engine/wave_image.h"

#include <mmsystem.h>

#include <array>
#include <optional>
#include <string>

namespace tovira {
namespace {

constexpr UINT kLoopFlags = SND_ASYNC | SND_MEMORY | SND_LOOP;  // 13
constexpr UINT kStopFlags = SND_ASYNC | SND_MEMORY;             // 5

// What PlaySoundA plays through the wave mapper on every Windows 10: plain PCM of
// 8 or 16 bits and 32-bit float, mono or stereo, at the usual rates. Its reader
// takes a chunk's header as 12 bytes, so the data chunk holds at least 4.
constexpr std::array<WaveEncoding, 3> kPlaySoundEncodings{
    {{kWaveFormatPcm, 8}, {kWaveFormatPcm, 16}, {kWaveFormatIeeeFloat, 32}}};
constexpr WavePlayback kPlaySoundPlayback{kPlaySoundEncodings, 2, 8000, 192000, false, 4};

std::u16string LocaleText(LCTYPE type, std::u16string fallback) {
  std::array<wchar_t, 8> text{};
  const int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, text.data(), static_cast<int>(text.size()));
  if (length <= 1) return fallback;
  return std::u16string(reinterpret_cast<const char16_t*>(text.data()), static_cast<std::size_t>(length - 1));
}

}  // namespace

std::uint32_t WinmmTickCounter::timeGetTime() { return ::timeGetTime(); }

std::optional<std::uint32_t> WinmmTickCounter::inputClockNow() { return ::GetTickCount(); }

// PlaySoundA is given no size: it reads as far as the image's headers say, so it
// gets only an image whose every size was checked against its bytes.
void PlaySoundPlayer::playLoop(std::span<const std::byte> waveImage) {
  const std::optional<CheckedWave> wave = CheckWaveImage(waveImage, kPlaySoundPlayback);
  if (!wave) {
    stop();
    return;
  }
  PlaySoundA(reinterpret_cast<LPCSTR>(wave->image.data()), nullptr, kLoopFlags);
}

void PlaySoundPlayer::stop() {
  static const char silence = 0;
  PlaySoundA(&silence, nullptr, kStopFlags);
}

void ClipCursorConfinement::confine(const PixelRect& screenPixels) {
  const RECT area{screenPixels.left, screenPixels.top, screenPixels.left + screenPixels.width,
                  screenPixels.top + screenPixels.height};
  ClipCursor(&area);
}

void ClipCursorConfinement::release() { ClipCursor(nullptr); }

void WindowPosStacking::setAlwaysOnTop(bool onTop) {
  if (window_ == nullptr) return;
  SetWindowPos(window_, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

NumberSymbols UserNumberFormat::numberSymbols() const {
  return NumberSymbols{LocaleText(LOCALE_STHOUSAND, u","), LocaleText(LOCALE_SDECIMAL, u".")};
}

void MessageBoxReporter::report(ErrorCode code) {
  const std::u16string text = FailureMessage(code);
  const std::u16string title(kFailureBoxTitle);
  MessageBoxW(owner_, reinterpret_cast<LPCWSTR>(text.c_str()), reinterpret_cast<LPCWSTR>(title.c_str()),
              MB_OK | MB_ICONERROR);
}

}  // namespace tovira
