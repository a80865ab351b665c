#pragma once
// Reading the files beside the program, which a user can replace by anything: a
// pipe, a device, a directory, a link to /dev/zero. Each system has its own.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tovira {

// The whole content of a regular file; nothing when the path is no readable
// regular file or a read fails. Opening never blocks.
std::optional<std::vector<std::byte>> ReadRegularFile(const std::string& path);

}  // namespace tovira
