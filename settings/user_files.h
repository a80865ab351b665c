#pragma once
// What choosing between the shared settings file and the user's own copy asks of
// the system. Paths are as the system's narrow file calls take them.

#include <string>

namespace tovira {

// The folder where this system keeps each user's own settings, each program's
// in a folder of its own: $XDG_CONFIG_HOME (an absolute one), else
// $HOME/.config, on a Linux desktop; the roaming application data on Windows.
// It need not exist yet. Empty when the system names none.
std::string UserConfigurationFolder();

// Whether this process may create and replace files in the directory (write
// and search permission, a file system mounted for writing).
bool MayWriteDirectory(const std::string& path);

// Whether the path names something, following symbolic links.
bool PathExists(const std::string& path);

// Creates the directory and every missing parent (on Windows also on a share,
// \\server\share\..., and beyond 260 characters where the system allows
// long paths), for the user alone where the system has such permissions, as
// desktop programs create their configuration folders. True when it is a
// directory afterwards.
bool MakeUserDirectories(const std::string& path);

}  // namespace tovira
