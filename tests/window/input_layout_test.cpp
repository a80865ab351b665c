// Mouse bindings with real mouse events, the show toggles, stacking and the list height.

#include "support/window_fixture.h"
#include "window/time_label.h"
#include "window/lap_list_model.h"

#include <QLabel>
#include <QAbstractItemView>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

using namespace tovira;
using tovira::testing::WindowFixture;

namespace {

enum class Target { Background, Label, List, Dial };

struct InputFixture : WindowFixture {
  explicit InputFixture(int behaviorMode) {
    showEverything();
    window->SetBehaviorMode(behaviorMode);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
  }

  QWidget* widgetOf(Target target) const {
    switch (target) {
      case Target::Background: return window->centralWidget();
      case Target::Label: return control<TimeLabel>("lblTime");
      case Target::List: return control<QAbstractItemView>("lstLap")->viewport();
      case Target::Dial: return control<QWidget>("imgWatch");
    }
    return nullptr;
  }
  // A point of the target that no other control covers.
  static QPoint spotOf(Target target) { return target == Target::Background ? QPoint(1, 1) : QPoint(5, 5); }

  void press(Target target, Qt::MouseButton button, Qt::KeyboardModifiers modifiers = {}) {
    platform.ticks.now += 1000;
    QTest::mousePress(widgetOf(target), button, modifiers, spotOf(target));
    QTest::mouseRelease(widgetOf(target), button, modifiers, spotOf(target));
  }
  // The toolkit's sequence: press, release, double-click, release.
  void doubleClick(Target target) {
    platform.ticks.now += 1000;
    QTest::mousePress(widgetOf(target), Qt::LeftButton, {}, spotOf(target));
    QTest::mouseRelease(widgetOf(target), Qt::LeftButton, {}, spotOf(target));
    platform.ticks.now += 200;
    QTest::mouseDClick(widgetOf(target), Qt::LeftButton, {}, spotOf(target));
    QTest::mouseRelease(widgetOf(target), Qt::LeftButton, {}, spotOf(target));
  }
  bool running() { return stopwatch().IsRunning; }
  std::size_t records() { return stopwatch().LapTimes.size(); }
  bool buttonsShown() const { return !control<QPushButton>("cmdStart")->isHidden(); }
};

}  // namespace

class InputLayoutTest : public QObject {
  Q_OBJECT

 private slots:
  void normalModeLeftStartsAndStopsRightLapsAndResets_data() {
    QTest::addColumn<int>("target");
    QTest::newRow("background") << int(Target::Background);
    QTest::newRow("label") << int(Target::Label);
    QTest::newRow("list") << int(Target::List);
    QTest::newRow("dial") << int(Target::Dial);
  }
  void normalModeLeftStartsAndStopsRightLapsAndResets() {
    QFETCH(int, target);
    InputFixture f(0);
    const auto t = Target(target);
    f.press(t, Qt::LeftButton);
    QVERIFY(f.running());
    f.press(t, Qt::RightButton);  // lap
    QCOMPARE(f.records(), std::size_t{1});
    f.press(t, Qt::LeftButton);  // stop
    QVERIFY(!f.running());
    QCOMPARE(f.records(), std::size_t{2});
    f.press(t, Qt::RightButton);  // reset
    QCOMPARE(f.records(), std::size_t{0});
    QVERIFY(f.buttonsShown());  // Normal mode never toggles the buttons
  }

  void lapModeOnLabelListAndBackgroundNeverResets_data() {
    QTest::addColumn<int>("target");
    QTest::newRow("background") << int(Target::Background);
    QTest::newRow("label") << int(Target::Label);
    QTest::newRow("list") << int(Target::List);
  }
  void lapModeOnLabelListAndBackgroundNeverResets() {
    QFETCH(int, target);
    InputFixture f(1);
    const auto t = Target(target);
    f.press(t, Qt::LeftButton);  // start
    QVERIFY(f.running());
    f.press(t, Qt::LeftButton);  // lap
    f.press(t, Qt::LeftButton);  // lap
    QCOMPARE(f.records(), std::size_t{2});
    f.press(t, Qt::RightButton);  // stop
    QVERIFY(!f.running());
    f.press(t, Qt::RightButton);  // start again, no reset
    QVERIFY(f.running());
    QCOMPARE(f.records(), std::size_t{3});
    QVERIFY(f.buttonsShown());
  }

  void lapModeDialHidesButtonsOnStartAndTogglesOnEveryRightPress() {
    InputFixture f(1);
    f.press(Target::Dial, Qt::LeftButton);  // hides the buttons and starts
    QVERIFY(f.running());
    QVERIFY(!f.buttonsShown());
    QCOMPARE(f.options().Showbutton, 0);
    f.press(Target::Dial, Qt::LeftButton);  // a lap
    QCOMPARE(f.records(), std::size_t{1});
    f.press(Target::Dial, Qt::RightButton);  // stops and shows them again
    QVERIFY(!f.running());
    QVERIFY(f.buttonsShown());
    f.press(Target::Dial, Qt::RightButton);  // starts and hides them
    QVERIFY(f.running());
    QVERIFY(!f.buttonsShown());
    f.press(Target::Dial, Qt::RightButton);  // stops and shows
    f.window->mnuShowButtonClick();  // buttons hidden, stopped
    f.press(Target::Dial, Qt::LeftButton);  // starts; the buttons stay hidden
    QVERIFY(f.running());
    QVERIFY(!f.buttonsShown());
    f.window->mnuShowButtonClick();  // running, shown: a right press stops and hides
    f.press(Target::Dial, Qt::RightButton);
    QVERIFY(!f.running());
    QVERIFY(!f.buttonsShown());
  }

  void rightPressOnTheDialTogglesButtonsEvenWhenTheStopFails() {
    InputFixture f(1);
    f.options().PlaySound = 1;  // no tick sound loaded: Start reports 001 but runs
    f.press(Target::Dial, Qt::RightButton);
    QCOMPARE(f.reporter.codes, std::vector<ErrorCode>{ErrorCode::StartClick});
    QVERIFY(f.running());
    QVERIFY(!f.buttonsShown());
  }

  void middleButtonAndModifiersChangeNothing() {
    for (int mode : {0, 1}) {
      InputFixture f(mode);
      for (auto t : {Target::Background, Target::Label, Target::List, Target::Dial}) {
        f.press(t, Qt::MiddleButton);
        QVERIFY(!f.running());
      }
      f.press(Target::Label, Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
      QVERIFY(f.running());
      f.press(Target::Label, Qt::RightButton, Qt::ShiftModifier);
      QCOMPARE(f.records(), std::size_t{1});
      QCOMPARE(f.running(), mode == 0);
    }
  }

  // What the list and the buttons leave alone must not reach the background's bindings.
  void theListsScrollBarFrameAndTheButtonsOtherButtonsRunNothing() {
    InputFixture f(0);
    f.window->cmdStartClick();
    for (int i = 0; i < 30; ++i) f.window->cmdLapClick();
    f.window->cmdStartClick();  // 31 records: the list scrolls
    auto* list = f.control<QAbstractItemView>("lstLap");
    QTRY_VERIFY(list->verticalScrollBar()->isVisible());
    const QModelIndex newest = list->model()->index(30, 0);
    QVERIFY(list->selectionModel()->isSelected(newest));
    struct Spot {
      QWidget* widget;
      QPoint point;
      Qt::MouseButton button;
    };
    QWidget* bar = list->verticalScrollBar();
    const std::vector<Spot> spots{
        {bar, QPoint(bar->width() / 2, bar->height() / 2), Qt::LeftButton},
        {bar, QPoint(bar->width() / 2, bar->height() / 2), Qt::RightButton},
        {bar, QPoint(bar->width() / 2, 2), Qt::MiddleButton},
        {list, QPoint(0, list->height() / 2), Qt::LeftButton},  // the list's frame
        {list, QPoint(0, list->height() / 2), Qt::RightButton},
        {f.control<QPushButton>("cmdStart"), QPoint(5, 5), Qt::RightButton},
        {f.control<QPushButton>("cmdLap"), QPoint(5, 5), Qt::RightButton},
        {f.control<QPushButton>("cmdLap"), QPoint(5, 5), Qt::MiddleButton},
    };
    for (const Spot& spot : spots) {
      QTest::mousePress(spot.widget, spot.button, {}, spot.point);
      QTest::mouseRelease(spot.widget, spot.button, {}, spot.point);
      QTest::mouseDClick(spot.widget, spot.button, {}, spot.point);
      QTest::mouseRelease(spot.widget, spot.button, {}, spot.point);
      QVERIFY(!f.running());
      QCOMPARE(f.records(), std::size_t{31});
    }
    // Ctrl on the selected line selects it still, as in a list box.
    list->scrollTo(newest);
    const QPoint onNewest = list->visualRect(newest).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, onNewest);
    QVERIFY(list->selectionModel()->isSelected(newest));
    QVERIFY(f.running());
  }

  void doubleClicks() {
    {  // Normal, stopped: the first press starts, the double click stops with a short split.
      InputFixture f(0);
      f.doubleClick(Target::Label);
      QVERIFY(!f.running());
      QCOMPARE(f.stopwatch().LapTimes, std::vector<std::int32_t>{200});
      f.doubleClick(Target::Background);  // stopped again at the end: start then stop
      QVERIFY(!f.running());
      f.press(Target::Label, Qt::LeftButton);  // running: a double click stops and resumes
      f.doubleClick(Target::Dial);
      QVERIFY(f.running());
    }
    {  // Lap, stopped: the first press starts, the double click records a lap.
      InputFixture f(1);
      f.doubleClick(Target::Label);
      QVERIFY(f.running());
      QCOMPARE(f.stopwatch().LapTimes, std::vector<std::int32_t>{200});
      f.doubleClick(Target::List);  // running: two laps
      QCOMPARE(f.records(), std::size_t{3});
    }
  }

  void menuItemsSetTheBehaviourAndSoundMarks() {
    InputFixture f(0);
    f.item("mnuBehaviorLap")->trigger();
    QCOMPARE(f.options().BehaviorMode, 1);
    QVERIFY(f.item("mnuBehaviorLap")->isChecked());
    QVERIFY(!f.item("mnuBehaviorNormal")->isChecked());
    f.item("mnuBehaviorLap")->trigger();  // the checked item again keeps it checked
    QVERIFY(f.item("mnuBehaviorLap")->isChecked());
    f.item("mnuSoundOn")->trigger();
    QCOMPARE(f.options().PlaySound, 1);
    QVERIFY(f.item("mnuSoundOn")->isChecked());
    QVERIFY(!f.item("mnuSoundOff")->isChecked());
    f.item("mnuSoundOff")->trigger();
    QVERIFY(!f.item("mnuSoundOn")->isChecked());
    f.window->SetBehaviorMode(2);
    f.window->SetSoundMode(-1);
    QCOMPARE(f.options().BehaviorMode, 1);
    QCOMPARE(f.options().PlaySound, 0);
  }

  void stackingFollowsTheShowToggles() {
    InputFixture f(0);
    auto top = [&](const char* name) { return f.control<QWidget>(name)->y(); };
    f.window->ArrangeControls();
    QCOMPARE(top("imgWatch"), 4);
    QCOMPARE(top("lblTime"), 260);
    QCOMPARE(top("cmdStart"), 297);  // 4450 twips
    QCOMPARE(top("cmdLap"), 297);
    QCOMPARE(top("lstLap"), 332);    // 4980 twips
    f.item("mnuShowAnalogWatch")->trigger();
    QVERIFY(f.control<QWidget>("imgWatch")->isHidden());
    QCOMPARE(f.options().ShowAnalog, 0);
    QCOMPARE(top("lblTime"), 4);
    QCOMPARE(top("cmdStart"), 40);
    QCOMPARE(top("lstLap"), 76);
    f.item("mnuShowDigitalWatch")->trigger();
    f.item("mnuShowButton")->trigger();
    QCOMPARE(top("lstLap"), 4);
    const int client = f.window->centralWidget()->height();
    QCOMPARE(f.control<QWidget>("lstLap")->height(), client - 8);  // 60 twips above the bottom
    f.options().Showbutton = 2;  // out of range: no row, every top stays
    f.window->ArrangeControls();
    QCOMPARE(top("lstLap"), 4);
  }

  void theListFollowsTheWindowHeight() {
    InputFixture f(0);
    f.window->ArrangeControls();
    auto* list = f.control<QWidget>("lstLap");
    auto* client = f.window->centralWidget();
    const int extra = f.window->height() - client->height();
    f.window->resize(f.window->width(), extra + 400);
    QTRY_COMPARE(client->height(), 400);
    QCOMPARE(list->y() + list->height(), 396);
    f.window->resize(f.window->width(), extra + 334);  // just 2 px below the list's top
    QTRY_COMPARE(client->height(), 334);
    QCOMPARE(list->height(), 0);
    f.window->resize(f.window->width(), extra + 300);  // above the list's top: fallback height
    QTRY_COMPARE(client->height(), 300);
    QCOMPARE(list->height(), 67);  // 1000 twips
    QVERIFY(f.reporter.codes.empty());
  }

  void alwaysOnTopKeepsGeometryAndMovesTheMarks() {
    InputFixture f(0);
    const QRect before = f.window->geometry();
    f.item("mnuWindowApearanceFront")->trigger();
    QCOMPARE(f.options().WindowForceFront, 1);
    QVERIFY(f.item("mnuWindowApearanceFront")->isChecked());
    QVERIFY(!f.item("mnuWindowApearanceNormal")->isChecked());
    f.item("mnuWindowApearanceNormal")->trigger();
    QCOMPARE(f.options().WindowForceFront, 0);
    QCOMPARE(f.platform.stacking.requests, (std::vector<bool>{true, false}));
    QCOMPARE(f.window->geometry(), before);
    f.window->SetWindowFront(3);
    QCOMPARE(f.options().WindowForceFront, 0);
  }

  void dialScaleMarks() {
    InputFixture f(0);
    f.window->SetDialScale(2);
    QVERIFY(!f.item("mnu6Sec")->isChecked());
    QVERIFY(f.item("mnu10Sec")->isChecked());
    f.item("mnu6Sec")->trigger();
    QCOMPARE(f.options().AnalogScale, 1);
    QVERIFY(f.item("mnu6Sec")->isChecked());
    QVERIFY(!f.item("mnu10Sec")->isChecked());
    QVERIFY(!f.item("mnu30Sec")->isChecked());
    f.window->SetDialScale(5);
    QCOMPARE(f.options().AnalogScale, 1);
  }

  void showingTheDialDrawsTheHandForTheAccumulatedTime() {
    InputFixture f(0);
    f.window->state().HandColor = 0x0000FF;
    f.window->cmdStartClick();
    f.platform.ticks.now += 1500;
    f.window->cmdStartClick();
    f.item("mnuShowAnalogWatch")->trigger();  // hide
    const QImage hidden = f.window->dial().image();
    f.item("mnuShowAnalogWatch")->trigger();  // show: hand at 1500 over what was kept
    QVERIFY(!f.control<QWidget>("imgWatch")->isHidden());
    QCOMPARE(f.options().ShowAnalog, 1);
    QVERIFY(f.window->dial().image() != hidden);
  }

  // Every way input sets a command off carries the event's own stamp to it: presses
  // and double clicks on the window, a button clicked by the mouse or by Space. All
  // are handled long after they were made, as by a program that was held up.
  void everyInputIsTimedAtItsOwnStamp() {
    InputFixture f(0);
    f.platform.ticks.inputBehind = 0;  // input stamped on this machine's clock
    f.platform.ticks.now = 60000;
    auto* lap = f.control<QPushButton>("cmdLap");
    const auto send = [](QWidget* to, QEvent::Type type, std::uint32_t stamp, QPoint at = QPoint(5, 5)) {
      QMouseEvent event(type, at, to->mapToGlobal(at), Qt::LeftButton,
                        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
      event.setTimestamp(stamp);
      QApplication::sendEvent(to, &event);
    };
    const auto key = [lap](QEvent::Type type, std::uint32_t stamp) {
      QKeyEvent event(type, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
      event.setTimestamp(stamp);
      QApplication::sendEvent(lap, &event);
    };
    send(f.widgetOf(Target::Label), QEvent::MouseButtonPress, 1999);  // Start at 2000
    send(lap, QEvent::MouseButtonPress, 2500);
    send(lap, QEvent::MouseButtonRelease, 2999);  // clicked by the release: a lap at 3000
    key(QEvent::KeyPress, 3500);
    key(QEvent::KeyRelease, 3999);  // a lap at 4000
    send(f.widgetOf(Target::Dial), QEvent::MouseButtonPress, 4999);      // stops at 5000
    send(f.widgetOf(Target::Dial), QEvent::MouseButtonDblClick, 5199);   // starts at 5200
    send(f.widgetOf(Target::Background), QEvent::MouseButtonPress, 5999, QPoint(1, 1));  // stops at 6000
    QCOMPARE(f.stopwatch().LapTimes, (std::vector<std::int32_t>{1000, 2000, 3000, 3800}));
  }
};

QTEST_MAIN(InputLayoutTest)
#include "input_layout_test.moc"
