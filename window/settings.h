#pragma once
// The settings file: the window's nine options in one INI section beside the
// program, read once at start-up and written once at shut-down, one key per call.

#include "window/options.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tovira {

inline constexpr char kSettingsSection[] = "ToviraWatch";
inline constexpr char kSettingsFileName[] = "ToviraWatch.ini";

// The directory, "/" and the file name, joined as they are.
std::string SettingsPath(const std::string& programDirectory);

// The key's text (at most 254 bytes), "ERROR" when the file or the key is missing.
// Guards itself: on a fault it reports and returns no text.
std::string ReadIniValue(const std::string& key, const std::string& section, const std::string& path);

// True when the key was written. A write the system refuses returns false without
// a report; a fault is reported and returns false.
bool WriteIniValue(const std::string& value, const std::string& key, const std::string& section,
                   const std::string& path);

// A setting's integer: optional blanks, an optional sign, decimal digits with an
// optional decimal fraction (at least one digit in all: "2.", ".5"), optional
// blanks. The fraction rounds to the nearest integer, halves to even, exactly
// however many digits it has. Empty when the text is no such number or the
// rounded value is outside the signed 32-bit range.
std::optional<std::int32_t> ParseSettingInteger(std::string_view text);

// Plain decimal digits, "-" first when negative.
std::string SettingIntegerText(std::int32_t value);

// Reads the nine keys in their fixed order. Guards itself: a key that is missing
// or no integer ends the reading there, leaving it and the later options as they were.
void LoadSettings(WindowOptions& options, const std::string& programDirectory);

// Writes the nine keys in their fixed order, whatever each write returns; a
// colour text never read in this run is written as an empty value. Guards itself.
void SaveSettings(const WindowOptions& options, const std::string& programDirectory);

}  // namespace tovira
