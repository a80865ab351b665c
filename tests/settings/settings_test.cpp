#include "settings/settings.h"

#include "support/scratch_directory.h"
#include "support/recording_reporter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <string>
#include <vector>

namespace tovira {
namespace {

using testing::ReadBytes;
using testing::RecordingReporter;
using testing::ScratchDirectory;
using testing::WriteBytes;

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
const std::vector<ErrorCode> kNoReport;
const std::vector<ErrorCode> kLoadReport{ErrorCode::LoadSettings};

TEST(ParseSettingInteger, AcceptsSignedDecimalsRoundingHalvesToEven) {
  struct Case {
    const char* text;
    std::int32_t expected;
  };
  const Case accepted[] = {
      {"0", 0},         {"1", 1},           {" 1 ", 1},        {"\t-12\t", -12},   {"+7", 7},
      {"-0", 0},        {"007", 7},         {"2.5", 2},        {"3.5", 4},         {"-2.5", -2},
      {"-3.5", -4},     {"2.4999", 2},      {"2.5000", 2},     {"2.50001", 3},     {".5", 0},
      {"1.5", 2},       {"2.", 2},          {"-.7", -1},       {"-0.5", 0},        {"2147483647", kMax},
      {"-2147483648", kMin},                {"2147483646.5", 2147483646},          {"2147483647.4", kMax},
      {"-2147483648.5", kMin},              {"0.5000000000000000000001", 1},
      {"00000000000000000000042", 42},
  };
  for (const Case& c : accepted) {
    const std::optional<std::int32_t> value = ParseSettingInteger(c.text);
    ASSERT_TRUE(value.has_value()) << '"' << c.text << '"';
    EXPECT_EQ(*value, c.expected) << '"' << c.text << '"';
  }
}

TEST(ParseSettingInteger, RejectsEverythingElse) {
  for (const char* text : {"", " ", "abc", "ERROR", "1e3", "0x10", "1,000", "1 000", "--1", "+-1", "- 1", ".", "+",
                           "1.2.3", "1a", "\xEF\xBC\x91", "2147483648", "-2147483649", "2147483647.5",
                           "-2147483648.51", "99999999999", "1\r"}) {
    EXPECT_FALSE(ParseSettingInteger(text).has_value()) << '"' << text << '"';
  }
}

TEST(SettingsPath, JoinsWithoutLookingAtTheSeparator) {
  EXPECT_EQ(SettingsPath("/opt/tovira"), "/opt/tovira/ToviraWatch.ini");
  EXPECT_EQ(SettingsPath("/"), "//ToviraWatch.ini");
}

TEST(ChooseSettingsFiles, BesideTheProgramUnlessItsFolderIsNotTheUsersToWrite) {
  const std::string beside = "/usr/lib/tovirawatch/ToviraWatch.ini";
  const std::string copy = "/home/u/.config/ToviraWatch/ToviraWatch.ini";
  struct Case {
    bool writable;
    std::string userCopy;
    bool userCopyExists;
    SettingsFiles expected;
  };
  const Case cases[] = {
      {true, copy, false, {beside, beside}},
      {true, copy, true, {beside, beside}},  // a copy from an earlier system-wide install stays unused
      {false, copy, false, {beside, copy}},  // the shipped defaults until the first save
      {false, copy, true, {copy, copy}},
      {false, "", false, {beside, beside}},  // no folder of the user's own
  };
  for (const Case& c : cases) {
    const SettingsFiles files = ChooseSettingsFiles("/usr/lib/tovirawatch", c.writable, c.userCopy, c.userCopyExists);
    EXPECT_EQ(files, c.expected) << c.writable << ' ' << c.userCopy << ' ' << c.userCopyExists << ": " << files.read
                                 << " | " << files.write;
  }
}

// Every option of a run, for comparing whole option sets.
struct Snapshot {
  std::vector<std::int32_t> integers;
  std::optional<std::string> color;
  bool operator==(const Snapshot&) const = default;
};

Snapshot Snap(const WindowOptions& o) {
  return {{o.Showbutton, o.ShowDigital, o.ShowAnalog, o.LapType, o.AnalogScale, o.WindowForceFront,
           o.BehaviorMode, o.PlaySound},
          o.AnalogColor};
}

std::ostream& operator<<(std::ostream& out, const Snapshot& s) {
  for (const std::int32_t v : s.integers) out << v << ' ';
  return out << (s.color ? '"' + *s.color + '"' : std::string("(not set)"));
}

class SettingsFile : public ::testing::Test {
 protected:
  std::string path() const { return SettingsPath(dir.path().string()); }
  void write(const std::string& content) const { WriteBytes(path(), content); }
  WindowOptions load() {
    WindowOptions options;
    LoadSettings(options, dir.path().string());
    return options;
  }
  void save(const WindowOptions& options) const { SaveSettings(options, dir.path().string()); }

  ScratchDirectory dir;
  RecordingReporter reporter;
};

TEST_F(SettingsFile, NoFileReportsOnceLeavesAllZeroAndSaveCreatesItInTableOrder) {
  const WindowOptions options = load();
  EXPECT_EQ(reporter.codes, kLoadReport);
  EXPECT_EQ(Snap(options), Snap(WindowOptions{}));

  save(options);
  EXPECT_EQ(ReadBytes(path()),
            "[ToviraWatch]\nShowbutton=0\nShowDigital=0\nShowAnalog=0\nLapType=0\nAnalogScale=0\nAnalogColor=\n"
            "WindowForceFront=0\nBehaviorMode=0\nPlaySound=0\n");

  reporter.codes.clear();
  const WindowOptions next = load();
  EXPECT_EQ(reporter.codes, kNoReport);
  EXPECT_EQ(next.AnalogColor, "");
}

TEST_F(SettingsFile, SavedOptionsLoadBackUnchanged) {
  WindowOptions options;
  options.Showbutton = 1;
  options.ShowDigital = 0;
  options.ShowAnalog = 1;
  options.LapType = 4;
  options.AnalogScale = 3;
  options.AnalogColor = "FF8000";
  options.WindowForceFront = 1;
  options.BehaviorMode = -7;
  options.PlaySound = kMin;
  save(options);
  EXPECT_EQ(Snap(load()), Snap(options));
  EXPECT_EQ(reporter.codes, kNoReport);
}

TEST_F(SettingsFile, HandWrittenValuesAreConvertedAndWrittenBackPlain) {
  write("; mine\n[toviraWatch]\nshowbutton=2\nShowDigital= 1 \nShowAnalog=1\r\nLapType=2.5\nAnalogScale=3.5\n"
        "AnalogColor= 00ff00 \nWindowForceFront=-0\nBehaviorMode=+1\nPlaySound=0\n[Other]\nx=y\n");
  const WindowOptions options = load();
  EXPECT_EQ(reporter.codes, kNoReport);
  EXPECT_EQ(Snap(options), (Snapshot{{2, 1, 1, 2, 4, 0, 1, 0}, "00ff00"}));

  save(options);
  EXPECT_EQ(ReadBytes(path()),
            "; mine\n[toviraWatch]\nshowbutton=2\nShowDigital=1\nShowAnalog=1\r\nLapType=2\nAnalogScale=4\n"
            "AnalogColor=00ff00\nWindowForceFront=0\nBehaviorMode=1\nPlaySound=0\n[Other]\nx=y\n");
}

// An old editor's file: CR line breaks, values in quotes as the classic calls allow.
TEST_F(SettingsFile, QuotedValuesInACrFileAreReadAndWrittenBackPlain) {
  write("[ToviraWatch]\rShowbutton=\"1\"\rShowDigital='0'\rShowAnalog=1\rLapType=\" 2\"\rAnalogScale=3\r"
        "AnalogColor=\"FF8000\"\rWindowForceFront=0\rBehaviorMode=1");
  const WindowOptions options = load();
  EXPECT_EQ(reporter.codes, kLoadReport) << "PlaySound is missing";
  EXPECT_EQ(Snap(options), (Snapshot{{1, 0, 1, 2, 3, 0, 1, 0}, "FF8000"}));

  save(options);
  EXPECT_EQ(ReadBytes(path()), "[ToviraWatch]\rShowbutton=1\rShowDigital=0\rShowAnalog=1\rLapType=2\rAnalogScale=3\r"
                               "AnalogColor=FF8000\rWindowForceFront=0\rBehaviorMode=1\rPlaySound=0\r");
}

TEST_F(SettingsFile, ABadNumberStopsTheReadingAtItsKey) {
  write("[ToviraWatch]\nShowbutton=1\nShowDigital=1\nShowAnalog=1\nLapType=3\nAnalogScale=abc\n"
        "AnalogColor=FF0000\nWindowForceFront=1\nBehaviorMode=1\nPlaySound=1\n");
  const WindowOptions options = load();
  EXPECT_EQ(reporter.codes, kLoadReport);
  EXPECT_EQ(Snap(options), (Snapshot{{1, 1, 1, 3, 0, 0, 0, 0}, std::nullopt}));
}

TEST_F(SettingsFile, MissingOrEmptyNumbersStopTheReadingMissingColorDoesNot) {
  struct Case {
    const char* content;
    Snapshot expected;
  };
  const Case cases[] = {
      {"[ToviraWatch]\nShowbutton=1\nShowDigital=\n", {{1, 0, 0, 0, 0, 0, 0, 0}, std::nullopt}},
      {"[ToviraWatch]\nShowbutton=1\nShowDigital=1\nShowAnalog=1\nLapType=1\nAnalogScale=1\n"
       "WindowForceFront=1\nBehaviorMode=1\n",
       {{1, 1, 1, 1, 1, 1, 1, 0}, "ERROR"}},
      {"[Other]\nShowbutton=1\n", {{0, 0, 0, 0, 0, 0, 0, 0}, std::nullopt}},
      {"[ToviraWatch]]\nShowbutton=1\n", {{0, 0, 0, 0, 0, 0, 0, 0}, std::nullopt}},
  };
  for (const Case& c : cases) {
    write(c.content);
    reporter.codes.clear();
    EXPECT_EQ(Snap(load()), c.expected) << c.content;
    EXPECT_EQ(reporter.codes, kLoadReport) << c.content;
  }
}

TEST_F(SettingsFile, MissingColorIsWrittenBackAsError) {
  write("[ToviraWatch]\nShowbutton=1\nShowDigital=1\nShowAnalog=1\nLapType=1\nAnalogScale=1\n"
        "WindowForceFront=0\nBehaviorMode=0\nPlaySound=0\n");
  const WindowOptions options = load();
  EXPECT_EQ(reporter.codes, kNoReport);
  EXPECT_EQ(options.AnalogColor, "ERROR");
  save(options);
  EXPECT_EQ(ReadBytes(path()),
            "[ToviraWatch]\nShowbutton=1\nShowDigital=1\nShowAnalog=1\nLapType=1\nAnalogScale=1\n"
            "WindowForceFront=0\nBehaviorMode=0\nPlaySound=0\nAnalogColor=ERROR\n");
}

TEST_F(SettingsFile, LongColorIsCutTo254) {
  write("[ToviraWatch]\nShowbutton=1\nShowDigital=1\nShowAnalog=1\nLapType=1\nAnalogScale=1\nAnalogColor=" +
        std::string(300, 'A') + "\n");
  EXPECT_EQ(load().AnalogColor, std::string(254, 'A'));
}

TEST_F(SettingsFile, ARefusedWriteIsNotReported) {
  std::filesystem::create_directory(path());  // a folder where the file should be
  EXPECT_FALSE(WriteIniValue("1", "Showbutton", kSettingsSection, path()));
  WindowOptions options;
  options.AnalogColor = "FF0000";
  save(options);
  EXPECT_EQ(reporter.codes, kNoReport);
  EXPECT_TRUE(std::filesystem::is_directory(path()));

  // A file the user made read-only to pin their settings.
  std::filesystem::remove(path());
  write("[ToviraWatch]\nShowbutton=1\n");
  std::filesystem::permissions(path(), std::filesystem::perms::owner_read);
  save(options);
  EXPECT_EQ(reporter.codes, kNoReport);
  EXPECT_EQ(ReadBytes(path()), "[ToviraWatch]\nShowbutton=1\n");
}

}  // namespace
}  // namespace tovira
