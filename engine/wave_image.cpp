#include "engine/wave_image.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace tovira {
namespace {

constexpr std::size_t kChunkHeaderBytes = 8;
constexpr std::size_t kRiffHeaderBytes = 12;  // "RIFF", its size, "WAVE"
constexpr std::size_t kPcmFormatBytes = 16;   // the fields every fmt chunk holds
constexpr std::size_t kFormatExBytes = 18;    // with the extension's size
constexpr std::size_t kExtensibleBytes = 22;  // the extension of WAVE_FORMAT_EXTENSIBLE

// An extensible format's sub-format is a GUID whose first two bytes hold the
// plain format tag; the rest is this.
constexpr std::array<unsigned char, 14> kSubFormatTail{0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                       0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::uint32_t Read(std::span<const std::byte> bytes, std::size_t at, std::size_t width) {
  std::uint32_t value = 0;
  for (std::size_t i = width; i-- > 0;) value = (value << 8) | std::to_integer<std::uint32_t>(bytes[at + i]);
  return value;
}

std::uint16_t Read16(std::span<const std::byte> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(Read(bytes, at, 2));
}

std::uint32_t Read32(std::span<const std::byte> bytes, std::size_t at) { return Read(bytes, at, 4); }

bool HasTag(std::span<const std::byte> bytes, std::size_t at, std::string_view tag) {
  return std::memcmp(bytes.data() + at, tag.data(), tag.size()) == 0;
}

// The fmt chunk's body, or nothing when it is too short for its own fields.
std::optional<WaveFormat> ReadFormat(std::span<const std::byte> body, bool takesExtensible) {
  if (body.size() < kPcmFormatBytes) return std::nullopt;
  WaveFormat format{Read16(body, 0), Read16(body, 2), Read32(body, 4),
                    Read32(body, 8), Read16(body, 12), Read16(body, 14)};
  if (format.encoding == kWaveFormatPcm) return format;
  // Every other format declares the size of its extension, which readers copy.
  if (body.size() < kFormatExBytes || kFormatExBytes + Read16(body, 16) > body.size()) return std::nullopt;
  if (format.encoding != kWaveFormatExtensible) return format;
  if (!takesExtensible || Read16(body, 16) < kExtensibleBytes) return std::nullopt;
  const std::uint16_t validBits = Read16(body, 18);
  const std::span<const std::byte> subFormat = body.subspan(24, 16);
  if (validBits > format.bitsPerSample ||
      std::memcmp(subFormat.data() + 2, kSubFormatTail.data(), kSubFormatTail.size()) != 0) {
    return std::nullopt;
  }
  format.encoding = Read16(subFormat, 0);
  return format;
}

bool Plays(const WaveFormat& format, const WavePlayback& player) {
  const bool knownEncoding = std::ranges::any_of(player.encodings, [&](const WaveEncoding& e) {
    return e.formatTag == format.encoding && e.bitsPerSample == format.bitsPerSample;
  });
  const std::uint32_t block = std::uint32_t{format.channels} * (format.bitsPerSample / 8u);
  return knownEncoding && format.channels >= 1 && format.channels <= player.maxChannels &&
         format.rate >= player.minRate && format.rate <= player.maxRate && format.blockAlign == block &&
         std::uint64_t{format.bytesPerSecond} == std::uint64_t{format.rate} * format.blockAlign;
}

}  // namespace

std::optional<CheckedWave> CheckWaveImage(std::span<const std::byte> image, const WavePlayback& player) {
  if (image.size() < kRiffHeaderBytes || !HasTag(image, 0, "RIFF") || !HasTag(image, 8, "WAVE")) {
    return std::nullopt;
  }
  const std::uint32_t riffSize = Read32(image, 4);
  if (riffSize > image.size() - kChunkHeaderBytes) return std::nullopt;
  const std::span<const std::byte> riff = image.first(kChunkHeaderBytes + riffSize);

  // Every chunk is checked, not only those before the data: a reader may look
  // for more after it.
  std::optional<WaveFormat> format;
  std::optional<std::span<const std::byte>> samples;
  // Chunks start at even offsets: a chunk of odd size is followed by a pad byte.
  for (std::size_t at = kRiffHeaderBytes; at <= riff.size() && riff.size() - at >= kChunkHeaderBytes;) {
    const std::size_t body = at + kChunkHeaderBytes;
    const std::uint32_t size = Read32(riff, at + 4);
    if (size > riff.size() - body) return std::nullopt;
    if (!samples && HasTag(riff, at, "data")) {
      if (!format) return std::nullopt;
      samples = riff.subspan(body, size);
    } else if (!format && HasTag(riff, at, "fmt ")) {
      format = ReadFormat(riff.subspan(body, size), player.takesExtensible);
      if (!format) return std::nullopt;
    }
    at = body + size + (size & 1u);
  }
  if (!samples || !Plays(*format, player) ||
      samples->size() < std::max<std::size_t>(format->blockAlign, player.minDataBytes)) {
    return std::nullopt;
  }
  return CheckedWave{riff, *format, *samples};
}

}  // namespace tovira
