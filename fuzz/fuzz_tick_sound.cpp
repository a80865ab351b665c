// The sound adapter given arbitrary bytes as "tick.wav": starting and stopping
// the loop never crashes, leaks or reads out of bounds, whatever the image holds.
// SDL's dummy driver provides a device that plays into nothing, so the decoding,
// the conversion and the audio thread's copying all run.

#include "platform/sdl_sound_player.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // One player for the whole run, as the program keeps one: the device is opened once.
  static tovira::SdlSoundPlayer player;
  player.playLoop(std::as_bytes(std::span(data, size)));
  player.stop();
  return 0;
}
