// The periodic event runs only while the stopwatch runs, once per screen refresh,
// and recomposes the dial only when its picture changes; what is shown is always
// what repainting everything on every event would show.

#include "dial/dial_drawing.h"
#include "engine/stopwatch.h"
#include "display/time_formats.h"
#include "resources/artwork.h"
#include "support/window_fixture.h"
#include "window/number_locale.h"
#include "window/time_label.h"

#include <QPainter>
#include <QScreen>
#include <QTimer>
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
  // A control's pixels as the window has them on screen, after the repaints asked for so far.
  QImage shown(const char* name) {
    QCoreApplication::sendPostedEvents();
    auto* control = this->control<QWidget>(name);
    const QPoint at = control->mapTo(window.get(), QPoint(0, 0));
    return window->screen()
        ->grabWindow(window->winId(), at.x(), at.y(), control->width(), control->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
  }
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
      // Only what changed is repainted; the screen must still show the whole new picture.
      if (f.shown("imgWatch") != reference.image()) QFAIL(qPrintable(QStringLiteral("differs at %1 ms").arg(elapsed)));
      QCOMPARE(f.control<TimeLabel>("lblTime")->text(), QString::fromStdU16String(FormatSeconds(elapsed, NumberSymbolsOf(QLocale(QLocale::English)))));
    }
    QVERIFY(f.reporter.codes.empty());
  }

  void theRefreshRunsOnlyWhileRunningOncePerScreenRefresh() {
    ShownWindow f;
    auto* timer = f.window->findChild<QTimer*>(QStringLiteral("tmrClock"));
    QVERIFY(!timer->isActive());  // stopped: no wake-ups at all
    f.window->cmdStartClick();
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), NextRefreshDelayMs(f.window->screen()->refreshRate(), 0));
    PaintCounter labelPaints(f.control<QWidget>("lblTime"));
    f.platform.ticks.step = 1;  // every event sees a new millisecond
    QTest::qWait(200);
    const auto events = f.platform.ticks.now;
    QVERIFY(labelPaints.paints >= 1);
    QVERIFY(labelPaints.paints <= static_cast<int>(events));  // at most one paint per event
    f.window->cmdStartClick();
    QVERIFY(!timer->isActive());
    f.window->cmdStartClick();
    f.window->close();
    QVERIFY(!timer->isActive());
  }

  // The label places cached glyphs instead of laying its text out, and repaints only
  // the glyphs that changed; what it shows must be exactly what drawing its whole
  // text shows, in any locale, at any pixel ratio, after any change of the text.
  void theLabelShowsWhatDrawingItsTextShows() {
    ShownWindow f;
    auto* label = f.control<TimeLabel>("lblTime");
    auto drawn = [&](const QString& text, qreal ratio) {
      QImage image(label->size() * ratio, QImage::Format_RGB32);
      image.setDevicePixelRatio(ratio);
      QPainter painter(&image);
      painter.fillRect(label->rect(), label->palette().color(QPalette::Window));
      painter.setPen(label->palette().color(QPalette::WindowText));
      painter.setFont(label->font());
      painter.drawText(label->rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
      return image;
    };
    const QStringList texts{QStringLiteral("0.000"), QStringLiteral("0.017"), QStringLiteral("0.033"),
                            QStringLiteral("9.999"), QStringLiteral("10.016"), QStringLiteral("999.983"),
                            QStringLiteral("1,000.000"), QStringLiteral("1.234,567"), QStringLiteral("1\u202f234,567"),
                            QStringLiteral("2\u00a0147\u00a0483,647"),
                            QStringLiteral("\u0661\u066c\u0662\u0663\u0664\u066b\u0665"), QStringLiteral("1.111"),
                            QStringLiteral("0.000")};
    for (const QString& text : texts) {
      label->setText(text);
      QVERIFY2(f.shown("lblTime") == drawn(text, 1.0), qPrintable(QStringLiteral("%1 on screen").arg(text)));
      QImage rendered(label->size() * 2, QImage::Format_RGB32);
      rendered.setDevicePixelRatio(2.0);
      label->render(&rendered);
      QVERIFY2(rendered == drawn(text, 2.0), qPrintable(QStringLiteral("%1 at ratio 2").arg(text)));
    }
  }
};

QTEST_MAIN(RepaintTest)
#include "repaint_test.moc"
