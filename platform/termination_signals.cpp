#include "platform/termination_signals.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>

namespace tovira {
namespace {

constexpr std::array kTerminationSignals{SIGTERM, SIGHUP, SIGINT};

int wakeRead = -1;
int wakeWrite = -1;
std::atomic<int> signalsReceived{0};

// Only async-signal-safe calls here.
extern "C" void OnTerminationSignal(int number) {
  if (signalsReceived.fetch_add(1) > 0) {
    signal(number, SIG_DFL);
    raise(number);
    return;
  }
  const int savedErrno = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(wakeWrite, &byte, 1);
  errno = savedErrno;
}

}  // namespace

TerminationSignals::TerminationSignals() {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
  wakeRead = ends[0];
  wakeWrite = ends[1];
  notifier_ = new QSocketNotifier(wakeRead, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::drain);

  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int number : kTerminationSignals) sigaction(number, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
  for (const int number : kTerminationSignals) signal(number, SIG_DFL);
  if (wakeRead >= 0) {
    close(wakeRead);
    close(wakeWrite);
    wakeRead = wakeWrite = -1;
  }
}

void TerminationSignals::drain() {
  char bytes[16];
  while (read(wakeRead, bytes, sizeof bytes) > 0) {
  }
  emit received();
}

}  // namespace tovira
