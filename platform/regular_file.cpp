#include "platform/regular_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace tovira {

UniqueFd::~UniqueFd() {
  if (fd_ >= 0) ::close(fd_);
}

bool UniqueFd::close() {
  const int fd = std::exchange(fd_, -1);
  return ::close(fd) == 0;
}

UniqueFd OpenRegularFile(const std::string& path, int extraFlags, struct stat& status) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | extraFlags));
  if (fd.valid() && (::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode))) {
    fd.close();
    errno = EISDIR;
  }
  return fd;
}

std::optional<std::vector<std::byte>> ReadRegularFile(const std::string& path) {
  struct stat status {};
  const UniqueFd fd = OpenRegularFile(path, 0, status);
  if (!fd.valid()) return std::nullopt;
  // The size read at opening bounds the read: a file that grows meanwhile is cut there.
  std::vector<std::byte> bytes(static_cast<std::size_t>(status.st_size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  bytes.resize(done);
  return bytes;
}

}  // namespace tovira
