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
std::array<struct sigaction, kTerminationSignals.size()> previousActions{};
std::array<bool, kTerminationSignals.size()> handled{};

// Shared between the handler and the event loop; each side writes its own first
// and reads the other's after, so whichever comes second sees both.
std::atomic<int> signalsReceived{0};
std::atomic<int> lastSignal{0};
std::atomic<bool> settingsAreWritten{false};

// Ends the program by the signal's own default action, as if it had not been handled.
void EndBy(int number) {
  signal(number, SIG_DFL);
  raise(number);
}

// Only async-signal-safe calls here.
extern "C" void OnTerminationSignal(int number) {
  const int savedErrno = errno;
  lastSignal.store(number);
  if (signalsReceived.fetch_add(1) == 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(wakeWrite, &byte, 1);
  } else if (settingsAreWritten.load()) {
    EndBy(number);
  }
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
  for (std::size_t i = 0; i < kTerminationSignals.size(); ++i) {
    sigaction(kTerminationSignals[i], nullptr, &previousActions[i]);
    handled[i] = previousActions[i].sa_handler != SIG_IGN;
    if (handled[i]) sigaction(kTerminationSignals[i], &action, nullptr);
  }
}

TerminationSignals::~TerminationSignals() {
  for (std::size_t i = 0; i < kTerminationSignals.size(); ++i) {
    if (handled[i]) sigaction(kTerminationSignals[i], &previousActions[i], nullptr);
  }
  if (wakeRead >= 0) {
    close(wakeRead);
    close(wakeWrite);
    wakeRead = wakeWrite = -1;
  }
}

void TerminationSignals::settingsWritten() {
  settingsAreWritten.store(true);
  if (signalsReceived.load() > 1) EndBy(lastSignal.load());
}

void TerminationSignals::drain() {
  char bytes[16];
  while (read(wakeRead, bytes, sizeof bytes) > 0) {
  }
  emit received();
}

}  // namespace tovira
