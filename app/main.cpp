// ToviraWatch: a stopwatch for animators.

#include "common/failure.h"
#include "platform/message_box_reporter.h"
#include "platform/program_directory.h"
#include "platform/sdl_sound_player.h"
#include "platform/tick_counter.h"
#include "platform/x11_cursor_confinement.h"
#include "platform/x11_window_stacking.h"
#include "window/frm_stopwatch.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char** argv) {
  // Holding the pointer and staying on top need X11; under Wayland that is XWayland.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "xcb");
  QApplication app(argc, argv);

  tovira::MessageBoxReporter reporter;
  tovira::ScopedErrorReporter reporting(reporter);
  tovira::BootClockTickCounter ticks;
  tovira::SdlSoundPlayer sound;
  tovira::X11CursorConfinement cursor;
  tovira::X11WindowStacking stacking;

  tovira::frmStopwatch window({ticks, sound, cursor, stacking, tovira::ProgramDirectory()});
  window.Load();
  if (const QScreen* screen = window.screen()) {
    window.move(screen->availableGeometry().center() - window.rect().center());
  }
  window.show();
  return app.exec();
}
