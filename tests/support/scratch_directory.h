#pragma once
// A fresh directory for a test's files, removed with everything in it afterwards,
// and whole-file helpers that keep every byte.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tovira::testing {

class ScratchDirectory {
 public:
  ScratchDirectory() {
    namespace fs = std::filesystem;
    std::random_device random;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const fs::path candidate = fs::temp_directory_path() / ("tovira-test-" + std::to_string(random()));
      if (fs::create_directory(candidate)) path_ = candidate;
    }
    if (path_.empty()) throw std::runtime_error("no scratch directory could be made");
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::replace);
  }
  ~ScratchDirectory() {
    namespace fs = std::filesystem;
    std::error_code ignored;
    // Tests may leave directories read-only; give them back before removing.
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (const auto& entry : fs::recursive_directory_iterator(path_, ignored)) {
      if (entry.is_directory(ignored)) fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(path_, ignored);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string file(std::string_view name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A settings file as the profile calls write it, given in LF lines: Windows' own
// calls write every line of a file they change in CRLF, ours keep the file's LF.
inline std::string AsWrittenByProfileCalls(std::string_view lfLines) {
#ifdef _WIN32
  std::string text;
  for (const char c : lfLines) text += c == '\n' ? std::string_view("\r\n") : std::string_view(&c, 1);
  return text;
#else
  return std::string(lfLines);
#endif
}

}  // namespace tovira::testing
