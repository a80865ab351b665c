#include <QDataStream>
#include <QIODevice>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "resources/generator/artwork_generator.h"

namespace tovira::artwork {
namespace {

constexpr int kSampleRate = 44100;
constexpr int kBitsPerSample = 16;
constexpr int kBytesPerSample = kBitsPerSample / 8;
constexpr int kSamples = kSampleRate;  // exactly one second, so a loop ticks once a second

// The tick: two partials in the 2-3 kHz band under a fast exponential decay,
// cut off to true silence once it has died away.
constexpr double kPeak = 0.8 * 32767;
constexpr double kDecaySeconds = 0.0009;
constexpr double kLengthSeconds = 0.008;
constexpr double kLowHz = 2300;
constexpr double kHighHz = 3100;

qint16 TickSample(int i) {
  const double t = static_cast<double>(i) / kSampleRate;
  if (t >= kLengthSeconds) {
    return 0;
  }
  const double tone = 0.6 * std::sin(2 * std::numbers::pi * kLowHz * t) +
                      0.4 * std::sin(2 * std::numbers::pi * kHighHz * t);
  // A short linear fade at the end keeps the cut-off from clicking.
  const double fade = std::min(1.0, (kLengthSeconds - t) / 0.002);
  return static_cast<qint16>(std::lround(kPeak * std::exp(-t / kDecaySeconds) * fade * tone));
}

}  // namespace

QByteArray MakeTickWave() {
  constexpr quint32 kDataBytes = kSamples * kBytesPerSample;
  constexpr quint32 kFormatBytes = 16;
  QByteArray wave;
  QDataStream out(&wave, QIODevice::WriteOnly);
  out.setByteOrder(QDataStream::LittleEndian);
  out.writeRawData("RIFF", 4);
  out << quint32(4 + (8 + kFormatBytes) + (8 + kDataBytes));
  out.writeRawData("WAVE", 4);
  out.writeRawData("fmt ", 4);
  out << kFormatBytes << quint16(1) /* PCM */ << quint16(1) /* mono */ << quint32(kSampleRate)
      << quint32(kSampleRate * kBytesPerSample) << quint16(kBytesPerSample) << quint16(kBitsPerSample);
  out.writeRawData("data", 4);
  out << kDataBytes;
  for (int i = 0; i < kSamples; ++i) {
    out << TickSample(i);
  }
  return wave;
}

}  // namespace tovira::artwork
