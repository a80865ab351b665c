#include "settings/user_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>

namespace tovira {
namespace {

// An unset variable and an empty one are alike.
std::string_view EnvironmentText(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

// A relative $XDG_CONFIG_HOME is to be ignored, as the XDG base directories say.
std::string UserConfigurationFolder() {
  const std::string_view xdgConfigHome = EnvironmentText("XDG_CONFIG_HOME");
  if (xdgConfigHome.starts_with('/')) return std::string(xdgConfigHome);
  const std::string_view home = EnvironmentText("HOME");
  if (home.starts_with('/')) return std::string(home) + "/.config";
  return {};
}

bool MayWriteDirectory(const std::string& path) { return ::access(path.c_str(), W_OK | X_OK) == 0; }

bool PathExists(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0;
}

bool MakeUserDirectories(const std::string& path) {
  for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
    const std::string folder = path.substr(0, end);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (end == std::string::npos) break;
  }
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace tovira
