#pragma once
// A window wired to fake platform services, with failures recorded and numbers
// formatted in a pinned English locale.

#include "support/fake_platform.h"
#include "support/recording_reporter.h"
#include "window/frm_stopwatch.h"

#include <QAction>
#include <QTemporaryDir>

#include <memory>

namespace tovira::testing {

struct WindowFixture {
  WindowFixture() {
    window = std::make_unique<frmStopwatch>(
        PlatformServices{platform.ticks, platform.sound, platform.cursor, platform.stacking,
                         programDir.path().toStdString()});
    QLocale english(QLocale::English, QLocale::UnitedStates);
    english.setNumberOptions(QLocale::DefaultNumberOptions);
    window->setNumberLocale(english);
  }

  // The options start-up gives with the usual settings: everything shown, seconds, 6-second dial.
  void showEverything() {
    auto& o = options();
    o.Showbutton = o.ShowDigital = o.ShowAnalog = 1;
    o.LapType = 1;
    o.AnalogScale = 1;
  }

  QAction* item(const char* name) const { return window->findChild<QAction*>(QString::fromLatin1(name)); }
  template <class Widget>
  Widget* control(const char* name) const {
    return window->findChild<Widget*>(QString::fromLatin1(name));
  }
  WindowOptions& options() { return window->state().options; }
  Stopwatch& stopwatch() { return window->state().stopwatch; }

  RecordingReporter reporter;
  FakePlatform platform;
  QTemporaryDir programDir;
  std::unique_ptr<frmStopwatch> window;
};

}  // namespace tovira::testing
