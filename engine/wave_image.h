#pragma once
// The check every sound player makes before it hands a WAVE image to the system.
// The system's readers take every size from the image's own headers, so a file
// that lies about them would have them read past its end; a format they cannot
// play is refused here too, so that such a file plays nothing, as a missing
// device does.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace tovira {

inline constexpr std::uint16_t kWaveFormatPcm = 0x0001;
inline constexpr std::uint16_t kWaveFormatIeeeFloat = 0x0003;
inline constexpr std::uint16_t kWaveFormatExtensible = 0xFFFE;

// One sample encoding a player takes: a format tag with its bits per sample.
struct WaveEncoding {
  std::uint16_t formatTag;
  std::uint16_t bitsPerSample;
};

// What one player plays. Each player states its own.
struct WavePlayback {
  std::span<const WaveEncoding> encodings;
  std::uint16_t maxChannels;
  std::uint32_t minRate;
  std::uint32_t maxRate;
  // WAVE_FORMAT_EXTENSIBLE whose sub-format is one of the encodings.
  bool takesExtensible;
  // Some readers take more than a block at the data chunk's start.
  std::uint32_t minDataBytes;
};

// The fmt chunk's fields, the encoding being the sub-format's tag for an
// extensible format.
struct WaveFormat {
  std::uint16_t encoding;
  std::uint16_t channels;
  std::uint32_t rate;
  std::uint32_t bytesPerSecond;
  std::uint16_t blockAlign;
  std::uint16_t bitsPerSample;
};

struct CheckedWave {
  // The RIFF chunk, header included: all a player may read. Every chunk lies
  // inside it.
  std::span<const std::byte> image;
  WaveFormat format;
  // The data chunk's samples.
  std::span<const std::byte> samples;
};

// The image as the player may play it, or nothing unless it is a RIFF/WAVE
// image whose chunks all lie within its RIFF chunk, which lies within the
// bytes; whose first fmt chunk comes before the first data chunk and describes,
// with the whole extension that any format but plain PCM declares, an encoding,
// channel count and rate the player takes, a block of channels * bits / 8
// bytes and bytes per second of rate blocks; and whose data holds at least one
// block and the player's minimum. Bytes after the RIFF chunk are left out.
std::optional<CheckedWave> CheckWaveImage(std::span<const std::byte> image, const WavePlayback& player);

}  // namespace tovira
