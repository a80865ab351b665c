// The player runs against SDL's disk driver, which writes what the device
// plays to a raw file: 16-bit stereo at 48 kHz, the format the player asks for
// and the disk driver grants unchanged.
#include "platform/sdl_sound_player.h"

#include "support/wave_builder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace tovira {
namespace {

namespace fs = std::filesystem;

constexpr int kDeviceRate = 48000;
constexpr std::size_t kDeviceFrameBytes = 4;
// Room for what was already mixed or buffered when the player was told to stop.
constexpr std::size_t kStopSlackBytes = 32 * 1024;
constexpr std::size_t kMinGapFrames = 1000;

using testing::MakeWave;
using testing::WaveFields;

// A loud square-wave click at the start of each period, silence for the rest.
std::vector<std::int16_t> ClickPeriod(std::size_t frames, int channels) {
  std::vector<std::int16_t> samples(frames * static_cast<std::size_t>(channels), 0);
  const std::size_t clickFrames = frames / 20;
  for (std::size_t i = 0; i < clickFrames * static_cast<std::size_t>(channels); ++i) {
    samples[i] = (i / 16) % 2 == 0 ? 8000 : -8000;
  }
  return samples;
}

std::vector<std::byte> ClickWave(std::uint32_t rate, int channels, std::size_t periodFrames) {
  WaveFields wave;
  wave.rate = rate;
  wave.channels = static_cast<std::uint16_t>(channels);
  wave.samples = testing::Pcm16(ClickPeriod(periodFrames, channels));
  return MakeWave(wave);
}

// ---- Reading what the device played ---------------------------------------

using Frames = std::vector<bool>;  // one entry per device frame: does it hold sound?

Frames ReadFrames(const fs::path& file, std::size_t fromByte = 0) {
  std::ifstream in(file, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Frames frames;
  for (std::size_t at = fromByte; at + kDeviceFrameBytes <= bytes.size(); at += kDeviceFrameBytes) {
    frames.push_back(std::any_of(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                 bytes.begin() + static_cast<std::ptrdiff_t>(at + kDeviceFrameBytes),
                                 [](char b) { return b != 0; }));
  }
  return frames;
}

// Frames where a sound begins after a long stretch of silence.
std::vector<std::size_t> Onsets(const Frames& frames) {
  std::vector<std::size_t> onsets;
  std::size_t silentRun = kMinGapFrames;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    if (frames[i] && silentRun >= kMinGapFrames) {
      onsets.push_back(i);
    }
    silentRun = frames[i] ? 0 : silentRun + 1;
  }
  return onsets;
}

std::vector<std::size_t> Strides(const std::vector<std::size_t>& onsets) {
  std::vector<std::size_t> strides;
  for (std::size_t i = 1; i < onsets.size(); ++i) {
    strides.push_back(onsets[i] - onsets[i - 1]);
  }
  return strides;
}

std::uintmax_t FileSize(const fs::path& file) {
  std::error_code ignored;
  const std::uintmax_t size = fs::file_size(file, ignored);
  return ignored ? 0 : size;
}

// The threads of this process now: a stopped player leaves none of its own.
std::ptrdiff_t threads() { return std::distance(fs::directory_iterator("/proc/self/task"), fs::directory_iterator()); }

bool WaitFor(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// ---- Fixture ----------------------------------------------------------------

class SdlSoundPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("sound-test-" + std::to_string(getpid()) + "-" + test->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    UseDiskDevice(dir_ / "device.raw");
  }
  void TearDown() override { fs::remove_all(dir_); }

  // SDL reads these when its audio subsystem starts, i.e. on a player's first playLoop.
  static void UseDiskDevice(const fs::path& file) {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
  }

  fs::path deviceFile() const { return dir_ / "device.raw"; }

  void waitForOnsets(std::size_t count, std::size_t fromByte = 0) const {
    ASSERT_TRUE(WaitFor([&] { return Onsets(ReadFrames(deviceFile(), fromByte)).size() >= count; }))
        << "the device never played " << count << " clicks";
  }

  // Everything the device writes from shortly after now on is silence; a closed
  // device writes nothing more at all.
  void expectSilenceFromNow() const {
    const std::size_t from = static_cast<std::size_t>(FileSize(deviceFile())) + kStopSlackBytes;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const Frames tail = ReadFrames(deviceFile(), from);
    EXPECT_EQ(std::count(tail.begin(), tail.end(), true), 0);
  }

  fs::path dir_;
};

// ---- Playing ----------------------------------------------------------------

struct LoopCase {
  const char* name;
  std::uint32_t rate;
  int channels;
  std::size_t periodFrames;    // in the image
  std::size_t expectedStride;  // in device frames
  std::size_t tolerance;       // resampling may round the loop's length
};

TEST_F(SdlSoundPlayerTest, ClicksRepeatWithTheLoopPeriod) {
  const LoopCase cases[] = {
      {"same rate, mono", kDeviceRate, 1, 4800, 4800, 0},
      {"half rate, stereo", kDeviceRate / 2, 2, 2400, 4800, 2},
      {"44.1 kHz, mono", 44100, 1, 4410, 4800, 2},
  };
  SdlSoundPlayer player;
  for (const LoopCase& c : cases) {
    SCOPED_TRACE(c.name);
    // Each case opens the device afresh, and the disk device starts its file anew.
    player.playLoop(ClickWave(c.rate, c.channels, c.periodFrames));
    waitForOnsets(5);
    const std::vector<std::size_t> strides = Strides(Onsets(ReadFrames(deviceFile())));
    for (const std::size_t stride : strides) {
      EXPECT_NEAR(static_cast<double>(stride), static_cast<double>(c.expectedStride),
                  static_cast<double>(c.tolerance));
    }
    player.stop();
  }
}

// A stopped player leaves no audio thread behind to wake the program.
TEST_F(SdlSoundPlayerTest, StopSilencesTheDeviceEndsItsThreadAndRepeatsHarmlessly) {
  SdlSoundPlayer player;
  player.stop();
  const auto idle = threads();
  player.playLoop(ClickWave(kDeviceRate, 1, 4800));
  waitForOnsets(2);
  EXPECT_GT(threads(), idle);
  player.stop();
  player.stop();
  expectSilenceFromNow();
  EXPECT_EQ(threads(), idle);
  player.playLoop(ClickWave(kDeviceRate, 1, 4800));  // and plays again after that
  waitForOnsets(2);
}

TEST_F(SdlSoundPlayerTest, PlayingAgainReplacesTheLoop) {
  SdlSoundPlayer player;
  player.playLoop(ClickWave(kDeviceRate, 1, 4800));
  waitForOnsets(2);
  const std::size_t from = static_cast<std::size_t>(FileSize(deviceFile())) + kStopSlackBytes;
  player.playLoop(ClickWave(kDeviceRate, 1, 2400));
  waitForOnsets(5, from);
  for (const std::size_t stride : Strides(Onsets(ReadFrames(deviceFile(), from)))) {
    EXPECT_EQ(stride, 2400u);
  }
}

// Under the sanitizers this catches the audio thread reading the loop after the player is gone.
TEST_F(SdlSoundPlayerTest, DestroyingWhilePlayingIsSafe) {
  auto player = std::make_unique<SdlSoundPlayer>();
  player->playLoop(ClickWave(kDeviceRate, 1, 4800));
  waitForOnsets(2);
  player.reset();
  SdlSoundPlayer next;
  next.playLoop(ClickWave(kDeviceRate, 1, 4800));
  next.stop();
}

// ---- Images that are no playable sound ----------------------------------

struct HostileCase {
  const char* name;
  std::function<std::vector<std::byte>()> image;
};

std::vector<std::byte> Truncated(std::vector<std::byte> image, std::size_t size) {
  image.resize(size);
  return image;
}

TEST_F(SdlSoundPlayerTest, ImagesThatAreNoSoundPlayNothing) {
  const auto valid = [] { return ClickWave(kDeviceRate, 1, 4800); };
  const auto withFields = [](auto edit) {
    return [edit] {
      WaveFields wave;
      wave.samples = testing::Pcm16(ClickPeriod(4800, 1));
      edit(wave);
      return MakeWave(wave);
    };
  };
  const HostileCase cases[] = {
      {"empty", [] { return std::vector<std::byte>{}; }},
      {"garbage", [] { return std::vector<std::byte>(5000, std::byte{0xA7}); }},
      {"truncated header", [valid] { return Truncated(valid(), 30); }},
      {"truncated data", [valid] { return Truncated(valid(), 44 + 100); }},
      {"huge declared sizes",
       withFields([](WaveFields& f) { f.riffSize = 0xFFFFFFFF, f.dataSize = 0xFFFFFFF0; })},
      {"odd block align", withFields([](WaveFields& f) { f.blockAlign = 3; })},
      {"no data", withFields([](WaveFields& f) { f.samples.clear(); })},
      {"data claiming 64 MiB over 1,000 bytes",
       withFields([](WaveFields& f) { f.samples.resize(1000), f.dataSize = 64u << 20; })},
      {"A-law, which SDL would decode itself",
       withFields([](WaveFields& f) { f.formatTag = 6, f.bits = 8, f.formatExtension = {std::byte{0}, std::byte{0}}; })},
      {"zero channels", withFields([](WaveFields& f) { f.channels = 0; })},
      {"zero rate", withFields([](WaveFields& f) { f.rate = 0; })},
      {"one hertz", withFields([](WaveFields& f) { f.rate = 1; })},
      {"absurd rate", withFields([](WaveFields& f) { f.rate = 0x7FFFFFFF; })},
      {"12-bit samples", withFields([](WaveFields& f) { f.bits = 12; })},
      {"unknown encoding", withFields([](WaveFields& f) { f.formatTag = 0x1234; })},
      {"100 MB", withFields([](WaveFields& f) { f.samples = testing::Pcm16(std::vector<std::int16_t>(50'000'000, 1000)); })},
  };
  for (const HostileCase& c : cases) {
    SCOPED_TRACE(c.name);
    SdlSoundPlayer player;
    player.playLoop(valid());
    waitForOnsets(1, static_cast<std::size_t>(FileSize(deviceFile())));
    player.playLoop(c.image());
    expectSilenceFromNow();
    player.playLoop(c.image());
    player.stop();
  }
}

// ---- No usable device -----------------------------------------------------

TEST_F(SdlSoundPlayerTest, WithoutAnAudioDriverNothingPlaysOrFails) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  const auto idle = threads();
  SdlSoundPlayer player;
  player.stop();
  player.playLoop(ClickWave(kDeviceRate, 1, 4800));
  player.playLoop(ClickWave(kDeviceRate, 1, 4800));
  EXPECT_EQ(threads(), idle) << "something plays without a driver";
  player.stop();
  player.stop();
  UseDiskDevice(deviceFile());  // and a driver that comes later is used
  player.playLoop(ClickWave(kDeviceRate, 1, 4800));
  waitForOnsets(2);
}

// ALSA's output keeps a thread that looks for new devices ten times a second for
// as long as SDL's audio subsystem is up: a stopped player must take it down too.
// ALSA's null device stands in for a sound card.
TEST_F(SdlSoundPlayerTest, StopLeavesNoThreadOfAlsasOutputBehind) {
  std::ofstream(dir_ / ".asoundrc") << "pcm.!default { type null }\n";
  const char* home = std::getenv("HOME");
  const std::string savedHome = home ? home : "";
  setenv("HOME", dir_.c_str(), 1);
  setenv("SDL_AUDIODRIVER", "alsa", 1);
  const auto idle = threads();
  {
    SdlSoundPlayer player;
    player.playLoop(ClickWave(kDeviceRate, 1, 4800));
    EXPECT_GT(threads(), idle) << "ALSA's null device did not open";
    player.stop();
    EXPECT_EQ(threads(), idle);
  }
  setenv("HOME", savedHome.c_str(), 1);
}

// A device that could not be opened at one Start (its folder missing, for the disk
// driver) plays at the next one once it can be opened.
TEST_F(SdlSoundPlayerTest, ADeviceThatFailedToOpenIsTriedAgainAtTheNextStart) {
  const fs::path missingDir = dir_ / "missing";
  UseDiskDevice(missingDir / "device.raw");
  SdlSoundPlayer player;
  player.playLoop(ClickWave(kDeviceRate, 1, 4800));
  player.stop();

  fs::create_directories(missingDir);
  player.playLoop(ClickWave(kDeviceRate, 1, 4800));
  ASSERT_TRUE(WaitFor([&] { return Onsets(ReadFrames(missingDir / "device.raw")).size() >= 2; }))
      << "the device was not opened again";
  player.stop();
}

}  // namespace
}  // namespace tovira
