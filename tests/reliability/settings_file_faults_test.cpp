// Whatever the settings file holds or is, start-up and shut-down complete, nothing
// crashes, and nothing but the program's own keys changes.

#include "program_folder.h"

#include "settings/ini_profile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <random>

namespace tovira::testing {
namespace {

namespace fs = std::filesystem;

const std::vector<ErrorCode> kNone;
const std::vector<ErrorCode> kLoadSettingsFailed{ErrorCode::LoadSettings};

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

std::string Repeated(const std::string& line, std::size_t times) {
  std::string text;
  text.reserve(line.size() * times);
  for (std::size_t i = 0; i < times; ++i) text += line;
  return text;
}

std::string Replaced(std::string text, std::string_view from, std::string_view to) {
  const std::size_t at = text.find(from);
  if (at == std::string::npos) throw std::logic_error("nothing to replace");
  return text.replace(at, from.size(), to);
}

class SettingsFileFaults : public ::testing::Test {
 protected:
  SettingsFileFaults() { WriteBytes(folder.path() / "tick.wav", ShippedTickSound()); }
  fs::path settings() const { return folder.path() / "ToviraWatch.ini"; }

  ScratchDirectory folder;
};

// A file laid out by hand: the program reads the shipped values from it and, when
// the display mode changes, rewrites that one value and keeps every other byte.
TEST_F(SettingsFileFaults, HandEditedFilesKeepEveryByteButTheChangedValue) {
  const std::string shipped = IniText(kShippedValues);
  const std::string garbage = RandomBytes(64 * 1024, 7);
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"CRLF line endings", IniText(kShippedValues, "\r\n")},
      {"UTF-8 byte order mark", "\xEF\xBB\xBF" + shipped},
      {"NUL bytes in other lines", std::string("; \0\0\0\n", 6) + shipped + std::string("Other=a\0b\n\0\n", 12)},
      {"a line of 1 MB", "[Notes]\nText=" + std::string(1 << 20, 'x') + "\n" + shipped},
      {"binary garbage before the section", garbage + "\n" + shipped},
      {"100 MB of other lines", Repeated("; " + std::string(1021, '-') + "\n", 100 * 1024) + shipped},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(settings(), c.bytes);
    {
      Session session(folder.path());
      EXPECT_EQ(ValuesOf(session.options()), kShippedValues);
      session.window.SetDisplayMode(2);
      session.window.close();
      EXPECT_EQ(session.reporter.codes, kNone);
    }
    const std::string after = ReadBytes(settings());
    EXPECT_TRUE(after == Replaced(c.bytes, "LapType=1", "LapType=2")) << "the file changed beyond LapType";
    EXPECT_EQ(Listing(folder.path()).size(), 2u) << "only the settings file and tick.wav";
  }
}

// Garbage with no settings in it: nothing is read, and the settings are added
// after the garbage, which stays as it was.
TEST_F(SettingsFileFaults, GarbageIsKeptAndTheSettingsAddedAfterIt) {
  for (const unsigned seed : {1u, 2u, 3u}) {
    const std::string garbage = RandomBytes(16 * 1024, seed);
    WriteBytes(settings(), garbage);
    SettingValues saved;
    {
      Session session(folder.path());
      EXPECT_EQ(session.reporter.codes, kLoadSettingsFailed);
      session.window.SetDisplayMode(3);
      saved = ValuesOf(session.options());
      session.window.close();
    }
    EXPECT_TRUE(ReadBytes(settings()).starts_with(garbage));
    Session next(folder.path());
    EXPECT_EQ(next.reporter.codes, kNone);
    saved[5] = "";  // the colour was never read, so it was written empty
    EXPECT_EQ(ValuesOf(next.options()), saved);
  }
}

// An AnalogColor of 1 MB is cut to 254 characters by the reading and written back so.
TEST_F(SettingsFileFaults, AOneMegabyteColourIsCutTo254) {
  SettingValues values = kShippedValues;
  values[5] = std::string(1 << 20, 'A');
  WriteBytes(settings(), IniText(values));
  {
    Session session(folder.path());
    EXPECT_EQ(session.options().AnalogColor, std::string(254, 'A'));
    EXPECT_EQ(session.window.state().HandColor, 0xAAAAAAu);
    session.window.close();
    EXPECT_EQ(session.reporter.codes, kNone);
  }
  values[5].resize(254);
  EXPECT_EQ(ReadBytes(settings()), IniText(values));
}

// Paths that are no regular file: nothing is read, the save is refused without a
// report, and whatever was there stays.
TEST_F(SettingsFileFaults, ADirectoryOrAPipeIsLeftAlone) {
  struct Case {
    const char* name;
    std::function<void(const fs::path&)> make;
    bool isDirectory;
  };
  const Case cases[] = {
      {"a directory", [](const fs::path& p) { fs::create_directory(p); WriteBytes(p / "keep", "kept"); }, true},
      {"a named pipe", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.make(settings());
    {
      Session session(folder.path());
      EXPECT_EQ(ValuesOf(session.options())[0], "0");
      session.window.close();
      EXPECT_EQ(session.reporter.codes, kLoadSettingsFailed);
    }
    EXPECT_EQ(fs::is_directory(settings()), c.isDirectory);
    if (c.isDirectory) {
      EXPECT_EQ(ReadBytes(settings() / "keep"), "kept");
    }
    EXPECT_EQ(Listing(folder.path()).size(), 2u);
    fs::remove_all(settings());
  }
}

// A dangling link: nothing is read; the save creates the file it points to and
// the link stays a link, so the next start reads the saved values.
TEST_F(SettingsFileFaults, ADanglingLinkGetsItsTargetCreated) {
  fs::create_symlink("elsewhere.ini", settings());
  SettingValues saved;
  {
    Session session(folder.path());
    EXPECT_EQ(session.reporter.codes, kLoadSettingsFailed);
    session.window.SetDisplayMode(4);
    saved = ValuesOf(session.options());
    session.window.close();
  }
  EXPECT_TRUE(fs::is_symlink(settings()));
  ASSERT_TRUE(fs::is_regular_file(folder.path() / "elsewhere.ini"));
  Session next(folder.path());
  EXPECT_EQ(next.reporter.codes, kNone);
  saved[5] = "";
  EXPECT_EQ(ValuesOf(next.options()), saved);
}

// Found by fuzzing, when a lone CR was still text: writing another key after a last
// line ending in a lone CR turned that CR into the first half of a CRLF. A lone CR
// now ends a line, which the write keeps, adding its own lines in the file's first
// line break.
TEST(IniProfileRegressions, AWriteKeepsALoneCrThatEndsTheFile) {
  ScratchDirectory folder;
  const std::string path = (folder.path() / "any.ini").string();
  WriteBytes(path, "[A]\nk=v\r");
  ASSERT_EQ(ReadProfileString("A", "k", "", path), "v");
  ASSERT_TRUE(WriteProfileString("B", "x", "1", path));
  EXPECT_EQ(ReadBytes(path), "[A]\nk=v\r[B]\nx=1\n");
  EXPECT_EQ(ReadProfileString("A", "k", "", path), "v");
}

}  // namespace
}  // namespace tovira::testing
