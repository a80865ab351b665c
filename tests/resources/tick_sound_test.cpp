// The build leaves tick.wav beside the program; the program loops it, one tick a second.
#include <QByteArray>
#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

namespace tovira {
namespace {

struct Wave {
  quint16 format = 0;
  quint16 channels = 0;
  quint32 sampleRate = 0;
  quint32 byteRate = 0;
  quint16 blockAlign = 0;
  quint16 bitsPerSample = 0;
  std::vector<qint16> samples;
};

// A little-endian integer of sizeof(T) bytes at the offset.
template <typename T>
T Le(const QByteArray& bytes, qsizetype at) {
  quint32 value = 0;
  for (qsizetype i = 0; i < qsizetype{sizeof(T)}; ++i) {
    value |= quint32{static_cast<uchar>(bytes[at + i])} << (8 * i);
  }
  return static_cast<T>(value);
}

// Walks the RIFF chunks; nullopt when the file is not a well-formed WAVE file.
std::optional<Wave> ParseWave(const QByteArray& bytes) {
  if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE" ||
      Le<quint32>(bytes, 4) != static_cast<quint32>(bytes.size() - 8)) {
    return std::nullopt;
  }
  Wave wave;
  bool haveFormat = false;
  bool haveData = false;
  for (qsizetype at = 12; at + 8 <= bytes.size();) {
    const QByteArray id = bytes.mid(at, 4);
    const qsizetype size = Le<quint32>(bytes, at + 4);
    const qsizetype body = at + 8;
    if (size > bytes.size() - body) return std::nullopt;
    if (id == "fmt " && size >= 16) {
      wave.format = Le<quint16>(bytes, body);
      wave.channels = Le<quint16>(bytes, body + 2);
      wave.sampleRate = Le<quint32>(bytes, body + 4);
      wave.byteRate = Le<quint32>(bytes, body + 8);
      wave.blockAlign = Le<quint16>(bytes, body + 12);
      wave.bitsPerSample = Le<quint16>(bytes, body + 14);
      haveFormat = true;
    } else if (id == "data" && haveFormat) {
      for (qsizetype i = 0; i + 2 <= size; i += 2) wave.samples.push_back(Le<qint16>(bytes, body + i));
      haveData = true;
    }
    at = body + size + (size & 1);
  }
  return haveFormat && haveData ? std::optional(wave) : std::nullopt;
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int PeakBetween(const Wave& wave, double fromSeconds, double toSeconds) {
  const auto first = wave.samples.begin() + static_cast<qsizetype>(fromSeconds * wave.sampleRate);
  const auto last = wave.samples.begin() + static_cast<qsizetype>(toSeconds * wave.sampleRate);
  int peak = 0;
  std::for_each(first, last, [&](qint16 s) { peak = std::max(peak, std::abs(int{s})); });
  return peak;
}

TEST(TickSoundTest, BesideTheProgramIsTheCommittedSound) {
  const QByteArray copy = ReadAll(qEnvironmentVariable("TOVIRA_PROGRAM_DIR") + "/tick.wav");
  const QByteArray source = ReadAll(qEnvironmentVariable("TOVIRA_SOURCE_DIR") + "/resources/sounds/tick.wav");
  ASSERT_FALSE(source.isEmpty());
  EXPECT_EQ(copy, source);
}

TEST(TickSoundTest, IsOneSecondOfMonoPcmWithOneTickAtItsStart) {
  const auto wave = ParseWave(ReadAll(qEnvironmentVariable("TOVIRA_SOURCE_DIR") + "/resources/sounds/tick.wav"));
  ASSERT_TRUE(wave.has_value());
  EXPECT_EQ(wave->format, 1);
  EXPECT_EQ(wave->channels, 1);
  EXPECT_EQ(wave->sampleRate, 44100u);
  EXPECT_EQ(wave->bitsPerSample, 16);
  EXPECT_EQ(wave->blockAlign, 2);
  EXPECT_EQ(wave->byteRate, 88200u);
  ASSERT_EQ(wave->samples.size(), 44100u);

  EXPECT_GT(PeakBetween(*wave, 0, 0.005), 16000);   // loud at once
  EXPECT_LT(PeakBetween(*wave, 0.02, 1.0), 33);     // silent after it
  EXPECT_EQ(wave->samples.front(), 0);              // no click where the loop joins
  EXPECT_EQ(wave->samples.back(), 0);
}

}  // namespace
}  // namespace tovira
