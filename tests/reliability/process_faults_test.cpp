// Faults that need a process of their own: a program folder the user may not
// write, a settings file the user may not read (both as an unprivileged user),
// a tick.wav that is no regular file, and saves killed at random moments.

#include "child_process.h"
#include "program_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <random>
#include <set>
#include <sstream>

namespace tovira::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

// Output and exit status of one helper session over `folder`; nothing when it hangs.
struct SessionResult {
  Lines lines;
  int status = 0;
};

std::optional<SessionResult> RunSession(const std::vector<std::string>& prefix, const fs::path& folder,
                                        const char* lapType) {
  std::vector<std::string> command = prefix;
  command.insert(command.end(), {kHelperProgram, "session", folder.string(), lapType});
  ChildProcess child(command);
  const auto lines = child.readAll(60s);
  if (!lines) return std::nullopt;
  return SessionResult{*lines, child.wait()};
}

class ProcessFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(folder.path() / "ToviraWatch.ini", IniText(kShippedValues));
    WriteBytes(folder.path() / "tick.wav", ShippedTickSound());
  }
  fs::path settings() const { return folder.path() / "ToviraWatch.ini"; }

  ScratchDirectory folder;
};

// The settings read, the change of display mode lost at shut-down without a
// report, and nothing in the folder touched.
TEST_F(ProcessFaults, AReadOnlyProgramFolderLosesTheSettingsAndNothingElse) {
  const auto prefix = UnprivilegedPrefix();
  if (!prefix) GTEST_SKIP() << "running as root without setpriv: permissions cannot be tested";
  const auto before = Listing(folder.path());
  ASSERT_EQ(::chmod(folder.path().c_str(), 0555), 0);

  const auto result = RunSession(*prefix, folder.path(), "3");
  ASSERT_TRUE(result) << "the session hangs";
  EXPECT_EQ(result->lines, (Lines{"loaded", "closed"}));
  EXPECT_EQ(result->status, 0);
  EXPECT_EQ(ReadBytes(settings()), IniText(kShippedValues));
  EXPECT_EQ(Listing(folder.path()), before);
}

// Where the user may not write the program's folder, the user's own copy holds the
// settings, in a folder made for the user alone, with every missing parent.
TEST_F(ProcessFaults, AProgramFolderNotTheUsersKeepsTheSettingsInTheUsersOwnCopy) {
  const auto prefix = UnprivilegedPrefix();
  if (!prefix) GTEST_SKIP() << "running as root without setpriv: permissions cannot be tested";
  ScratchDirectory configHome;
  ASSERT_EQ(::chmod(configHome.path().c_str(), 0777), 0);
  const fs::path nested = configHome.path() / "not yet" / "made";
  ASSERT_EQ(::setenv("XDG_CONFIG_HOME", nested.c_str(), 1), 0);
  ASSERT_EQ(::chmod(folder.path().c_str(), 0555), 0);
  const auto before = Listing(folder.path());

  const auto result = RunSession(*prefix, folder.path(), "3");
  ::unsetenv("XDG_CONFIG_HOME");
  ASSERT_TRUE(result) << "the session hangs";
  EXPECT_EQ(result->lines, (Lines{"loaded", "closed"}));
  SettingValues chosen = kShippedValues;
  chosen[3] = "3";
  EXPECT_EQ(ReadBytes(nested / "ToviraWatch" / "ToviraWatch.ini"), IniText(chosen));
  EXPECT_EQ(fs::status(nested / "ToviraWatch").permissions(), fs::perms::owner_all);
  EXPECT_EQ(Listing(folder.path()), before);
}

// Nothing read (106), nothing written over it: the file keeps its bytes and its mode.
TEST_F(ProcessFaults, AnUnreadableSettingsFileIsNeitherReadNorReplaced) {
  const auto prefix = UnprivilegedPrefix();
  if (!prefix) GTEST_SKIP() << "running as root without setpriv: permissions cannot be tested";
  ASSERT_EQ(::chmod(folder.path().c_str(), 0777), 0);
  ASSERT_EQ(::chmod(settings().c_str(), 0), 0);
  const auto before = Listing(folder.path());

  const auto result = RunSession(*prefix, folder.path(), "3");
  ASSERT_TRUE(result) << "the session hangs";
  EXPECT_EQ(result->lines, (Lines{"code 106", "loaded", "closed"}));
  EXPECT_EQ(result->status, 0);
  EXPECT_EQ(fs::status(settings()).permissions(), fs::perms::none);
  EXPECT_EQ(ReadBytes(settings()), IniText(kShippedValues));
  EXPECT_EQ(Listing(folder.path()), before);
}

// A tick.wav that never opens or never ends is no sound: start-up should report
// 004 as for a missing file and go on.
TEST_F(ProcessFaults, ATickSoundThatIsNoRegularFileDoesNotHangStartUp) {
  struct Case {
    const char* name;
    std::function<void(const fs::path&)> make;
  };
  const Case cases[] = {
      {"a named pipe", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); }},
      {"a link to an endless device", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(folder.path() / "tick.wav");
    c.make(folder.path() / "tick.wav");
    const auto result = RunSession({}, folder.path(), "1");
    ASSERT_TRUE(result) << "the session hangs";
    EXPECT_EQ(result->lines, (Lines{"code 4", "loaded", "closed"}));
  }
}

// The helper saves two option sets by turns, each differing from the other in
// every key; it is killed at a random moment a hundred times, each time going
// on from the file the last kill left.
TEST_F(ProcessFaults, ASaveKilledAtAnyMomentLeavesEachKeyOldOrNew) {
  const SettingValues first = kShippedValues;
  const SettingValues second{"0", "0", "0", "4", "3", "00FF00", "1", "1", "1"};
  std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<int> delayMicroseconds(0, 40000);
  int mixed = 0;

  for (int kill = 0; kill < 100; ++kill) {
    {
      ChildProcess child({kHelperProgram, "save-loop", folder.path().string()});
      ASSERT_EQ(child.readLine(30s), "saving");
      std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
      child.kill(SIGKILL);
      const int status = child.wait();
      ASSERT_TRUE(WIFSIGNALED(status)) << "the helper ended by itself";
    }
    // Complete: the section and the nine keys in their order, each old or new.
    std::istringstream file(ReadBytes(settings()));
    std::string line;
    ASSERT_TRUE(std::getline(file, line));
    ASSERT_EQ(line, "[ToviraWatch]") << "kill " << kill;
    std::set<bool> sets;
    for (std::size_t i = 0; i < kKeyOrder.size(); ++i) {
      ASSERT_TRUE(std::getline(file, line)) << "kill " << kill << ": the file ends early";
      const std::string prefix = std::string(kKeyOrder[i]) + "=";
      ASSERT_TRUE(line.starts_with(prefix)) << "kill " << kill << ": " << line;
      const std::string value = line.substr(prefix.size());
      ASSERT_TRUE(value == first[i] || value == second[i]) << "kill " << kill << ": " << line;
      sets.insert(value == first[i]);
    }
    EXPECT_FALSE(std::getline(file, line)) << "kill " << kill << ": more than the nine keys";
    mixed += sets.size() == 2 ? 1 : 0;
  }
  // A killed save may leave its temporary file behind; it never counts as the settings.
  std::size_t leftovers = Listing(folder.path()).size() - 2;
  RecordProperty("kills_leaving_two_saves", mixed);
  RecordProperty("temporary_files_left", static_cast<int>(leftovers));
  std::cout << mixed << " of 100 kills left keys from two saves; " << leftovers
            << " temporary files left behind\n";

  Session next(folder.path());
  EXPECT_TRUE(next.reporter.codes.empty());
  next.window.close();  // the next save clears what the killed ones left
  EXPECT_EQ(Listing(folder.path()).size(), 2u);
}

}  // namespace
}  // namespace tovira::testing
