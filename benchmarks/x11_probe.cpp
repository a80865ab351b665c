// A small X11 helper for the whole-program benchmark, light enough not to disturb
// what it measures:
//   tovira_x11_probe launch LOG -- PROGRAM ARGS...
//       starts PROGRAM (its output to LOG) and waits until a top-level window of
//       its own is viewable; prints "PID WINDOW MS", MS counted from the fork.
//   tovira_x11_probe find-colour WINDOW RRGGBB TOLERANCE
//       prints "X Y COUNT": the centre of the window's pixels of that colour.
//   tovira_x11_probe digest WINDOW
//       prints a hash of the window's pixels, to see whether the picture changes.
// Needs a window manager that keeps _NET_CLIENT_LIST, such as openbox.

#include <xcb/xcb.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

template <class Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <class Reply>
ReplyPtr<Reply> Own(Reply* reply) {
  return ReplyPtr<Reply>(reply, &std::free);
}

[[noreturn]] void Fail(const std::string& message) {
  std::fprintf(stderr, "tovira_x11_probe: %s\n", message.c_str());
  std::exit(1);
}

class Display {
 public:
  Display() : connection_(xcb_connect(nullptr, nullptr)) {
    if (xcb_connection_has_error(connection_)) Fail("cannot connect to the X server");
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
  }
  ~Display() { xcb_disconnect(connection_); }
  Display(const Display&) = delete;
  Display& operator=(const Display&) = delete;

  xcb_atom_t atom(const char* name) {
    auto reply = Own(xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  }

  // The 32-bit items of a property, or nothing when the window lacks it.
  std::vector<std::uint32_t> cardinals(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) {
    auto reply = Own(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, property, type, 0, 4096), nullptr));
    if (!reply || reply->format != 32) return {};
    const auto* items = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return {items, items + xcb_get_property_value_length(reply.get()) / 4};
  }

  bool viewable(xcb_window_t window) {
    auto reply = Own(xcb_get_window_attributes_reply(
        connection_, xcb_get_window_attributes(connection_, window), nullptr));
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
  }

  // The managed top-level window of a process that is on screen, if any yet.
  std::optional<xcb_window_t> viewableWindowOf(pid_t pid) {
    static const xcb_atom_t clientList = atom("_NET_CLIENT_LIST");
    static const xcb_atom_t wmPid = atom("_NET_WM_PID");
    for (const xcb_window_t window : cardinals(root_, clientList, XCB_ATOM_WINDOW)) {
      const auto owner = cardinals(window, wmPid, XCB_ATOM_CARDINAL);
      if (!owner.empty() && owner.front() == static_cast<std::uint32_t>(pid) && viewable(window)) return window;
    }
    return std::nullopt;
  }

  // The window's pixels as 0xRRGGBB values, row by row.
  std::vector<std::uint32_t> pixels(xcb_window_t window, int& width, int& height) {
    auto geometry = Own(xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr));
    if (!geometry) Fail("no such window");
    width = geometry->width;
    height = geometry->height;
    auto image = Own(xcb_get_image_reply(
        connection_,
        xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, geometry->width, geometry->height, ~0u),
        nullptr));
    const auto count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (!image || static_cast<std::size_t>(xcb_get_image_data_length(image.get())) != count * 4 ||
        xcb_get_setup(connection_)->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) {
      Fail("cannot read the window's pixels as 32-bit values");
    }
    std::vector<std::uint32_t> result(count);
    std::memcpy(result.data(), xcb_get_image_data(image.get()), count * 4);
    for (auto& pixel : result) pixel &= 0xFFFFFF;
    return result;
  }

 private:
  xcb_connection_t* connection_;
  xcb_window_t root_;
};

pid_t Spawn(const char* log, char** argv) {
  const pid_t pid = fork();
  if (pid < 0) Fail("fork failed");
  if (pid == 0) {
    const int fd = open(log, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
      dup2(fd, STDOUT_FILENO);
      dup2(fd, STDERR_FILENO);
      close(fd);
    }
    execvp(argv[0], argv);
    std::perror(argv[0]);
    _exit(127);
  }
  return pid;
}

int Launch(const char* log, char** argv) {
  using Clock = std::chrono::steady_clock;
  Display display;
  const Clock::time_point forked = Clock::now();
  const pid_t pid = Spawn(log, argv);
  const Clock::time_point deadline = forked + std::chrono::seconds(60);
  while (Clock::now() < deadline) {
    if (const auto window = display.viewableWindowOf(pid)) {
      const std::chrono::duration<double, std::milli> elapsed = Clock::now() - forked;
      std::printf("%d %u %.1f\n", static_cast<int>(pid), *window, elapsed.count());
      return 0;
    }
    if (waitpid(pid, nullptr, WNOHANG) == pid) Fail(std::string(argv[0]) + " ended before showing a window");
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  std::printf("%d 0 0\n", static_cast<int>(pid));
  Fail(std::string(argv[0]) + " showed no window within 60 s");
}

int FindColour(xcb_window_t window, std::uint32_t rgb, int tolerance) {
  Display display;
  int width = 0, height = 0;
  const auto pixels = display.pixels(window, width, height);
  auto close = [tolerance](std::uint32_t a, std::uint32_t b) {
    for (int shift = 0; shift < 24; shift += 8) {
      if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance) {
        return false;
      }
    }
    return true;
  };
  long count = 0, sumX = 0, sumY = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (!close(pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)],
                 rgb)) {
        continue;
      }
      ++count;
      sumX += x;
      sumY += y;
    }
  }
  if (count == 0) Fail("no pixel of that colour");
  std::printf("%ld %ld %ld\n", sumX / count, sumY / count, count);
  return 0;
}

int Digest(xcb_window_t window) {
  Display display;
  int width = 0, height = 0;
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (const std::uint32_t pixel : display.pixels(window, width, height)) {
    hash = (hash ^ pixel) * 1099511628211ull;
  }
  std::printf("%016llx\n", static_cast<unsigned long long>(hash));
  return 0;
}

xcb_window_t WindowArg(const char* text) { return static_cast<xcb_window_t>(std::strtoul(text, nullptr, 0)); }

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "launch" && argc > 4 && std::strcmp(argv[3], "--") == 0) return Launch(argv[2], argv + 4);
  if (command == "find-colour" && argc == 5) {
    return FindColour(WindowArg(argv[2]), static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 16)),
                      std::atoi(argv[4]));
  }
  if (command == "digest" && argc == 3) return Digest(WindowArg(argv[2]));
  std::fprintf(stderr,
               "usage: tovira_x11_probe launch LOG -- PROGRAM ARGS...\n"
               "       tovira_x11_probe find-colour WINDOW RRGGBB TOLERANCE\n"
               "       tovira_x11_probe digest WINDOW\n");
  return 2;
}
