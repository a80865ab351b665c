#pragma once
// The reads Windows' PlaySound makes of an in-memory image, which it is given no
// size for: a chunk's header is read as 12 bytes; fmt is looked for from the
// RIFF chunk's first chunk on, then data from the end of fmt on, each chunk
// skipped by its padded declared size; the fmt chunk is read whole, and a format
// other than PCM is copied with its declared extension; the data chunk is read
// whole, and the buffers are sized from the bytes per second and the block.
// Written from the behaviour of Wine's winmm, a model only: it shares nothing
// with the check it tests.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace tovira::fuzz {

// Whether every read lies within the image and the sizes divide safely.
inline bool PlaySoundReadsWithin(std::span<const std::byte> image) {
  const auto within = [&](std::uint64_t at, std::uint64_t count) { return at + count <= image.size(); };
  const auto le = [&](std::uint64_t at, int width) {
    std::uint32_t value = 0;
    for (int i = width; i-- > 0;) value = value << 8 | std::to_integer<std::uint32_t>(image[at + i]);
    return value;
  };
  // The offset of the chunk's body, or 0 when a read leaves the image.
  const auto find = [&](std::uint64_t at, const char* id) -> std::uint64_t {
    for (;;) {
      if (!within(at, 12)) return 0;
      if (std::memcmp(image.data() + at, id, 4) == 0) return at + 8;
      const std::uint32_t size = le(at + 4, 4);
      at += 8 + size + (size & 1u);
    }
  };
  if (!within(0, 12)) return false;
  const std::uint64_t fmt = find(12, "fmt ");
  if (fmt == 0) return false;
  const std::uint32_t fmtSize = le(fmt - 4, 4);
  if (fmtSize < 16 || !within(fmt, fmtSize)) return false;
  if (le(fmt, 2) != 1 && (fmtSize < 18 || 18u + le(fmt + 16, 2) > fmtSize)) return false;
  const std::uint64_t data = find(fmt + fmtSize + (fmtSize & 1u), "data");
  if (data == 0 || !within(data, le(data - 4, 4))) return false;
  return le(fmt + 12, 2) != 0 && le(fmt + 8, 4) >= 3;
}

}  // namespace tovira::fuzz
