// A separate process for the tests that need one: a whole session of the window
// (run under another user, or watched for hangs), and an endless saving of the
// settings to be killed at random moments.
//
//   reliability_helper session DIR [LAPTYPE]
//       Loads a window whose program folder is DIR on fake devices, optionally
//       switches the display mode (so there is something new to save), closes it.
//       Prints "loaded", each reported code as "code N", and "closed".
//   reliability_helper save-loop DIR
//       Prints "saving", then saves two alternating option sets to DIR forever.

#include "support/fake_platform.h"
#include "window/frm_stopwatch.h"
#include "settings/settings.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace tovira;

class PrintingReporter final : public ErrorReporter {
 public:
  void report(ErrorCode code) override {
    std::printf("code %d\n", static_cast<int>(code));
    std::fflush(stdout);
  }
};

int Session(int argc, char** argv, const std::string& directory) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  PrintingReporter reporter;
  ScopedErrorReporter reporting(reporter);
  testing::FakePlatform platform;
  frmStopwatch window({platform.ticks, platform.sound, platform.cursor, platform.stacking, directory});
  window.Load();
  std::printf("loaded\n");
  std::fflush(stdout);
  if (argc > 3) window.SetDisplayMode(std::atoi(argv[3]));
  window.close();
  std::printf("closed\n");
  return 0;
}

// The two option sets differ in every key, so each key of the file tells which
// save wrote it last.
WindowOptions SaveLoopOptions(bool second) {
  WindowOptions o;
  o.Showbutton = second ? 0 : 1;
  o.ShowDigital = second ? 0 : 1;
  o.ShowAnalog = second ? 0 : 1;
  o.LapType = second ? 4 : 1;
  o.AnalogScale = second ? 3 : 1;
  o.AnalogColor = second ? "00FF00" : "C80000";
  o.WindowForceFront = second ? 1 : 0;
  o.BehaviorMode = second ? 1 : 0;
  o.PlaySound = second ? 1 : 0;
  return o;
}

[[noreturn]] void SaveLoop(const std::string& directory) {
  const WindowOptions sets[2] = {SaveLoopOptions(false), SaveLoopOptions(true)};
  std::printf("saving\n");
  std::fflush(stdout);
  for (unsigned n = 1;; ++n) SaveSettings(sets[n % 2], directory);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view mode = argc > 2 ? argv[1] : "";
  if (mode == "session") return Session(argc, argv, argv[2]);
  if (mode == "save-loop") SaveLoop(argv[2]);
  std::fprintf(stderr, "usage: reliability_helper session DIR [LAPTYPE] | save-loop DIR\n");
  return 2;
}
