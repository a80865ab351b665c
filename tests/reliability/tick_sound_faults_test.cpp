// Whatever "tick.wav" holds, start-up and shut-down complete and a run with the
// sound on neither crashes nor reports more than the one documented failure.
// The real SDL player runs on SDL's dummy driver, so every image is decoded.

#include "program_folder.h"

#include "platform/sdl_sound_player.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>

namespace tovira::testing {
namespace {

namespace fs = std::filesystem;

std::string WaveHeaderClaiming(std::uint32_t dataBytes) {
  const auto le32 = [](std::uint32_t v) {
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
  };
  const std::string format("\x01\x00\x01\x00\x80\xBB\x00\x00\x00\x77\x01\x00\x02\x00\x10\x00", 16);
  return "RIFF" + le32(36 + dataBytes) + "WAVEfmt " + le32(16) + format + "data" + le32(dataBytes);
}

struct Case {
  const char* name;
  std::optional<std::string> bytes;  // nothing: no file at all
  bool readable;                     // start-up takes the bytes as the tick sound
};

class TickSoundFaults : public ::testing::TestWithParam<Case> {
 protected:
  static void SetUpTestSuite() { ::setenv("SDL_AUDIODRIVER", "dummy", 1); }
  ScratchDirectory folder;
};

TEST_P(TickSoundFaults, StartUpRunAndShutDownComplete) {
  const Case& c = GetParam();
  SettingValues values = kShippedValues;
  values[8] = "1";  // PlaySound
  WriteBytes(folder.path() / "ToviraWatch.ini", IniText(values));
  if (c.bytes) WriteBytes(folder.path() / "tick.wav", *c.bytes);

  SdlSoundPlayer player;
  Session session(folder.path(), &player);
  EXPECT_EQ(session.window.state().TickSound.size(), c.readable ? c.bytes->size() : 0u);
  session.window.cmdStartClick();
  session.platform.ticks.now += 1500;
  session.window.tmrClockTimer();
  session.window.cmdLapClick();
  session.window.cmdStartClick();
  session.window.close();

  // Without a sound start-up stops early and the Start with sound on fails at its last step.
  const std::vector<ErrorCode> expected =
      c.readable ? std::vector<ErrorCode>{} : std::vector<ErrorCode>{ErrorCode::Load, ErrorCode::StartClick};
  EXPECT_EQ(session.reporter.codes, expected);
  EXPECT_EQ(session.window.state().stopwatch.LapTimes, (std::vector<std::int32_t>{1500, 1500}));
  EXPECT_EQ(ReadBytes(folder.path() / "ToviraWatch.ini"), IniText(values)) << "the settings were saved";
}

std::string Garbage() {
  std::mt19937 random(11);
  std::string bytes(4096, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Files, TickSoundFaults,
    ::testing::Values(Case{"missing", std::nullopt, false}, Case{"empty", std::string(), false},
                      Case{"truncated", ShippedTickSound().substr(0, 30000), true},
                      Case{"header_only", ShippedTickSound().substr(0, 44), true},
                      Case{"cut_inside_its_fmt_chunk", ShippedTickSound().substr(0, 30), true},
                      Case{"data_claiming_64_MiB_over_1000_bytes", WaveHeaderClaiming(64u << 20) + std::string(1000, '\x10'),
                           true},
                      Case{"garbage", Garbage(), true},
                      Case{"garbage_after_a_wave_header", WaveHeaderClaiming(4096) + Garbage(), true},
                      Case{"a_wave_of_100_MB", WaveHeaderClaiming(100u << 20) + std::string(100u << 20, '\x10'), true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tovira::testing
