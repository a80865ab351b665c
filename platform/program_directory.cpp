#include "settings/program_directory.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace tovira {

std::string ProgramDirectory() {
  // The kernel keeps the executable's resolved absolute path behind this link
  // (with " (deleted)" appended to the file name if it was removed since).
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error || !executable.is_absolute()) throw std::runtime_error("the program's directory is unknown");
  return executable.parent_path().string();
}

}  // namespace tovira
