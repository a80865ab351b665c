#include "platform/sdl_sound_player.h"

#include "engine/wave_image.h"
#include "platform/sdl_audio_library.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>

namespace tovira {
namespace {

// A tick is a short loop. Larger images are refused rather than decoded and
// converted on the caller's (user-interface) thread.
constexpr std::size_t kMaxImageBytes = std::size_t{4} << 20;
constexpr std::uint64_t kMaxConversionBytes = std::uint64_t{64} << 20;

constexpr int kWantedFrequency = 48000;
constexpr std::uint8_t kWantedChannels = 2;
constexpr std::uint16_t kWantedSamples = 1024;

// What SDL's loader decodes and converts without a codec of its own: compressed
// formats are refused, as their decoders are where malformed files do harm.
constexpr std::array<WaveEncoding, 5> kSdlEncodings{{{kWaveFormatPcm, 8},
                                                     {kWaveFormatPcm, 16},
                                                     {kWaveFormatPcm, 24},
                                                     {kWaveFormatPcm, 32},
                                                     {kWaveFormatIeeeFloat, 32}}};
// Beyond this rate the resampler's working buffers grow out of all proportion.
constexpr WavePlayback kSdlPlayback{kSdlEncodings, 8, 1000, 384000, true, 1};

struct SdlWaveFree {
  void operator()(Uint8* samples) const { SdlAudio()->FreeWAV(samples); }
};

struct Wave {
  SDL_AudioSpec layout{};
  std::unique_ptr<Uint8, SdlWaveFree> samples;
  Uint32 length = 0;
};

// SDL allocates as much as the data chunk declares before reading it, so only a
// checked image reaches it.
std::optional<Wave> DecodeWave(std::span<const std::byte> image) {
  const std::optional<CheckedWave> checked =
      image.size() <= kMaxImageBytes ? CheckWaveImage(image, kSdlPlayback) : std::nullopt;
  if (!checked) return std::nullopt;
  SDL_RWops* source = SdlAudio()->RWFromConstMem(checked->image.data(), static_cast<int>(checked->image.size()));
  if (source == nullptr) {
    return std::nullopt;
  }
  Wave wave;
  Uint8* samples = nullptr;
  if (SdlAudio()->LoadWAV_RW(source, 1, &wave.layout, &samples, &wave.length) == nullptr) {
    return std::nullopt;
  }
  wave.samples.reset(samples);
  if (wave.length == 0) return std::nullopt;
  return wave;
}

// The whole image in the device's format, whole frames only; empty when it
// cannot be converted or the conversion would need too much memory.
std::vector<std::uint8_t> ConvertToDevice(const Wave& wave, SDL_AudioFormat format, int channels,
                                          int frequency) {
  SDL_AudioCVT cvt{};
  if (SdlAudio()->BuildAudioCVT(&cvt, wave.layout.format, wave.layout.channels, wave.layout.freq, format,
                        static_cast<Uint8>(channels), frequency) < 0 ||
      cvt.len_mult <= 0) {
    return {};
  }
  const std::uint64_t workBytes = std::uint64_t{wave.length} * static_cast<std::uint64_t>(cvt.len_mult);
  if (workBytes > kMaxConversionBytes) {
    return {};
  }
  std::vector<std::uint8_t> loop(static_cast<std::size_t>(workBytes));
  std::copy_n(wave.samples.get(), wave.length, loop.begin());
  cvt.buf = loop.data();
  cvt.len = static_cast<int>(wave.length);
  if (SdlAudio()->ConvertAudio(&cvt) != 0 || cvt.len_cvt <= 0) {
    return {};
  }
  const auto frameBytes = static_cast<std::size_t>(SDL_AUDIO_BITSIZE(format) / 8 * channels);
  const auto converted = static_cast<std::size_t>(cvt.len_cvt);
  loop.resize(converted - converted % frameBytes);
  loop.shrink_to_fit();
  return loop;
}

}  // namespace

SdlSoundPlayer::~SdlSoundPlayer() { closeDevice(); }

void SdlSoundPlayer::playLoop(std::span<const std::byte> waveImage) {
  if (SdlAudio() == nullptr) return;  // no SDL on this machine: no sound
  const std::optional<Wave> wave = DecodeWave(waveImage);
  if (!wave || !deviceReady()) {
    stop();
    return;
  }
  std::vector<std::uint8_t> loop =
      ConvertToDevice(*wave, format_.sampleFormat, format_.channels, format_.frequency);
  if (loop.empty()) {
    stop();
    return;
  }
  // A loop that plays already is replaced under the lock, without a gap for reopening.
  SdlAudio()->LockAudioDevice(device_);
  loop_.swap(loop);
  position_ = 0;
  SdlAudio()->UnlockAudioDevice(device_);
  SdlAudio()->PauseAudioDevice(device_, 0);
}

void SdlSoundPlayer::stop() { closeDevice(); }

void SdlSoundPlayer::closeDevice() {
  if (!open_) {
    return;
  }
  // Closing waits for the audio thread to end, so the loop is ours alone afterwards.
  // The subsystem goes too: some outputs keep a thread of their own while it is up
  // (ALSA's looks for new devices ten times a second).
  SdlAudio()->CloseAudioDevice(device_);
  SdlAudio()->QuitSubSystem(SDL_INIT_AUDIO);
  device_ = 0;
  open_ = false;
  loop_.clear();
  loop_.shrink_to_fit();
  position_ = 0;
}

bool SdlSoundPlayer::deviceReady() {
  if (!open_) open_ = openDevice();
  return open_;
}

bool SdlSoundPlayer::openDevice() {
  SdlAudio()->SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SdlAudio()->InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  SDL_AudioSpec wanted{};
  wanted.freq = kWantedFrequency;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = kWantedChannels;
  wanted.samples = kWantedSamples;
  wanted.callback = &SdlSoundPlayer::fillFromLoop;
  wanted.userdata = this;
  SDL_AudioSpec granted{};
  device_ = SdlAudio()->OpenAudioDevice(nullptr, 0, &wanted, &granted, SDL_AUDIO_ALLOW_ANY_CHANGE);
  if (device_ == 0) {
    SdlAudio()->QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  format_ = {granted.format, granted.channels, granted.freq, granted.silence};
  return true;
}

void SdlSoundPlayer::fillFromLoop(void* player, std::uint8_t* stream, int length) {
  auto& self = *static_cast<SdlSoundPlayer*>(player);
  std::span<std::uint8_t> out(stream, static_cast<std::size_t>(length));
  if (self.loop_.empty()) {
    std::ranges::fill(out, self.format_.silence);
    return;
  }
  while (!out.empty()) {
    const std::size_t count = std::min(out.size(), self.loop_.size() - self.position_);
    std::copy_n(self.loop_.begin() + static_cast<std::ptrdiff_t>(self.position_), count, out.begin());
    out = out.subspan(count);
    self.position_ = (self.position_ + count) % self.loop_.size();
  }
}

}  // namespace tovira
