#pragma once
// The settings file: the window's nine options in one INI section beside the
// program, read once at start-up and written once at shut-down, one key per call.
// Where the user may not write the program's folder (a system-wide install), each
// user's own copy takes its place.

#include "settings/options.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tovira {

inline constexpr char kSettingsSection[] = "ToviraWatch";
inline constexpr char kSettingsFileName[] = "ToviraWatch.ini";

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// A file beside the program: the directory, the separator and the name, joined as
// they are (a root directory gives a doubled separator).
std::string ProgramFilePath(const std::string& programDirectory, std::string_view name);

// The settings file beside the program.
std::string SettingsPath(const std::string& programDirectory);

// The file LoadSettings reads and the one SaveSettings writes.
struct SettingsFiles {
  std::string read;
  std::string write;
  bool operator==(const SettingsFiles&) const = default;
};

// Beside the program while the user may write its folder (or has no folder of
// their own to go to). Otherwise the user's copy is written, and read once it
// exists; until then the shared file beside the program gives the defaults.
SettingsFiles ChooseSettingsFiles(const std::string& programDirectory, bool programDirectoryWritable,
                                  const std::string& userCopy, bool userCopyExists);

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

// Reads the nine keys in their fixed order from the file ChooseSettingsFiles
// picks on this machine. Guards itself: a key that is missing
// or no integer ends the reading there, leaving it and the later options as they were.
void LoadSettings(WindowOptions& options, const std::string& programDirectory);

// Writes the nine keys in their fixed order, whatever each write returns, to the
// file ChooseSettingsFiles picks, creating the user's folder for a user's copy; a
// colour text never read in this run is written as an empty value. Guards itself.
void SaveSettings(const WindowOptions& options, const std::string& programDirectory);

}  // namespace tovira
