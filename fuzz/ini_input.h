#pragma once
// How the INI targets split an input. The last byte chooses whether the section
// and the key are the settings file's own names (so that the fuzzer meets real
// keys at once) or arbitrary texts taken from the front; the rest is the file.
//   bit 0 set: arbitrary section; bit 1 set: arbitrary key; bits 2-5: which of
//   the nine settings keys otherwise.

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <string>

namespace tovira::fuzz {

inline constexpr std::array<const char*, 9> kSettingsKeys{"Showbutton",  "ShowDigital",      "ShowAnalog",
                                                          "LapType",     "AnalogScale",      "AnalogColor",
                                                          "WindowForceFront", "BehaviorMode", "PlaySound"};

struct IniInput {
  std::string section;
  std::string key;
  std::string value;  // only when asked for
  std::string file;
};

inline IniInput DecodeIniInput(const std::uint8_t* data, std::size_t size, bool withValue) {
  FuzzedDataProvider provider(data, size);
  const auto choice = provider.ConsumeIntegral<std::uint8_t>();
  IniInput input;
  input.section = (choice & 1) ? provider.ConsumeRandomLengthString(64) : std::string("ToviraWatch");
  input.key = (choice & 2) ? provider.ConsumeRandomLengthString(64) : std::string(kSettingsKeys[(choice >> 2) % 9]);
  if (withValue) input.value = provider.ConsumeRandomLengthString(400);
  input.file = provider.ConsumeRemainingBytesAsString();
  return input;
}

}  // namespace tovira::fuzz
