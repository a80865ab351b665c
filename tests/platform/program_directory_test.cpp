#include "settings/program_directory.h"
#include "settings/user_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace tovira {
namespace {

namespace fs = std::filesystem;

TEST(ProgramDirectory, IsTheAbsoluteDirectoryHoldingThisExecutable) {
  const std::string directory = ProgramDirectory();
  ASSERT_FALSE(directory.empty());
  EXPECT_EQ(directory.front(), '/');
  EXPECT_NE(directory.back(), '/');
  EXPECT_EQ(fs::canonical(directory).string(), directory) << "no link or dot left in it";

  bool holdsExecutable = false;
  for (const auto& entry : fs::directory_iterator(directory)) {
    holdsExecutable = holdsExecutable || fs::equivalent(entry.path(), "/proc/self/exe");
  }
  EXPECT_TRUE(holdsExecutable);
}

TEST(UserConfigurationFolder, FollowsXdgConfigHomeThenHome) {
  struct Case {
    const char* xdgConfigHome;  // null: unset
    const char* home;
    const char* expected;
  };
  const Case cases[] = {
      {"/cfg", "/home/u", "/cfg"},
      {"", "/home/u", "/home/u/.config"},
      {nullptr, "/home/u", "/home/u/.config"},
      {"cfg", "/home/u", "/home/u/.config"},  // relative: ignored
      {"/cfg", nullptr, "/cfg"},
      {"", "", ""},
      {"cfg", "home", ""},
  };
  const auto set = [](const char* name, const char* value) {
    if (value != nullptr) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  };
  const std::string xdgConfigHome = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  for (const Case& c : cases) {
    set("XDG_CONFIG_HOME", c.xdgConfigHome);
    set("HOME", c.home);
    EXPECT_EQ(UserConfigurationFolder(), c.expected)
        << (c.xdgConfigHome ? c.xdgConfigHome : "(unset)") << " | " << (c.home ? c.home : "(unset)");
  }
  set("XDG_CONFIG_HOME", xdgConfigHome.empty() ? nullptr : xdgConfigHome.c_str());
  set("HOME", home.c_str());
}

}  // namespace
}  // namespace tovira
