#pragma once
// The desktop's requests to end the program: SIGTERM (logout, shutdown, systemd,
// `kill`), SIGHUP (the terminal or session gone) and SIGINT (Ctrl+C). The first
// one is handed to the event loop as `received`, so that the window closes as its
// close button closes it; the handler itself only writes to a pipe. A second one,
// while that close is still under way, ends the program at once, as an impatient
// user or session means it to.

#include <QObject>

class QSocketNotifier;

namespace tovira {

class TerminationSignals final : public QObject {
  Q_OBJECT

 public:
  // Installs the handlers; one object per process.
  TerminationSignals();
  ~TerminationSignals() override;
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

 signals:
  void received();

 private:
  void drain();

  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace tovira
