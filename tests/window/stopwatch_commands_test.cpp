// Start/Stop, Lap/Reset and the periodic refresh, on an injected tick counter.

#include "dial/dial_drawing.h"
#include "resources/artwork.h"
#include "support/window_fixture.h"
#include "window/time_label.h"
#include "window/lap_list_model.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <limits>

using namespace tovira;
using tovira::testing::WindowFixture;

namespace {

// A window with the options start-up would give it: everything shown, seconds mode, 6-second dial.
struct RunningFixture : WindowFixture {
  RunningFixture() {
    showEverything();
    window->state().HandColor = 0x0000FF;
  }
  void at(std::uint32_t now) { platform.ticks.now = now; }
  QString label() const { return control<TimeLabel>("lblTime")->text(); }
  QStringList lines() const { return window->lapLines().lines(); }
};

}  // namespace

class StopwatchCommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void startStopResumesFromTheAccumulatedTime() {
    RunningFixture f;
    f.at(1000);
    f.window->cmdStartClick();
    QVERIFY(f.stopwatch().IsRunning);
    QCOMPARE(f.control<QPushButton>("cmdStart")->text(), QStringLiteral("ストップ"));
    QCOMPARE(f.control<QPushButton>("cmdLap")->text(), QStringLiteral("ラップ"));
    f.at(6000);
    f.window->cmdStartClick();
    QVERIFY(!f.stopwatch().IsRunning);
    QCOMPARE(f.control<QPushButton>("cmdStart")->text(), QStringLiteral("スタート"));
    QCOMPARE(f.control<QPushButton>("cmdLap")->text(), QStringLiteral("リセット"));
    f.at(50000);
    f.window->cmdStartClick();
    f.at(52000);
    f.window->cmdStartClick();
    QCOMPARE(f.stopwatch().LapTimes, (std::vector<std::int32_t>{5000, 7000}));
    QCOMPARE(f.stopwatch().AccumulatedTime, 7000);
    QCOMPARE(f.lines(), (QStringList{"     5.000 秒", "     7.000 秒"}));
    QVERIFY(f.reporter.codes.empty());
  }

  void lapThenStopRecordsSplitsInOrder() {
    RunningFixture f;
    f.options().LapType = 3;
    f.window->cmdStartClick();
    f.at(2500);
    f.window->cmdLapClick();
    QCOMPARE(f.stopwatch().AccumulatedTime, 0);  // a lap leaves the accumulated time alone
    f.at(4000);
    f.window->cmdStartClick();
    QCOMPARE(f.stopwatch().LapTimes, (std::vector<std::int32_t>{1500, 3000}));
    QCOMPARE(f.lines(), (QStringList{"    35 コマ", "    72 コマ"}));  // 500 ms is still frame 11
  }

  void theTimerWritesTheLabelInSecondsWhateverTheMode() {
    RunningFixture f;
    f.options().LapType = 2;
    f.at(0);
    f.window->cmdStartClick();
    QCOMPARE(f.label(), QStringLiteral("Label1"));  // Start draws nothing itself
    f.at(3723456);
    f.window->tmrClockTimer();
    QCOMPARE(f.label(), QStringLiteral("3,723.456"));
    f.at(3723999);
    f.window->cmdStartClick();
    f.window->tmrClockTimer();  // stopped: nothing changes
    QCOMPARE(f.label(), QStringLiteral("3,723.456"));
    QCOMPARE(f.lines(), QStringList{" 1時 2分 3秒999"});
  }

  void theTimerRefreshesTheDialLikeRefreshDial() {
    RunningFixture f;
    f.at(0);
    f.window->cmdStartClick();
    f.at(4500);
    f.window->tmrClockTimer();
    DialSurface expected(DialFaceImage(), DigitStripImage(), TwipsPerPixel{});
    RefreshDial(expected, 4500, {1, 0x0000FF, 3750, 3750});
    QCOMPARE(f.window->dial().image(), expected.image());
  }

  void hiddenOrOddShowOptionsLeaveLabelAndDialAlone() {
    for (int value : {0, 2}) {
      RunningFixture f;
      f.options().ShowDigital = value;
      f.options().ShowAnalog = value;
      const QImage dialBefore = f.window->dial().image();
      f.window->cmdStartClick();
      f.at(9000);
      f.window->tmrClockTimer();
      QCOMPARE(f.label(), QStringLiteral("Label1"));
      QCOMPARE(f.window->dial().image(), dialBefore);
    }
  }

  void lapWhileStoppedResetsEvenWhenAlreadyCleared() {
    RunningFixture f;
    f.options().ShowDigital = 0;
    f.options().ShowAnalog = 0;  // Reset draws regardless
    f.window->cmdStartClick();
    f.at(3000);
    f.window->cmdStartClick();
    // The same operations on a dial of its own, which keeps its drawing state between rounds.
    DialSurface expected(DialFaceImage(), DigitStripImage(), TwipsPerPixel{});
    for (int round = 0; round < 2; ++round) {
      f.window->cmdLapClick();
      QVERIFY(f.stopwatch().LapTimes.empty());
      QCOMPARE(f.stopwatch().AccumulatedTime, 0);
      QCOMPARE(f.label(), QStringLiteral("0.000"));
      QCOMPARE(f.window->lapLines().rowCount(), 0);
      expected.clear();
      for (int n = 1; n <= 6; ++n) DrawDialNumber(expected, n);
      DrawDialHand(expected, 0, {1, 0x0000FF, 3750, 3750});
      QCOMPARE(f.window->dial().image(), expected.image());
    }
    QVERIFY(f.reporter.codes.empty());
  }

  void lapTypeOutsideOneToFourRecordsWithoutRebuilding() {
    RunningFixture f;
    f.options().LapType = 7;
    f.window->cmdStartClick();
    f.at(2000);
    f.window->cmdLapClick();
    f.window->cmdStartClick();
    QCOMPARE(f.stopwatch().LapTimes.size(), std::size_t{2});
    QCOMPARE(f.window->lapLines().rowCount(), 0);
    f.item("mnuShowSec")->trigger();  // a pick rebuilds from all records
    QCOMPARE(f.lines(), (QStringList{"     1.000 秒", "     1.000 秒"}));
  }

  void soundFollowsTheOptionReadAtStart() {
    RunningFixture f;
    f.window->state().TickSound.assign(44, std::byte{1});
    f.options().PlaySound = 1;
    f.window->cmdStartClick();
    QVERIFY(f.platform.sound.playing);
    QCOMPARE(f.platform.sound.lastImageSize, std::size_t{44});
    f.window->SetSoundMode(0);  // switching off mid-run does not silence the loop
    QVERIFY(f.platform.sound.playing);
    f.window->cmdStartClick();
    QVERIFY(!f.platform.sound.playing);
    f.window->cmdStartClick();  // now off: Start plays nothing, Stop still stops
    f.window->SetSoundMode(1);  // switching on mid-run does not start one
    f.window->cmdStartClick();
    QCOMPARE(f.platform.sound.calls, (std::vector<std::string>{"play", "stop", "stop"}));
  }

  void startWithoutTickSoundReportsButRuns() {
    RunningFixture f;
    f.window->show();  // a window that shows nothing holds no pointer
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    f.options().PlaySound = 1;
    f.window->cmdStartClick();
    QCOMPARE(f.reporter.codes, std::vector<ErrorCode>{ErrorCode::StartClick});
    QVERIFY(f.stopwatch().IsRunning);
    QVERIFY(f.platform.cursor.confinedTo);
    QVERIFY(!f.platform.sound.playing);
  }

  void startConfinesThePointerToTheClientAreaAndStopReleasesIt() {
    RunningFixture f;
    f.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    f.window->cmdStartClick();
    QCOMPARE(f.platform.cursor.calls, (std::vector<std::string>{"release", "confine"}));
    const QRect client(f.window->centralWidget()->mapToGlobal(QPoint(0, 0)), f.window->centralWidget()->size());
    QCOMPARE(*f.platform.cursor.confinedTo, client);
    f.window->cmdStartClick();
    QVERIFY(!f.platform.cursor.confinedTo);
  }

  void runsAcrossBothCounterBoundaries() {
    RunningFixture f;
    f.at(4294966296u);
    f.window->cmdStartClick();
    f.at(1000);
    f.window->cmdLapClick();
    f.at(5000);
    f.window->cmdStartClick();
    f.at(2147483000u);  // the next run passes 2147483647
    f.window->cmdStartClick();
    f.at(2147484000u);
    f.window->cmdStartClick();
    QCOMPARE(f.stopwatch().LapTimes, (std::vector<std::int32_t>{2000, 6000, 7000}));
    QVERIFY(f.reporter.codes.empty());
  }

  void overflowIsReportedOncePerRunAndLosesNothingRecorded() {
    RunningFixture f;
    const auto limit = std::numeric_limits<std::int32_t>::max();
    f.stopwatch().AccumulatedTime = limit - 100;
    f.stopwatch().LapTimes = {limit - 100};
    f.at(0);
    f.window->cmdStartClick();
    f.at(50);
    f.window->tmrClockTimer();
    QCOMPARE(f.label(), QStringLiteral("2,147,483.597"));
    f.at(101);
    for (int i = 0; i < 5; ++i) f.window->tmrClockTimer();
    QCOMPARE(f.reporter.codes, std::vector<ErrorCode>{ErrorCode::ClockTimer});
    f.window->cmdLapClick();  // records nothing
    f.window->cmdStartClick();  // the final record fails, the stop completes
    QCOMPARE(f.reporter.codes,
             (std::vector<ErrorCode>{ErrorCode::ClockTimer, ErrorCode::LapClick, ErrorCode::RecordStop}));
    QVERIFY(!f.stopwatch().IsRunning);
    QCOMPARE(f.stopwatch().AccumulatedTime, limit - 100);
    QCOMPARE(f.stopwatch().LapTimes.size(), std::size_t{1});
    QVERIFY(!f.platform.cursor.confinedTo);
    f.window->cmdStartClick();  // a new run may report again
    f.window->tmrClockTimer();
    QCOMPARE(f.reporter.codes.size(), std::size_t{4});
  }
};

QTEST_MAIN(StopwatchCommandsTest)
#include "stopwatch_commands_test.moc"
