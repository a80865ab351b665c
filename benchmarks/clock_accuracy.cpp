// Real-clock accuracy: the real window on the real tick counter goes through a
// scripted session (laps, a stop, a pause, resumes) while its refresh runs.
// The moment of each click is taken on steady_clock just before the click, so the
// running time that really passed up to each record is known independently of the
// program. Each record is compared with it.
//
// The tick counter counts whole milliseconds, so each run (Start to Stop) can
// round by just under 1 ms: a record may differ by at most 1 ms per run it spans.
// Prints one line per record; the exit status is non-zero when a record is off.

#include "platform/tick_counter.h"
#include "support/fake_platform.h"
#include "support/recording_reporter.h"
#include "window/frm_stopwatch.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::duration<double, std::milli>;

enum class Click { StartStop, Lap };

struct Step {
  int waitMs;  // event-loop time before the click
  Click click;
};

// Records at about 1.5, 3, 5 s in the first run, 7 s after a resume, 7.7 and 8 s after another.
constexpr Step kScript[] = {
    {0, Click::StartStop},    {1500, Click::Lap},       {1500, Click::Lap},
    {2000, Click::StartStop}, {1000, Click::StartStop}, {2000, Click::StartStop},
    {500, Click::StartStop},  {700, Click::Lap},        {300, Click::StartStop},
};

struct Expected {
  double realMs;  // running time that really passed up to the record
  int runs;       // runs the record spans
};

void RunEventLoopFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

// Plays the script on the window; returns what each record should be.
std::vector<Expected> PlayScript(tovira::frmStopwatch& window) {
  std::vector<Expected> expected;
  Clock::time_point runStart;
  Millis endedRuns{0};
  int runs = 0;
  for (const Step& step : kScript) {
    RunEventLoopFor(step.waitMs);
    const bool running = window.state().stopwatch.IsRunning;
    const Clock::time_point now = Clock::now();
    if (step.click == Click::StartStop) {
      window.cmdStartClick();
    } else {
      window.cmdLapClick();
    }
    if (!running && step.click == Click::StartStop) {
      runStart = now;
      ++runs;
      continue;
    }
    if (!running) continue;  // a Reset records nothing
    const Millis total = endedRuns + (now - runStart);
    expected.push_back({total.count(), runs});
    if (step.click == Click::StartStop) endedRuns = total;
  }
  return expected;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);

  tovira::testing::RecordingReporter reporter;
  tovira::testing::FakePlatform fakes;
  tovira::BootClockTickCounter ticks;
  QTemporaryDir programDir;
  QFile::copy(QStringLiteral(TOVIRA_DEFAULT_SETTINGS), programDir.filePath(QStringLiteral("ToviraWatch.ini")));
  tovira::frmStopwatch window(
      {ticks, fakes.sound, fakes.cursor, fakes.stacking, programDir.path().toStdString()});
  window.Load();
  reporter.codes.clear();  // no tick.wav in the scratch folder; that report is expected
  window.show();

  const std::vector<Expected> expected = PlayScript(window);
  const auto& recorded = window.state().stopwatch.LapTimes;

  bool allWithin = recorded.size() == expected.size() && reporter.codes.empty();
  std::printf("record\trecorded_ms\treal_ms\tdifference_ms\tallowed_ms\tverdict\n");
  for (std::size_t i = 0; i < expected.size() && i < recorded.size(); ++i) {
    const double difference = recorded[i] - expected[i].realMs;
    const bool within = std::abs(difference) <= expected[i].runs;
    allWithin = allWithin && within;
    std::printf("%zu\t%d\t%.3f\t%+.3f\t%d\t%s\n", i + 1, recorded[i], expected[i].realMs, difference,
                expected[i].runs, within ? "pass" : "FAIL");
  }
  if (recorded.size() != expected.size()) {
    std::printf("FAIL: %zu records, %zu expected\n", recorded.size(), expected.size());
  }
  if (!reporter.codes.empty()) std::printf("FAIL: the window reported %zu fault(s)\n", reporter.codes.size());
  return allWithin ? 0 : 1;
}
