#pragma once
// The desktop's requests to end the program: SIGTERM (logout, shutdown, systemd,
// `kill`), SIGHUP (the terminal or session gone) and SIGINT (Ctrl+C). The first
// one is handed to the event loop as `received`, so that the window closes as its
// close button closes it; the handler itself only writes to a pipe.
//
// Sessions send them in pairs and bursts (systemd-logind stops a session with
// SIGTERM and, at once, SIGHUP), so a further one never cuts the settings off:
// one that comes before they are written ends the program right after they are,
// one that comes later ends it at once, as an impatient user means it to.
//
// A signal ignored when the program starts stays ignored: SIGHUP under nohup,
// SIGINT for a shell's background job.

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

  // The settings are written: from now on a further request ends the program at once.
  void settingsWritten();

 signals:
  void received();

 private:
  void drain();

  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace tovira
