#pragma once
// Loops an in-memory RIFF/WAVE image asynchronously until stopped.

#include <cstddef>
#include <span>

namespace tovira {

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

}  // namespace tovira
