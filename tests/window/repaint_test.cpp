// The periodic event paints the label and the dial at most once per screen refresh
// and recomposes the dial only when its picture changes; what is shown is always
// what repainting everything on every event would show.

#include "dial/dial_drawing.h"
#include "display/time_formats.h"
#include "resources/artwork.h"
#include "support/window_fixture.h"
#include "window/time_label.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>

using namespace tovira;
using tovira::testing::WindowFixture;

namespace {

class PaintCounter final : public QObject {
 public:
  explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

struct ShownWindow : WindowFixture {
  ShownWindow() {
    showEverything();
    window->state().HandColor = 0x00C000;
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
  }
  HandSettings hand() { return {options().AnalogScale, window->state().HandColor, 3750, 3750}; }
};

}  // namespace

class RepaintTest : public QObject {
  Q_OBJECT

 private slots:
  void theDialAlwaysShowsWhatAFullRefreshWouldShow() {
    ShownWindow f;
    DialSurface reference(DialFaceImage(), DigitStripImage(), TwipsPerPixel{});
    auto* random = QRandomGenerator::global();
    f.platform.ticks.now = 0;
    f.window->cmdStartClick();
    std::int32_t elapsed = 0;
    for (int event = 0; event < 3000; ++event) {
      const std::uint32_t advance = random->bounded(0, 8) == 0 ? random->bounded(0, 400) : random->bounded(0, 3);
      f.platform.ticks.now += advance;
      elapsed += static_cast<std::int32_t>(advance);
      switch (event) {
        case 700:  // another scale: the same times give another picture
          f.window->SetDialScale(2);
          break;
        case 1400:  // another colour
          f.window->state().HandColor = 0x0000FF;
          break;
        case 2100:  // the show toggle paints a hand of its own over the dial
          f.window->mnuShowAnalogWatchClick();
          f.window->mnuShowAnalogWatchClick();
          DrawDialHand(reference, f.stopwatch().AccumulatedTime, f.hand());
          QCOMPARE(f.window->dial().image(), reference.image());
          break;
      }
      f.window->tmrClockTimer();
      RefreshDial(reference, elapsed, f.hand());
      if (f.window->dial().image() != reference.image()) QFAIL(qPrintable(QStringLiteral("differs at %1 ms").arg(elapsed)));
      QCOMPARE(f.control<TimeLabel>("lblTime")->text(), FormatSeconds(elapsed, QLocale(QLocale::English)));
    }
    QVERIFY(f.reporter.codes.empty());
  }

  void labelAndDialPaintAtMostOncePerRefresh() {
    ShownWindow f;
    auto* label = f.control<QWidget>("lblTime");
    auto* dial = f.control<QWidget>("imgWatch");
    f.platform.ticks.step = 1;  // every reading is a new millisecond: the label changes at every event
    f.window->cmdStartClick();
    QTest::qWait(50);
    PaintCounter labelPaints(label), dialPaints(dial);
    const std::uint32_t firstReading = f.platform.ticks.now;
    QElapsedTimer clock;
    clock.start();
    QTest::qWait(400);
    const auto elapsedMs = clock.elapsed();
    const auto events = f.platform.ticks.now - firstReading;
    const int interval = 1000 / 60;  // the offscreen screen has no refresh rate: 60 Hz
    const auto allowed = elapsedMs / interval + 2;
    QVERIFY2(labelPaints.paints >= 1, "the label must still be painted");
    QVERIFY2(labelPaints.paints <= allowed, qPrintable(QStringLiteral("%1 paints for %2 events in %3 ms")
                                                          .arg(labelPaints.paints).arg(events).arg(elapsedMs)));
    QVERIFY(dialPaints.paints <= allowed);
    // What is on screen at the end is the latest time.
    label->repaint();
    QCOMPARE(f.control<TimeLabel>("lblTime")->text(),
             FormatSeconds(static_cast<std::int32_t>(f.platform.ticks.now - 1 - 1000), QLocale(QLocale::English)));
  }
};

QTEST_MAIN(RepaintTest)
#include "repaint_test.moc"
