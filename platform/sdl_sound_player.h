#pragma once
// Loops a WAVE image on the default audio device through SDL's audio subsystem,
// which is loaded when the first sound is to play.

#include "engine/services.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tovira {

// The device is opened by playLoop and closed by stop, SDL's audio subsystem with
// it: SDL's audio thread keeps running for a paused device, feeding it silence,
// and some outputs poll for devices while the subsystem is up; either would wake
// a stopped stopwatch many times a second. A device that cannot be opened
// (another program holds it, the sound server is restarting) is tried again at
// the next playLoop.
//
// SDL installs no signal handlers of its own: they would take the desktop's request
// to end the program (SIGTERM at logout) away from it.
class SdlSoundPlayer final : public SoundPlayer {
 public:
  SdlSoundPlayer() = default;
  ~SdlSoundPlayer() override;
  SdlSoundPlayer(const SdlSoundPlayer&) = delete;
  SdlSoundPlayer& operator=(const SdlSoundPlayer&) = delete;

  void playLoop(std::span<const std::byte> waveImage) override;
  void stop() override;

 private:
  // The format the device granted, which every image is converted to.
  struct DeviceFormat {
    std::uint16_t sampleFormat = 0;
    std::uint8_t channels = 0;
    int frequency = 0;
    std::uint8_t silence = 0;
  };

  bool deviceReady();
  bool openDevice();
  void closeDevice();
  // Runs on SDL's audio thread with the device locked.
  static void fillFromLoop(void* player, std::uint8_t* stream, int length);

  bool open_ = false;  // the subsystem up and the device open
  std::uint32_t device_ = 0;
  DeviceFormat format_;

  // Shared with the audio thread while the device is open: touched only with it locked.
  std::vector<std::uint8_t> loop_;
  std::size_t position_ = 0;
};

}  // namespace tovira
