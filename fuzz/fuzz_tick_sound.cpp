// Arbitrary bytes as "tick.wav". The check lets through only images that
// Windows' PlaySound reads within their checked bytes, for the loosest formats
// any player takes (which formats a player takes changes nothing in how the
// image is read). The sound adapter then starts and stops the loop without a
// crash, a leak or a read out of bounds: SDL's dummy driver provides a device
// that plays into nothing, so the decoding, the conversion and the audio
// thread's copying all run.

#include "play_sound_model.h"
#include "scratch_file.h"

#include "engine/wave_image.h"
#include "platform/sdl_sound_player.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>

namespace {

using namespace tovira;

constexpr std::array<WaveEncoding, 5> kEveryEncoding{
    {{kWaveFormatPcm, 8}, {kWaveFormatPcm, 16}, {kWaveFormatPcm, 24}, {kWaveFormatPcm, 32}, {kWaveFormatIeeeFloat, 32}}};
constexpr WavePlayback kLoosest{kEveryEncoding, 8, 1000, 384000, true, 4};

void CheckTheCheck(std::span<const std::byte> bytes) {
  using tovira::fuzz::Require;
  const std::optional<CheckedWave> wave = CheckWaveImage(bytes, kLoosest);
  if (!wave) return;
  Require(wave->image.data() == bytes.data() && wave->image.size() <= bytes.size(), "the image starts the bytes");
  Require(wave->samples.data() >= wave->image.data() &&
              wave->samples.data() + wave->samples.size() <= wave->image.data() + wave->image.size(),
          "the samples lie in the image");
  Require(tovira::fuzz::PlaySoundReadsWithin(wave->image), "PlaySound reads only the checked bytes");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::byte> bytes = std::as_bytes(std::span(data, size));
  CheckTheCheck(bytes);
  // One player for the whole run, as the program keeps one: the device is opened once.
  static SdlSoundPlayer player;
  player.playLoop(bytes);
  player.stop();
  return 0;
}
