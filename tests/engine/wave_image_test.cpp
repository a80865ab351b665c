#include "engine/wave_image.h"

#include "support/wave_builder.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>

namespace tovira {
namespace {

using testing::Bytes;
using testing::Chunk;
using testing::MakeWave;
using testing::WaveFields;

// A player that takes much, as a mixing library does, and one that takes little
// and reads ahead at the data chunk, as the system's own call does.
constexpr std::array<WaveEncoding, 5> kWideEncodings{
    {{kWaveFormatPcm, 8}, {kWaveFormatPcm, 16}, {kWaveFormatPcm, 24}, {kWaveFormatPcm, 32}, {kWaveFormatIeeeFloat, 32}}};
constexpr std::array<WaveEncoding, 3> kNarrowEncodings{
    {{kWaveFormatPcm, 8}, {kWaveFormatPcm, 16}, {kWaveFormatIeeeFloat, 32}}};
constexpr WavePlayback kWide{kWideEncodings, 8, 1000, 384000, true, 1};
constexpr WavePlayback kNarrow{kNarrowEncodings, 2, 8000, 192000, false, 4};

Bytes Extension(std::uint16_t size, Bytes rest = {}) {
  Bytes out;
  testing::AppendLE(out, size, 2);
  out.insert(out.end(), rest.begin(), rest.end());
  return out;
}

// WAVE_FORMAT_EXTENSIBLE's extension: valid bits, channel mask, sub-format GUID.
Bytes Extensible(std::uint16_t subFormat, std::uint16_t validBits, std::uint8_t lastGuidByte = 0x71) {
  Bytes rest;
  testing::AppendLE(rest, validBits, 2);
  testing::AppendLE(rest, 0x3, 4);
  testing::AppendLE(rest, subFormat, 2);
  for (const int b : {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B}) {
    rest.push_back(static_cast<std::byte>(b));
  }
  rest.push_back(static_cast<std::byte>(lastGuidByte));
  return Extension(22, rest);
}

Bytes Cut(Bytes image, std::size_t size) {
  image.resize(size);
  return image;
}

std::size_t DeclaredRiffSize(const Bytes& image) {
  std::size_t size = 0;
  for (std::size_t i = 8; i-- > 4;) size = size << 8 | std::to_integer<std::size_t>(image[i]);
  return size;
}

Bytes With(const std::function<void(WaveFields&)>& edit) {
  WaveFields wave;
  edit(wave);
  return MakeWave(wave);
}

TEST(CheckWaveImage, PlaysOnlyWellFormedImagesInTheFormatsEachPlayerTakes) {
  struct Case {
    const char* name;
    Bytes image;
    bool wide, narrow;  // whether each player plays it
  };
  const Bytes shortChunk = Chunk("LIST", Bytes(3));
  const Case cases[] = {
      {"16-bit mono PCM", With([](WaveFields&) {}), true, true},
      {"8-bit stereo PCM at 8 kHz", With([](WaveFields& s) { s.bits = 8, s.channels = 2, s.rate = 8000; }), true, true},
      {"float with its extension's size", With([](WaveFields& s) { s.formatTag = kWaveFormatIeeeFloat, s.bits = 32,
                                                                 s.formatExtension = Extension(0); }), true, true},
      {"float without it", With([](WaveFields& s) { s.formatTag = kWaveFormatIeeeFloat, s.bits = 32; }), false, false},
      {"24-bit PCM", With([](WaveFields& s) { s.bits = 24; }), true, false},
      {"three channels", With([](WaveFields& s) { s.channels = 3; }), true, false},
      {"4 kHz", With([](WaveFields& s) { s.rate = 4000; }), true, false},
      {"extensible PCM", With([](WaveFields& s) { s.formatTag = kWaveFormatExtensible, s.channels = 2,
                                                s.formatExtension = Extensible(kWaveFormatPcm, 16); }), true, false},
      {"extensible of another family", With([](WaveFields& s) { s.formatTag = kWaveFormatExtensible,
                                                              s.formatExtension = Extensible(1, 16, 0x72); }),
       false, false},
      {"extensible, more valid bits than bits", With([](WaveFields& s) {
         s.formatTag = kWaveFormatExtensible, s.formatExtension = Extensible(kWaveFormatPcm, 17); }), false, false},
      {"odd chunks with their pad bytes, a second fmt, chunks after the data",
       With([&](WaveFields& s) { s.before = shortChunk, s.between = testing::Join({Chunk("fmt ", Bytes(16)), shortChunk}),
                               s.after = Chunk("cue ", Bytes(4)); }), true, true},
      {"bytes after the RIFF chunk", With([](WaveFields& s) { s.after = Bytes(5, std::byte{0xFF}); s.riffSize = 4 + 24 + 8 + 96; }),
       true, true},
      {"fewer bytes than a chunk header at the RIFF chunk's end", With([](WaveFields& s) { s.after = Bytes(7); }), true,
       true},
      {"4 bytes of 8-bit mono", With([](WaveFields& s) { s.bits = 8, s.samples = Bytes(4); }), true, true},
      {"3 bytes of 8-bit mono", With([](WaveFields& s) { s.bits = 8, s.samples = Bytes(3); }), true, false},
      // Lies about sizes.
      {"data claiming 64 MiB over 1,000 bytes", With([](WaveFields& s) { s.samples = Bytes(1000), s.dataSize = 64u << 20; }),
       false, false},
      {"cut inside the fmt chunk", Cut(With([](WaveFields&) {}), 30), false, false},
      {"RIFF size 0xFFFFFFFF", With([](WaveFields& s) { s.riffSize = 0xFFFFFFFF; }), false, false},
      {"RIFF chunk ending inside the data", With([](WaveFields& s) { s.riffSize = 4 + 24 + 8 + 50; }), false, false},
      {"fmt size 0xFFFFFFFF", With([](WaveFields& s) { s.formatSize = 0xFFFFFFFF; }), false, false},
      {"a chunk before fmt claiming 0xFFFFFFFF",
       With([](WaveFields& s) { s.before = Chunk("LIST", Bytes(4), 0xFFFFFFFF); }), false, false},
      {"a chunk after the data claiming more than is left",
       With([](WaveFields& s) { s.after = Chunk("LIST", Bytes(4), 5); }), false, false},
      {"an extension larger than its chunk", With([](WaveFields& s) { s.formatTag = kWaveFormatIeeeFloat, s.bits = 32,
                                                                      s.formatExtension = Extension(2); }), false, false},
      // Order and presence.
      {"data before fmt", With([](WaveFields& s) { s.before = Chunk("data", Bytes(96)); }), false, false},
      {"no fmt", testing::Riff(Chunk("data", Bytes(96))), false, false},
      {"no data", Cut(With([](WaveFields&) {}), 12 + 24), false, false},
      {"not RIFF", [] { Bytes b = With([](WaveFields&) {}); b[3] = std::byte{'X'}; return b; }(), false, false},
      {"not WAVE", [] { Bytes b = With([](WaveFields&) {}); b[8] = std::byte{'A'}; return b; }(), false, false},
      {"empty", Bytes{}, false, false},
      // Formats no player takes.
      {"zero channels", With([](WaveFields& s) { s.channels = 0; }), false, false},
      {"nine channels", With([](WaveFields& s) { s.channels = 9; }), false, false},
      {"zero rate", With([](WaveFields& s) { s.rate = 0; }), false, false},
      {"absurd rate", With([](WaveFields& s) { s.rate = 0x7FFFFFFF; }), false, false},
      {"block align 3 for 16-bit mono", With([](WaveFields& s) { s.blockAlign = 3; }), false, false},
      {"bytes per second of another rate", With([](WaveFields& s) { s.bytesPerSecond = 44100 * 2; }), false, false},
      {"12-bit PCM", With([](WaveFields& s) { s.bits = 12, s.blockAlign = 2, s.bytesPerSecond = 96000; }), false, false},
      {"IMA ADPCM", With([](WaveFields& s) { s.formatTag = 0x11, s.bits = 4, s.blockAlign = 256, s.bytesPerSecond = 4055,
                                           s.samples = Bytes(256), s.formatExtension = Extension(2, Bytes(2)); }),
       false, false},
      {"A-law", With([](WaveFields& s) { s.formatTag = 6, s.bits = 8, s.formatExtension = Extension(0); }), false, false},
      {"data shorter than a block", With([](WaveFields& s) { s.channels = 2, s.samples = Bytes(2); }), false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const auto& [player, plays] : {std::pair{&kWide, c.wide}, std::pair{&kNarrow, c.narrow}}) {
      const std::optional<CheckedWave> wave = CheckWaveImage(c.image, *player);
      ASSERT_EQ(wave.has_value(), plays) << (player == &kWide ? "wide" : "narrow");
      if (!wave) continue;
      // What the player reads lies within the RIFF chunk, which starts the bytes.
      EXPECT_EQ(wave->image.data(), c.image.data());
      EXPECT_EQ(wave->image.size(), 8 + DeclaredRiffSize(c.image));
      EXPECT_NE(wave->format.encoding, kWaveFormatExtensible);
      EXPECT_GE(wave->samples.data(), wave->image.data());
      EXPECT_LE(wave->samples.data() + wave->samples.size(), wave->image.data() + wave->image.size());
    }
  }
}

}  // namespace
}  // namespace tovira
