#pragma once
// Starting the helper program as a child process: reading its output line by
// line, killing it, waiting with a deadline, optionally as an unprivileged user.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace tovira::testing {

inline constexpr char kHelperProgram[] = TOVIRA_RELIABILITY_HELPER;

// The prefix that runs a command as user nobody when this process is root (which
// ignores file permissions); empty when it already runs unprivileged.
inline std::optional<std::vector<std::string>> UnprivilegedPrefix() {
  if (::geteuid() != 0) return std::vector<std::string>{};
  if (::access("/usr/bin/setpriv", X_OK) != 0) return std::nullopt;
  return std::vector<std::string>{"/usr/bin/setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
}

class ChildProcess {
 public:
  explicit ChildProcess(const std::vector<std::string>& command) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    std::vector<char*> args;
    for (const std::string& arg : command) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    const int error = ::posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    output_ = fds[0];
    if (error != 0) throw std::runtime_error("cannot start " + command.front());
  }
  ~ChildProcess() {
    if (!reaped_) {
      kill(SIGKILL);
      wait();
    }
    ::close(output_);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The next line of output, or nothing at its end or after the deadline.
  std::optional<std::string> readLine(std::chrono::milliseconds deadline) {
    const auto until = std::chrono::steady_clock::now() + deadline;
    for (;;) {
      const std::size_t lineFeed = buffered_.find('\n');
      if (lineFeed != std::string::npos) {
        std::string line = buffered_.substr(0, lineFeed);
        buffered_.erase(0, lineFeed + 1);
        return line;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
      pollfd entry{output_, POLLIN, 0};
      if (left.count() <= 0 || ::poll(&entry, 1, static_cast<int>(left.count())) <= 0) return std::nullopt;
      char chunk[4096];
      const ssize_t n = ::read(output_, chunk, sizeof chunk);
      if (n <= 0) return std::nullopt;
      buffered_.append(chunk, static_cast<std::size_t>(n));
    }
  }

  // Every remaining line until the output ends; nothing when the deadline passes first.
  std::optional<std::vector<std::string>> readAll(std::chrono::milliseconds deadline) {
    std::vector<std::string> lines;
    const auto until = std::chrono::steady_clock::now() + deadline;
    while (auto line = readLine(std::chrono::duration_cast<std::chrono::milliseconds>(
               until - std::chrono::steady_clock::now()))) {
      lines.push_back(*line);
    }
    if (std::chrono::steady_clock::now() >= until) return std::nullopt;
    return lines;
  }

  void kill(int signal) { ::kill(pid_, signal); }

  // The wait status.
  int wait() {
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    reaped_ = true;
    return status;
  }

 private:
  pid_t pid_ = -1;
  int output_ = -1;
  std::string buffered_;
  bool reaped_ = false;
};

}  // namespace tovira::testing
