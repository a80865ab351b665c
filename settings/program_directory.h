#pragma once
// Where the running executable lives: the settings file and tick.wav sit beside it.

#include <string>

namespace tovira {

// The real directory of the running executable, without a trailing separator
// (except for a root), as the system's narrow file calls take it: on Windows in
// the process code page, which the program's manifest makes UTF-8; on other
// systems with every symbolic link resolved. Throws std::runtime_error when the
// system cannot tell.
std::string ProgramDirectory();

}  // namespace tovira
