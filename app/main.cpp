// ToviraWatch: a stopwatch for animators.

#include "common/failure.h"
#include "platform/message_box_reporter.h"
#include "platform/sdl_sound_player.h"
#include "platform/termination_signals.h"
#include "platform/tick_counter.h"
#include "platform/x11_connection.h"
#include "platform/x11_cursor_confinement.h"
#include "platform/x11_window_stacking.h"
#include "platform/x11_window_watch.h"
#include "settings/program_directory.h"
#include "window/frm_stopwatch.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

// Qt ends the program with exit() when the X server goes away (a logout that ends
// the server first), without closing the window: what closing does is done on the
// way out instead.
class OnExit {
 public:
  explicit OnExit(std::function<void()> action) {
    pending = std::move(action);
    std::atexit(&Run);
  }
  ~OnExit() { pending = nullptr; }
  OnExit(const OnExit&) = delete;
  OnExit& operator=(const OnExit&) = delete;

 private:
  static void Run() {
    if (pending) std::exchange(pending, nullptr)();
  }
  static inline std::function<void()> pending;
};

}  // namespace

int main(int argc, char** argv) {
  tovira::x11::PrepareQtForX11();
  if (const std::string problem = tovira::x11::DisplayProblem(); !problem.empty()) {
    std::fprintf(stderr, "ToviraWatch: %s\n", problem.c_str());
    return 1;
  }

  // WM_CLASS and the desktop entry's name, the same however the program was
  // started (the launcher link, the menu, the program folder), so that docks
  // match the window to its menu entry and icon. The instance comes from -name,
  // which the xcb platform reads before it would fall back on argv[0].
  QCoreApplication::setApplicationName("ToviraWatch");
  QGuiApplication::setDesktopFileName("io.github.tovirawatch.ToviraWatch");
  std::vector<char*> arguments{argv, argv + argc};
  char nameOption[] = "-name";
  char instanceName[] = "tovirawatch";
  arguments.insert(arguments.begin() + 1, {nameOption, instanceName});
  arguments.push_back(nullptr);
  int argumentCount = argc + 2;
  QApplication app(argumentCount, arguments.data());

  tovira::MessageBoxReporter reporter;
  std::optional<tovira::ScopedErrorReporter> reporting(std::in_place, reporter);
  tovira::BootClockTickCounter ticks;
  tovira::SdlSoundPlayer sound;
  tovira::X11CursorConfinement cursor;
  tovira::X11WindowStacking stacking;

  tovira::frmStopwatch window({ticks, sound, cursor, stacking, tovira::ProgramDirectory()});
  stacking.setWindow(window);  // before Load, which may put it on top

  // Once the session ends nothing may wait for an answer: the box on screen is
  // closed, and failures from then on go to standard error instead of boxes.
  const auto sessionEnds = [&] {
    reporting.reset();
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
  };

  // A logout, a shutdown or `kill` closes the window as its close button does, so the
  // settings are written.
  tovira::TerminationSignals termination;
  bool loaded = false;
  bool endRequested = false;
  QObject::connect(&termination, &tovira::TerminationSignals::received, &window, [&] {
    endRequested = true;
    sessionEnds();
    if (loaded) QTimer::singleShot(0, &window, &QWidget::close);
  });
  QObject::connect(&window, &tovira::frmStopwatch::unloaded, &termination,
                   &tovira::TerminationSignals::settingsWritten);
  // The session manager ends the session by quitting the application: the window
  // closes first, as at a logout by signal.
  QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, [&] {
    sessionEnds();
    window.close();
  });
  const OnExit unloadOnExit([&] {
    reporting.reset();  // no box: the display is gone
    window.form().Unload();
  });

  window.Load();
  loaded = true;
  if (endRequested) {
    window.close();
    return 0;
  }
  if (const QScreen* screen = window.screen()) {
    window.move(screen->availableGeometry().center() - window.rect().center());
  }
  // Input is timed at its own stamps once the X server is known to stamp it with
  // this machine's clock; a window marked hidden rests as one not shown.
  tovira::X11ServerClockCheck serverClock([&](bool local) { ticks.setInputStampsLocal(local); });
  tovira::X11HiddenMark hiddenMark([&](bool hidden) { window.setHiddenByWindowManager(hidden); });
  window.show();
  if (const QWindow* native = window.windowHandle()) {
    serverClock.ask(*native);
    hiddenMark.watch(*native);
  }
  return app.exec();
}
