#pragma once
// A program folder for a whole session of the window on fake devices: the
// settings file and tick.wav as a test lays them out, then Load, then close.

#include "support/fake_platform.h"
#include "support/recording_reporter.h"
#include "support/scratch_directory.h"
#include "window/frm_stopwatch.h"

#include <array>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace tovira::testing {

inline constexpr std::array<const char*, 9> kKeyOrder{"Showbutton",  "ShowDigital",      "ShowAnalog",
                                                      "LapType",     "AnalogScale",      "AnalogColor",
                                                      "WindowForceFront", "BehaviorMode", "PlaySound"};
using SettingValues = std::array<std::string, 9>;
inline const SettingValues kShippedValues{"1", "1", "1", "1", "1", "C80000", "0", "0", "0"};

// The settings file as the program writes it afresh.
inline std::string IniText(const SettingValues& values, std::string_view lineEnd = "\n") {
  std::string text = "[ToviraWatch]" + std::string(lineEnd);
  for (std::size_t i = 0; i < kKeyOrder.size(); ++i) text += kKeyOrder[i] + ("=" + values[i]) + std::string(lineEnd);
  return text;
}

inline SettingValues ValuesOf(const WindowOptions& o) {
  const auto text = [](std::int32_t v) { return std::to_string(v); };
  return {text(o.Showbutton),   text(o.ShowDigital),      text(o.ShowAnalog),
          text(o.LapType),      text(o.AnalogScale),      o.AnalogColor.value_or("(not set)"),
          text(o.WindowForceFront), text(o.BehaviorMode), text(o.PlaySound)};
}

inline std::string ShippedTickSound() {
  const char* source = std::getenv("TOVIRA_SOURCE_DIR");
  return ReadBytes(std::filesystem::path(source ? source : ".") / "resources/sounds/tick.wav");
}

// Names and sizes of what a folder holds (symbolic links as links, size 0).
inline std::map<std::string, std::uintmax_t> Listing(const std::filesystem::path& folder) {
  std::map<std::string, std::uintmax_t> entries;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const bool plain = entry.is_regular_file() && !entry.is_symlink();
    entries[entry.path().filename().string()] = plain ? entry.file_size() : 0;
  }
  return entries;
}

struct Session {
  // The window uses `sound` when given, the fake player otherwise.
  explicit Session(const std::filesystem::path& folder, SoundPlayer* sound = nullptr)
      : window(PlatformServices{platform.ticks, sound ? *sound : platform.sound, platform.cursor,
                                platform.stacking, folder.string()}) {
    window.Load();
  }
  WindowOptions& options() { return window.state().options; }

  RecordingReporter reporter;
  FakePlatform platform;
  frmStopwatch window;
};

}  // namespace tovira::testing
