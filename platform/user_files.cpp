#include "platform/user_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tovira {

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
