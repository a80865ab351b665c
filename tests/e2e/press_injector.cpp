// Presses the left mouse button through XTest, as a person would, and tells when
// each press was sent:
//   tovira_press_injector X Y COUNT MIN_MS MAX_MS SEED
// The pointer moves to (X, Y) in the root window's pixels; then COUNT presses
// follow, the first at once, each later one MIN_MS to MAX_MS after the one before
// (drawn evenly from SEED, so a run can be repeated). Every press is released
// 40 ms later. Prints one line per press, "press N SECONDS STAMP": CLOCK_MONOTONIC
// read as soon as the press, sent without delay, has been flushed to the server,
// and the server's own stamp of the press in milliseconds, as XInput2's raw event
// of the press carries it (every client's event of that press bears the same).
// Meant to run at a high priority, as a desktop's input path does, so that the
// time read is the time the server gets the press.

#include <xcb/xcb.h>
#include <xcb/xinput.h>
#include <xcb/xtest.h>

#include <time.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

constexpr long kReleaseAfterMs = 40;
constexpr long kSettleMs = 200;  // after the move, before the first press
constexpr long long kNanosPerSecond = 1'000'000'000;

[[noreturn]] void Fail(const char* message) {
  std::fprintf(stderr, "tovira_press_injector: %s\n", message);
  std::exit(1);
}

long Number(const char* text) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0') Fail("arguments must be whole numbers");
  return value;
}

timespec Now() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now;
}

timespec Later(const timespec& t, long long microseconds) {
  const long long nanos = t.tv_nsec + microseconds * 1000;
  return {static_cast<time_t>(t.tv_sec + nanos / kNanosPerSecond), static_cast<long>(nanos % kNanosPerSecond)};
}

void SleepUntil(const timespec& when) {
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &when, nullptr) == EINTR) {
  }
}

class FakeInput {
 public:
  FakeInput() : connection_(xcb_connect(nullptr, nullptr)) {
    if (xcb_connection_has_error(connection_)) Fail("cannot connect to the X server");
    const xcb_query_extension_reply_t* xtest = xcb_get_extension_data(connection_, &xcb_test_id);
    if (xtest == nullptr || !xtest->present) Fail("the X server has no XTEST extension");
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    listenToRawPresses();
  }
  ~FakeInput() { xcb_disconnect(connection_); }
  FakeInput(const FakeInput&) = delete;
  FakeInput& operator=(const FakeInput&) = delete;

  // Moves the pointer and waits until the server has done so.
  void moveTo(std::int16_t x, std::int16_t y) {
    send(XCB_MOTION_NOTIFY, 0, x, y);
    sync();
  }

  // Returns once the server has handled every request sent before.
  void sync() { std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr)); }

  // The server's stamp of the next press it reports.
  std::uint32_t nextPressStamp() {
    while (xcb_generic_event_t* event = xcb_wait_for_event(connection_)) {
      const auto* generic = reinterpret_cast<const xcb_ge_generic_event_t*>(event);
      const bool rawPress = (event->response_type & 0x7F) == XCB_GE_GENERIC && generic->extension == xinput_ &&
                            generic->event_type == XCB_INPUT_RAW_BUTTON_PRESS;
      const std::uint32_t stamp = reinterpret_cast<const xcb_input_raw_button_press_event_t*>(event)->time;
      std::free(event);
      if (rawPress) return stamp;
    }
    Fail("lost the connection to the X server");
  }

  void send(std::uint8_t type, std::uint8_t detail, std::int16_t x = 0, std::int16_t y = 0) {
    // A time of 0 asks the server to act at once, not after a delay.
    xcb_test_fake_input(connection_, type, detail, 0, root_, x, y, 0);
    if (xcb_flush(connection_) <= 0) Fail("lost the connection to the X server");
  }

 private:
  void listenToRawPresses() {
    const xcb_query_extension_reply_t* xinput = xcb_get_extension_data(connection_, &xcb_input_id);
    if (xinput == nullptr || !xinput->present) Fail("the X server has no XInputExtension");
    xinput_ = xinput->major_opcode;
    std::free(xcb_input_xi_query_version_reply(connection_, xcb_input_xi_query_version(connection_, 2, 2), nullptr));
    struct {
      xcb_input_event_mask_t head;
      std::uint32_t bits;
    } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS};
    xcb_input_xi_select_events(connection_, root_, 1, &mask.head);
    sync();
  }

  xcb_connection_t* connection_;
  xcb_window_t root_;
  std::uint8_t xinput_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 7) {
    std::fprintf(stderr, "usage: tovira_press_injector X Y COUNT MIN_MS MAX_MS SEED\n");
    return 2;
  }
  const long x = Number(argv[1]), y = Number(argv[2]), count = Number(argv[3]);
  const long minMs = Number(argv[4]), maxMs = Number(argv[5]), seed = Number(argv[6]);
  if (x < 0 || y < 0 || x > INT16_MAX || y > INT16_MAX) Fail("the point must lie on the screen");
  if (count < 1 || minMs <= kReleaseAfterMs || maxMs < minMs) {
    Fail("needs COUNT of at least 1 and 40 < MIN_MS <= MAX_MS");
  }

  FakeInput input;
  input.moveTo(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y));
  std::mt19937 random(static_cast<std::mt19937::result_type>(seed));
  std::uniform_int_distribution<long long> intervalUs(minMs * 1000LL, maxMs * 1000LL);

  timespec press = Later(Now(), kSettleMs * 1000LL);
  for (long n = 1; n <= count; ++n) {
    SleepUntil(press);
    input.send(XCB_BUTTON_PRESS, 1);
    const timespec sent = Now();
    std::printf("press %ld %lld.%09ld %u\n", n, static_cast<long long>(sent.tv_sec), sent.tv_nsec,
                input.nextPressStamp());
    std::fflush(stdout);
    SleepUntil(Later(press, kReleaseAfterMs * 1000LL));
    input.send(XCB_BUTTON_RELEASE, 1);
    press = Later(press, intervalUs(random));
  }
  input.sync();
  return 0;
}
