#pragma once
// WAVE images for tests, well formed unless a field says otherwise: every size,
// count and chunk can be set to a lie.

#include "engine/wave_image.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <vector>

namespace tovira::testing {

using Bytes = std::vector<std::byte>;

inline void Append(Bytes& out, std::string_view text) {
  for (const char c : text) out.push_back(static_cast<std::byte>(c));
}

inline void AppendLE(Bytes& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::byte>(value >> (8 * i)));
}

// A chunk with its pad byte, declaring `declared` bytes when given.
inline Bytes Chunk(std::string_view tag, const Bytes& body, std::optional<std::uint32_t> declared = {}) {
  Bytes out;
  Append(out, tag);
  AppendLE(out, declared.value_or(static_cast<std::uint32_t>(body.size())), 4);
  out.insert(out.end(), body.begin(), body.end());
  if (body.size() % 2 != 0) out.push_back(std::byte{0});
  return out;
}

inline Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

// "RIFF", its size, "WAVE" and the chunks.
inline Bytes Riff(const Bytes& chunks, std::optional<std::uint32_t> declared = {}) {
  Bytes out;
  Append(out, "RIFF");
  AppendLE(out, declared.value_or(static_cast<std::uint32_t>(4 + chunks.size())), 4);
  Append(out, "WAVE");
  out.insert(out.end(), chunks.begin(), chunks.end());
  return out;
}

inline Bytes Pcm16(const std::vector<std::int16_t>& samples) {
  Bytes out;
  for (const std::int16_t s : samples) AppendLE(out, static_cast<std::uint16_t>(s), 2);
  return out;
}

struct WaveFields {
  std::uint16_t formatTag = kWaveFormatPcm;
  std::uint16_t channels = 1;
  std::uint32_t rate = 48000;
  std::uint16_t bits = 16;
  std::optional<std::uint16_t> blockAlign;      // channels * bits / 8
  std::optional<std::uint32_t> bytesPerSecond;  // rate * block
  Bytes formatExtension;                        // after the 16 bytes of fields, its size first
  std::optional<std::uint32_t> formatSize;      // as declared
  Bytes samples = Bytes(96);
  std::optional<std::uint32_t> dataSize;  // as declared
  std::optional<std::uint32_t> riffSize;  // as declared
  Bytes before, between, after;           // whole chunks around fmt and data
};

inline Bytes MakeWave(const WaveFields& s) {
  const std::uint16_t block = s.blockAlign.value_or(static_cast<std::uint16_t>(s.channels * (s.bits / 8)));
  Bytes fmt;
  AppendLE(fmt, s.formatTag, 2);
  AppendLE(fmt, s.channels, 2);
  AppendLE(fmt, s.rate, 4);
  AppendLE(fmt, s.bytesPerSecond.value_or(s.rate * block), 4);
  AppendLE(fmt, block, 2);
  AppendLE(fmt, s.bits, 2);
  fmt.insert(fmt.end(), s.formatExtension.begin(), s.formatExtension.end());
  return Riff(Join({s.before, Chunk("fmt ", fmt, s.formatSize), s.between, Chunk("data", s.samples, s.dataSize),
                     s.after}),
              s.riffSize);
}

}  // namespace tovira::testing
