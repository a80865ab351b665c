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

// Creates the directory and every missing parent, for the user alone where the
// system has such permissions, as desktop programs create their configuration
// folders. True when it is a directory afterwards.
bool MakeUserDirectories(const std::string& path);

}  // namespace tovira
