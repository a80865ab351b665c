// Start-up applies the saved options in their fixed order; closing stops the sound
// and writes them back.

#include "dial/dial_drawing.h"
#include "resources/artwork.h"
#include "support/window_fixture.h"
#include "window/time_label.h"

#include <QFile>
#include <QAbstractItemView>
#include <QPushButton>
#include <QTest>

using namespace tovira;
using tovira::testing::WindowFixture;

namespace {

struct StartupFixture : WindowFixture {
  void write(const QString& name, const QByteArray& bytes) {
    QFile file(programDir.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }
  void settings(const QByteArray& body) { write(QStringLiteral("ToviraWatch.ini"), "[ToviraWatch]\n" + body); }
  void tick() { write(QStringLiteral("tick.wav"), QByteArray(64, 'x')); }
  QByteArray savedSettings() {
    QFile file(programDir.filePath(QStringLiteral("ToviraWatch.ini")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  bool hidden(const char* name) { return control<QWidget>(name)->isHidden(); }
  bool checked(const char* name) { return item(name)->isChecked(); }
};

constexpr char kEverythingOn[] =
    "Showbutton=1\nShowDigital=1\nShowAnalog=1\nLapType=4\nAnalogScale=2\nAnalogColor=ff8000\n"
    "WindowForceFront=1\nBehaviorMode=1\nPlaySound=1\n";

}  // namespace

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  void firstStartWithoutSettings() {
    StartupFixture f;
    f.tick();
    f.window->Load();
    QCOMPARE(f.reporter.codes, std::vector<ErrorCode>{ErrorCode::LoadSettings});
    QCOMPARE(f.window->windowTitle(), QStringLiteral("Tovira Watch"));
    QCOMPARE(f.control<TimeLabel>("lblTime")->text(), QStringLiteral("0.000"));
    QVERIFY(f.checked("mnuWindowApearanceNormal"));
    QVERIFY(!f.checked("mnuWindowApearanceFront"));
    QVERIFY(f.checked("mnuBehaviorNormal") && !f.checked("mnuBehaviorLap"));
    QVERIFY(f.checked("mnuSoundOff") && !f.checked("mnuSoundOn"));
    for (const char* shown : {"mnuShowButton", "mnuShowDigitalWatch", "mnuShowAnalogWatch"}) QVERIFY(!f.checked(shown));
    for (const char* kept : {"mnuShowSec", "mnuShowHMS", "mnuShowFrame24", "mnuShowSSK", "mnu6Sec", "mnu10Sec",
                             "mnu30Sec"}) {
      QVERIFY2(f.checked(kept), kept);  // 0 is no mode and no scale: the marks stay as created
    }
    QVERIFY(f.hidden("cmdStart") && f.hidden("cmdLap") && f.hidden("lblTime") && f.hidden("imgWatch"));
    QCOMPARE(f.control<QWidget>("lstLap")->y(), 4);
    QCOMPARE(f.window->state().HandColor, 0u);
    QVERIFY(f.platform.stacking.requests.empty());

    f.window->close();
    QCOMPARE(f.savedSettings(), QByteArray("[ToviraWatch]\nShowbutton=0\nShowDigital=0\nShowAnalog=0\nLapType=0\n"
                                           "AnalogScale=0\nAnalogColor=\nWindowForceFront=0\nBehaviorMode=0\n"
                                           "PlaySound=0\n"));
  }

  void everyOptionIsApplied() {
    StartupFixture f;
    f.tick();
    f.settings(kEverythingOn);
    f.window->Load();
    QVERIFY(f.reporter.codes.empty());
    QCOMPARE(f.window->windowTitle(), QStringLiteral("Tovira Watch[ﾌﾚｰﾑ:秒:ｺﾏ]"));
    QVERIFY(f.checked("mnuShowSSK") && !f.checked("mnuShowSec"));
    QVERIFY(f.checked("mnu10Sec") && !f.checked("mnu6Sec"));
    QVERIFY(f.checked("mnuWindowApearanceFront") && !f.checked("mnuWindowApearanceNormal"));
    QCOMPARE(f.platform.stacking.requests, std::vector<bool>{true});  // before the window is first shown
    QVERIFY(f.checked("mnuBehaviorLap") && f.checked("mnuSoundOn"));
    QCOMPARE(f.window->state().HandColor, 0x000080FFu);
    QCOMPARE(f.window->state().TickSound.size(), std::size_t{64});
    QVERIFY(!f.hidden("cmdStart") && !f.hidden("lblTime") && !f.hidden("imgWatch"));
    QCOMPARE(f.control<QWidget>("lstLap")->y(), 332);

    // The dial shows 01 to 06 and the hand at zero, as after a reset.
    DialSurface expected(DialFaceImage(), DigitStripImage(), TwipsPerPixel{});
    for (int n = 1; n <= 6; ++n) DrawDialNumber(expected, n);
    DrawDialHand(expected, 0, {2, 0x000080FF, 3750, 3750});
    QCOMPARE(f.window->dial().image(), expected.image());

    f.window->close();
    QCOMPARE(f.savedSettings(), QByteArray("[ToviraWatch]\n") + kEverythingOn);
  }

  void oddValuesAreTreatedAsEachOptionSays() {
    StartupFixture f;
    f.tick();
    f.settings("Showbutton=2\nShowDigital=2\nShowAnalog=2\nLapType=9\nAnalogScale=5\nAnalogColor=1G2H3I\n"
               "WindowForceFront=3\nBehaviorMode=2\nPlaySound=2\n");
    f.window->Load();
    QVERIFY(f.reporter.codes.empty());
    QCOMPARE(f.window->windowTitle(), QStringLiteral("Tovira Watch"));
    QVERIFY(f.checked("mnuBehaviorLap"));  // anything but 0 is Lap
    QCOMPARE(f.options().BehaviorMode, 1);
    QVERIFY(f.checked("mnuSoundOff"));  // only exactly 1 is on
    QCOMPARE(f.options().PlaySound, 0);
    QVERIFY(!f.hidden("cmdStart") && f.checked("mnuShowButton"));
    QVERIFY(!f.hidden("lblTime"));
    QVERIFY(f.hidden("imgWatch"));
    QCOMPARE(f.options().ShowAnalog, 0);
    QCOMPARE(f.window->state().HandColor, 0x00030201u);
    // Showbutton 2 matches no stacking row: every top edge stays where it was created.
    QCOMPARE(f.control<QWidget>("lblTime")->y(), 260);
    QCOMPARE(f.control<QWidget>("lstLap")->y(), 336);
    QVERIFY(f.checked("mnuWindowApearanceNormal") && f.checked("mnuWindowApearanceFront"));

    f.options().ShowDigital = 2;  // the label is shown but never updated
    f.window->cmdStartClick();
    f.platform.ticks.now += 1234;
    f.window->tmrClockTimer();
    QCOMPARE(f.control<TimeLabel>("lblTime")->text(), QStringLiteral("0.000"));
    f.window->cmdStartClick();
    f.window->close();
    QCOMPARE(f.savedSettings(), QByteArray("[ToviraWatch]\nShowbutton=2\nShowDigital=2\nShowAnalog=0\nLapType=9\n"
                                           "AnalogScale=5\nAnalogColor=1G2H3I\nWindowForceFront=3\nBehaviorMode=1\n"
                                           "PlaySound=0\n"));
  }

  void aMissingOrEmptyTickSoundIsReportedOnceAndStartUpGoesOn() {
    for (bool empty : {false, true}) {
      StartupFixture f;
      if (empty) f.write(QStringLiteral("tick.wav"), {});
      f.settings("Showbutton=0\nShowDigital=1\nShowAnalog=1\nLapType=3\nAnalogScale=1\nAnalogColor=000000\n"
                 "WindowForceFront=0\nBehaviorMode=1\nPlaySound=1\n");
      f.window->Load();
      QCOMPARE(f.reporter.codes, std::vector<ErrorCode>{ErrorCode::Load});
      QVERIFY(f.hidden("cmdStart"));  // the steps after the sound still ran
      QVERIFY(f.checked("mnuBehaviorLap") && !f.checked("mnuBehaviorNormal"));
      QVERIFY(f.window->state().TickSound.empty());
      f.window->cmdStartClick();  // the sound is on but there is none
      QCOMPARE(f.reporter.codes, (std::vector<ErrorCode>{ErrorCode::Load, ErrorCode::StartClick}));
      QVERIFY(f.stopwatch().IsRunning);
    }
  }

  void aReadingThatStopsKeepsTheLaterOptionsAtZero() {
    StartupFixture f;
    f.tick();
    f.settings("Showbutton=1\nShowDigital= 1 \nShowAnalog=1\nLapType=2.5\nAnalogScale=abc\nAnalogColor=FF0000\n"
               "WindowForceFront=1\nBehaviorMode=1\nPlaySound=1\n");
    f.window->Load();
    QCOMPARE(f.reporter.codes, std::vector<ErrorCode>{ErrorCode::LoadSettings});
    QCOMPARE(f.options().ShowDigital, 1);
    QCOMPARE(f.options().LapType, 2);
    QCOMPARE(f.window->windowTitle(), QStringLiteral("Tovira Watch[時分秒]"));
    QCOMPARE(f.options().WindowForceFront, 0);
    QVERIFY(!f.options().AnalogColor);
    QCOMPARE(f.window->state().HandColor, 0u);
    f.window->close();
    QVERIFY(f.savedSettings().contains("LapType=2\nAnalogScale=0\nAnalogColor=\nWindowForceFront=0\n"));
  }

  void closingWhileRunningStopsTheSoundReleasesThePointerAndSaves() {
    StartupFixture f;
    f.tick();
    f.settings(kEverythingOn);
    f.window->Load();
    f.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    f.window->cmdStartClick();
    QVERIFY(f.platform.sound.playing);
    QVERIFY(f.platform.cursor.confinedTo);
    f.item("mnuShowSec")->trigger();
    f.item("mnuQuit")->trigger();  // "Cerr" closes like the window frame does
    QVERIFY(!f.window->isVisible());
    QVERIFY(!f.platform.sound.playing);
    QVERIFY(!f.platform.cursor.confinedTo);
    QVERIFY(f.savedSettings().contains("LapType=1\n"));
  }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
