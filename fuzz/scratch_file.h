#pragma once
// One private directory per fuzzing process, removed when the process ends, and
// whole-file helpers. The targets work on a real file because the code under test
// reads and replaces files itself.

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tovira::fuzz {

inline const std::filesystem::path& ScratchDirectory() {
  static const std::filesystem::path directory = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "tovira-fuzz-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(ScratchDirectory(), ignored);
    });
    return std::filesystem::path(pattern);
  }();
  return directory;
}

// Empties the directory so that every input starts from the same place.
inline void ClearScratchDirectory() {
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(ScratchDirectory(), ignored)) {
    std::filesystem::remove_all(entry.path(), ignored);
  }
}

inline std::vector<std::string> ScratchEntries() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(ScratchDirectory())) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

inline void WriteWholeFile(const std::string& path, std::string_view bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fclose(file) != 0) {
    std::abort();
  }
}

inline std::string ReadWholeFile(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) std::abort();
  std::string bytes;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.append(buffer, n);
  std::fclose(file);
  return bytes;
}

// Stops the run with the input saved as a crash, naming the broken property.
[[noreturn]] inline void Violated(const char* property) {
  std::fprintf(stderr, "property violated: %s\n", property);
  std::abort();
}

inline void Require(bool holds, const char* property) {
  if (!holds) Violated(property);
}

}  // namespace tovira::fuzz
