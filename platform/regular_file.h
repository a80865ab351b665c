#pragma once
// Files a user can replace by anything, on POSIX systems: only regular files are
// read, and opening never blocks.

#include "settings/program_files.h"

#include <sys/stat.h>

#include <string>
#include <utility>

namespace tovira {

class UniqueFd {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd();
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now, reporting whether the data reached the file system without error.
  bool close();

 private:
  int fd_;
};

// Opens for reading without blocking on a FIFO; only a regular file is kept open.
// When nothing is opened, errno is ENOENT only if the file does not exist.
UniqueFd OpenRegularFile(const std::string& path, int extraFlags, struct stat& status);

}  // namespace tovira
