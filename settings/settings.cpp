#include "settings/settings.h"

#include "common/failure.h"
#include "settings/ini_profile.h"
#include "settings/user_files.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

namespace tovira {
namespace {

// The keys in the order they are read and written. AnalogColor is the one text
// option; every other key holds an integer option.
struct SettingKey {
  const char* name;
  std::int32_t WindowOptions::*integer;  // null for AnalogColor
};

constexpr std::array<SettingKey, 9> kSettingKeys{{
    {"Showbutton", &WindowOptions::Showbutton},
    {"ShowDigital", &WindowOptions::ShowDigital},
    {"ShowAnalog", &WindowOptions::ShowAnalog},
    {"LapType", &WindowOptions::LapType},
    {"AnalogScale", &WindowOptions::AnalogScale},
    {"AnalogColor", nullptr},
    {"WindowForceFront", &WindowOptions::WindowForceFront},
    {"BehaviorMode", &WindowOptions::BehaviorMode},
    {"PlaySound", &WindowOptions::PlaySound},
}};

constexpr char kMissingText[] = "ERROR";
constexpr char kUserSettingsFolder[] = "ToviraWatch";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool AllDigits(std::string_view text) {
  for (const char c : text) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

// Whether the decimal fraction 0.<digits> moves a magnitude up, halves to even.
bool FractionRoundsUp(std::string_view digits, bool magnitudeIsOdd) {
  if (digits.empty() || digits.front() < '5') return false;
  if (digits.front() > '5') return true;
  const bool moreThanHalf = digits.find_first_not_of('0', 1) != std::string_view::npos;
  return moreThanHalf || magnitudeIsOdd;
}

// The user's own copy, in a folder of the program's own where the system keeps
// each user's settings; empty when it names no such place.
std::string UserSettingsFile() {
  const std::string folder = UserConfigurationFolder();
  if (folder.empty()) return {};
  return folder + kPathSeparator + kUserSettingsFolder + kPathSeparator + kSettingsFileName;
}

SettingsFiles LocateSettingsFiles(const std::string& programDirectory) {
  const bool writable = MayWriteDirectory(programDirectory);
  const std::string userCopy = writable ? std::string() : UserSettingsFile();
  return ChooseSettingsFiles(programDirectory, writable, userCopy, !userCopy.empty() && PathExists(userCopy));
}

}  // namespace

std::string ProgramFilePath(const std::string& programDirectory, std::string_view name) {
  return programDirectory + kPathSeparator + std::string(name);
}

std::string SettingsPath(const std::string& programDirectory) {
  return ProgramFilePath(programDirectory, kSettingsFileName);
}

SettingsFiles ChooseSettingsFiles(const std::string& programDirectory, bool programDirectoryWritable,
                                  const std::string& userCopy, bool userCopyExists) {
  const std::string beside = SettingsPath(programDirectory);
  if (programDirectoryWritable || userCopy.empty()) return {beside, beside};
  return {userCopyExists ? userCopy : beside, userCopy};
}

std::string ReadIniValue(const std::string& key, const std::string& section, const std::string& path) {
  std::string text;
  Guarded(ErrorCode::ReadIniValue, [&] { text = ReadProfileString(section, key, kMissingText, path); });
  return text;
}

bool WriteIniValue(const std::string& value, const std::string& key, const std::string& section,
                   const std::string& path) {
  bool written = false;
  Guarded(ErrorCode::WriteIniValue, [&] { written = WriteProfileString(section, key, value, path); });
  return written;
}

std::optional<std::int32_t> ParseSettingInteger(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  const bool negative = !text.empty() && text.front() == '-';
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);

  const std::size_t point = text.find('.');
  std::string_view whole = text.substr(0, point);
  const std::string_view fraction = point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
  if ((whole.empty() && fraction.empty()) || !AllDigits(whole) || !AllDigits(fraction)) return std::nullopt;

  // Work on the digits themselves: a double would misround long fractions.
  whole.remove_prefix(std::min(whole.find_first_not_of('0'), whole.size()));
  constexpr std::size_t kMaxDigits = 10;  // 2147483648 has ten
  if (whole.size() > kMaxDigits) return std::nullopt;
  std::int64_t magnitude = 0;
  for (const char c : whole) magnitude = magnitude * 10 + (c - '0');
  if (FractionRoundsUp(fraction, magnitude % 2 != 0)) ++magnitude;

  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

std::string SettingIntegerText(std::int32_t value) { return std::to_string(value); }

void LoadSettings(WindowOptions& options, const std::string& programDirectory) {
  Guarded(ErrorCode::LoadSettings, [&] {
    const std::string path = LocateSettingsFiles(programDirectory).read;
    for (const SettingKey& key : kSettingKeys) {
      std::string text = ReadIniValue(key.name, kSettingsSection, path);
      if (!key.integer) {
        options.AnalogColor = std::move(text);
        continue;
      }
      const std::optional<std::int32_t> value = ParseSettingInteger(text);
      if (!value) RaiseFault("a setting is no 32-bit integer");
      options.*key.integer = *value;
    }
  });
}

void SaveSettings(const WindowOptions& options, const std::string& programDirectory) {
  Guarded(ErrorCode::SaveSettings, [&] {
    const std::string path = LocateSettingsFiles(programDirectory).write;
    // A refused folder leaves every write below to fail unreported, as a refused file does.
    if (path != SettingsPath(programDirectory)) MakeUserDirectories(path.substr(0, path.rfind(kPathSeparator)));
    for (const SettingKey& key : kSettingKeys) {
      const std::string value =
          key.integer ? SettingIntegerText(options.*key.integer) : options.AnalogColor.value_or("");
      WriteIniValue(value, key.name, kSettingsSection, path);
    }
  });
}

}  // namespace tovira
