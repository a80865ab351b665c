#include "platform/program_directory.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tovira
