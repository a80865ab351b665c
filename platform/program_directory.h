#pragma once
// Where the running executable lives: the settings file and tick.wav sit beside it.

#include <string>

namespace tovira {

// The real directory of the running executable, every symbolic link resolved,
// without a trailing "/" (except for "/" itself). Throws std::runtime_error when
// the system cannot tell.
std::string ProgramDirectory();

}  // namespace tovira
