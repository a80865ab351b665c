#pragma once
// What choosing between the shared settings file and the user's own copy asks of
// the system.

#include <string>

namespace tovira {

// Whether this process may create and replace files in the directory (write
// and search permission, a file system mounted for writing).
bool MayWriteDirectory(const std::string& path);

// Whether the path names something, following symbolic links.
bool PathExists(const std::string& path);

// The environment variable's value, empty when it is unset.
std::string EnvironmentText(const char* name);

// Creates the directory and every missing parent with mode 0700, as desktop
// programs create the user's configuration folders. True when it is a
// directory afterwards.
bool MakeUserDirectories(const std::string& path);

}  // namespace tovira
