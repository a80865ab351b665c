// ToviraWatch: a stopwatch for animators.

#include "common/failure.h"
#include "platform/message_box_reporter.h"
#include "settings/program_directory.h"
#include "platform/sdl_sound_player.h"
#include "platform/termination_signals.h"
#include "platform/tick_counter.h"
#include "platform/x11_connection.h"
#include "platform/x11_cursor_confinement.h"
#include "platform/x11_window_stacking.h"
#include "window/frm_stopwatch.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <string>
#include <vector>

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
  tovira::ScopedErrorReporter reporting(reporter);
  tovira::BootClockTickCounter ticks;
  tovira::SdlSoundPlayer sound;
  tovira::X11CursorConfinement cursor;
  tovira::X11WindowStacking stacking;

  tovira::frmStopwatch window({ticks, sound, cursor, stacking, tovira::ProgramDirectory()});

  // A logout, a shutdown or `kill` closes the window as its close button does, so the
  // settings are written; a message box on screen would hold that up until answered.
  tovira::TerminationSignals termination;
  bool loaded = false;
  bool endRequested = false;
  QObject::connect(&termination, &tovira::TerminationSignals::received, &window, [&] {
    endRequested = true;
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
    if (loaded) QTimer::singleShot(0, &window, &QWidget::close);
  });
  // The session manager ends the session by quitting the application: the window
  // closes first, as at a logout by signal.
  QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, &QWidget::close);

  window.Load();
  loaded = true;
  if (endRequested) {
    window.close();
    return 0;
  }
  if (const QScreen* screen = window.screen()) {
    window.move(screen->availableGeometry().center() - window.rect().center());
  }
  window.show();
  return app.exec();
}
