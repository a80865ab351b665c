// The window as created, and the display modes chosen from its menu.

#include "support/window_fixture.h"
#include "window/time_label.h"
#include "window/lap_list_model.h"

#include <QAccessible>
#include <QLabel>
#include <QAbstractItemView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace tovira;
using tovira::testing::WindowFixture;

class WindowDefinitionTest : public QObject {
  Q_OBJECT

 private slots:
  void controlsStandAtTheirTwipGeometry() {
    WindowFixture f;
    struct Expected {
      const char* name;
      QRect pixels;
    };
    // Twips divided by 15 at 96 DPI.
    const Expected controls[] = {
        {"imgNumber", QRect(12, 192, 177, 37)}, {"cmdLap", QRect(136, 300, 117, 33)},
        {"lstLap", QRect(4, 336, 249, 65)},     {"cmdStart", QRect(4, 300, 117, 33)},
        {"imgWatch", QRect(4, 4, 250, 250)},    {"lblTime", QRect(4, 260, 249, 33)},
    };
    for (const auto& c : controls) {
      auto* widget = f.control<QWidget>(c.name);
      QVERIFY2(widget, c.name);
      if (QLatin1String(c.name) == QLatin1String("lstLap")) {
        QCOMPARE(widget->geometry().topLeft(), c.pixels.topLeft());
      } else {
        QCOMPARE(widget->geometry(), c.pixels);
      }
    }
    QVERIFY(f.control<QLabel>("imgNumber")->isHidden());
    QCOMPARE(f.window->centralWidget()->width(), 258);
    QCOMPARE(f.window->minimumWidth(), f.window->maximumWidth());
    QCOMPARE(f.window->windowTitle(), QStringLiteral("Toviraｽﾄｯﾌﾟｳｫｯﾁ"));
    QCOMPARE(f.control<TimeLabel>("lblTime")->text(), QStringLiteral("Label1"));
    QCOMPARE(f.control<QPushButton>("cmdStart")->text(), QStringLiteral("スタート"));
    QCOMPARE(f.control<QPushButton>("cmdLap")->text(), QStringLiteral("リセット"));
  }

  void colorsAndFonts() {
    WindowFixture f;
    auto* label = f.control<TimeLabel>("lblTime");
    QCOMPARE(label->palette().color(QPalette::Window), QColor(Qt::black));
    QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::white));
    QCOMPARE(label->font().family(), QStringLiteral("IPAGothic"));
    QCOMPARE(label->font().pointSizeF(), 18.0);
    auto* list = f.control<QAbstractItemView>("lstLap");
    QCOMPARE(list->font().family(), QStringLiteral("IPAGothic"));
    QCOMPARE(list->font().pointSizeF(), 15.75);
    QCOMPARE(f.control<QPushButton>("cmdStart")->palette().color(QPalette::Button), QColor(255, 255, 128));
    QCOMPARE(f.control<QPushButton>("cmdLap")->palette().color(QPalette::Button), QColor(128, 255, 128));
    QCOMPARE(f.control<QPushButton>("cmdStart")->palette().color(QPalette::ButtonText), QColor(Qt::black));
    QCOMPARE(f.window->centralWidget()->palette().color(QPalette::Window), QColor(Qt::white));
  }

  void everyControlHasAnAccessibleNameAndDescription() {
    WindowFixture f;
    for (const char* name : {"lblTime", "cmdStart", "cmdLap", "lstLap", "imgWatch", "imgNumber"}) {
      QAccessibleInterface* control = QAccessible::queryAccessibleInterface(f.control<QWidget>(name));
      QVERIFY2(control, name);
      QVERIFY2(!control->text(QAccessible::Name).isEmpty(), name);
      QVERIFY2(!control->text(QAccessible::Description).isEmpty(), name);
    }
    auto announced = [&](const char* name) {
      return QAccessible::queryAccessibleInterface(f.control<QWidget>(name))->text(QAccessible::Name);
    };
    QCOMPARE(announced("lblTime"), QStringLiteral("Label1"));
    QCOMPARE(announced("cmdStart"), QStringLiteral("スタート"));
    f.options().ShowAnalog = f.options().ShowDigital = 1;
    f.stopwatch().LapTimes = {1500};
    f.window->cmdStartClick();
    f.platform.ticks.now += 2500;
    f.window->tmrClockTimer();
    QCOMPARE(announced("lblTime"), QStringLiteral("2.500"));
    QCOMPARE(announced("cmdStart"), QStringLiteral("ストップ"));
    QCOMPARE(announced("imgWatch"), QStringLiteral("Dial at 2.500 seconds"));
    f.item("mnuShowSec")->trigger();
    // The list shows screen readers its lines and nothing else: no table, no headers.
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(f.control<QAbstractItemView>("lstLap"));
    QCOMPARE(list->role(), QAccessible::List);
    QVERIFY(!list->tableInterface());
    QCOMPARE(list->childCount(), 1);
    QCOMPARE(list->child(0)->role(), QAccessible::ListItem);
    QCOMPARE(list->child(0)->text(QAccessible::Name), QStringLiteral("     1.500 秒"));
    QCOMPARE(list->indexOfChild(list->child(0)), 0);
    QVERIFY(list->child(0)->state().selected);
    QVERIFY(!list->child(0)->state().focused);  // the focus is on a button, not on the line
    f.window->cmdLapClick();
    f.window->cmdStartClick();
    f.window->cmdLapClick();  // Reset
    QCOMPARE(list->childCount(), 0);
    QVERIFY(!list->child(0));
  }

  void timerIsPreciseAndIdleUntilTheFirstStart() {
    WindowFixture f;
    auto* timer = f.window->findChild<QTimer*>(QStringLiteral("tmrClock"));
    QVERIFY(timer);
    QVERIFY(!timer->isActive());
    QCOMPARE(timer->timerType(), Qt::PreciseTimer);
  }

  void tabOrderFollowsTheTabIndexes() {
    WindowFixture f;
    auto nextTabStop = [](QWidget* from) {
      QWidget* next = from->nextInFocusChain();
      while (next != from && !(next->focusPolicy() & Qt::TabFocus)) next = next->nextInFocusChain();
      return next;
    };
    QCOMPARE(nextTabStop(f.control<QWidget>("cmdStart")), f.control<QWidget>("cmdLap"));
    QCOMPARE(nextTabStop(f.control<QWidget>("cmdLap")), f.control<QWidget>("lstLap"));
    QCOMPARE(nextTabStop(f.control<QWidget>("lstLap")), f.control<QWidget>("imgWatch"));
  }

  void menuTreeAsCreated() {
    WindowFixture f;
    QStringList titles;
    for (QAction* a : f.window->menuBar()->actions()) titles << a->text();
    QCOMPARE(titles, (QStringList{"Arch", "Conf", "Window", "Trad"}));

    struct Item {
      const char* name;
      const char* caption;
      bool checked;
      bool enabled;
    };
    const Item items[] = {
        {"mnuQuit", "Cerr", false, true},
        {"mnuBehaviorMode", "Modo    ", false, true},
        {"mnuBehaviorNormal", "Norm", true, true},
        {"mnuBehaviorLap", "Lap     ", true, true},
        {"mnuSound", "Sonido", false, true},
        {"mnuSoundOn", "On  ", true, true},
        {"mnuSoundOff", "Off   ", true, true},
        {"mnuShowWatch", "Ver ", false, true},
        {"mnuShowButton", "Btn ", true, true},
        {"mnuShowDigitalWatch", "Digital ", true, true},
        {"mnuShowAnalogWatch", "Analogo", true, true},
        {"mnuShowMode", "Marcadores  ", false, true},
        {"mnuShowSec", "SC", true, true},
        {"mnuShowHMS", "HMS   ", true, true},
        {"mnuShowFrame24", "24F ", true, true},
        {"mnuShowSSK", "SEC KEY  ", true, true},
        {"mnuSecond", "Duracion ", false, true},
        {"mnu6Sec", "6不", true, true},
        {"mnu10Sec", "10不", true, false},
        {"mnu30Sec", "30不", true, false},
        {"mnuWindowApearanceNormal", "Normal  ", true, true},
        {"mnuWindowApearanceFront", "Encima de Todo", true, true},
    };
    for (const auto& i : items) {
      QAction* action = f.item(i.name);
      QVERIFY2(action, i.name);
      QCOMPARE(action->text(), QString::fromUtf8(i.caption));
      QCOMPARE(action->isChecked(), i.checked);
      QCOMPARE(action->isEnabled(), i.enabled);
    }
    QAction* help = f.item("mnuShowHelp");
    QVERIFY(help);
    QCOMPARE(help->text().size(), 4);
    QVERIFY(!help->isEnabled());
  }

  void choosingAModeSetsCaptionMarksAndOption() {
    WindowFixture f;
    const char* items[] = {"mnuShowSec", "mnuShowHMS", "mnuShowFrame24", "mnuShowSSK"};
    const char* captions[] = {"Tovira Watch[秒]", "Tovira Watch[時分秒]", "Tovira Watch[コマ数]",
                              "Tovira Watch[ﾌﾚｰﾑ:秒:ｺﾏ]"};
    for (int chosen : {3, 1, 1, 0, 2, 3}) {  // includes the already checked item
      f.item(items[chosen])->trigger();
      QCOMPARE(f.window->windowTitle(), QString::fromUtf8(captions[chosen]));
      for (int i = 0; i < 4; ++i) QCOMPARE(f.item(items[i])->isChecked(), i == chosen);
      QCOMPARE(f.options().LapType, chosen + 1);
      QCOMPARE(f.window->lapLines().rowCount(), 0);  // no records: the list stays empty
    }
    QVERIFY(f.reporter.codes.empty());
  }

  void setDisplayModeIgnoresValuesOutsideOneToFour() {
    WindowFixture f;
    f.window->SetDisplayMode(4);
    for (int bad : {0, 5, -1}) {
      f.window->SetDisplayMode(bad);
      QCOMPARE(f.options().LapType, 4);
      QCOMPARE(f.window->windowTitle(), QStringLiteral("Tovira Watch[ﾌﾚｰﾑ:秒:ｺﾏ]"));
      QVERIFY(f.item("mnuShowSSK")->isChecked());
      QVERIFY(!f.item("mnuShowSec")->isChecked());
    }
    f.window->SetDisplayMode(2);
    QVERIFY(!f.item("mnuShowSSK")->isChecked());
    QVERIFY(f.item("mnuShowHMS")->isChecked());
  }

  void choosingAModeRebuildsTheListAndSelectsTheNewestLine() {
    WindowFixture f;
    f.stopwatch().LapTimes = {500, 12345, 3723456};
    auto* list = f.control<QAbstractItemView>("lstLap");
    f.item("mnuShowSSK")->trigger();
    QCOMPARE(f.window->lapLines().lines(),
             (QStringList{"   :  :11K [  0:11K]", "  2: 0: 8K [ 12: 8K]", "620: 3:10K [723:10K]"}));
    QCOMPARE(list->currentIndex().row(), 2);
    QVERIFY(list->selectionModel()->isRowSelected(2, {}));
    f.item("mnuShowFrame24")->trigger();
    QCOMPARE(f.window->lapLines().lines(),
             (QStringList{"    11 コマ", "   296 コマ", "89,362 コマ"}));
    f.item("mnuShowSec")->trigger();
    QCOMPARE(f.window->lapLines().lines().last(), QStringLiteral(" 3,723.456 秒"));
    f.item("mnuShowHMS")->trigger();
    QCOMPARE(f.window->lapLines().lines().last(), QStringLiteral(" 1時 2分 3秒456"));
    QCOMPARE(list->currentIndex().row(), 2);
  }

  // The lines are as wide as each other in the list's font in every locale, long
  // times and short; where the font cannot draw a separator one cell wide, the line
  // shows a stand-in and screen readers still get the locale's own text.
  void lapColumnsLineUpInEveryLocale() {
    const struct {
      const char* locale;
      QChar group;
      QChar shownGroup;
    } rows[] = {
        {"en_US", u',', u','},       {"de_DE", u'.', u'.'},       {"ja_JP", u',', u','},
        {"de_CH", u'\u2019', u'\''}, {"fr_FR", u'\u202F', u'\u00A0'},
    };
    for (const auto& row : rows) {
      WindowFixture f;
      f.window->setNumberLocale(QLocale(QString::fromLatin1(row.locale)));
      f.stopwatch().LapTimes = {5000, 1234567, 99999999};
      auto* list = f.control<QAbstractItemView>("lstLap");
      const QFontMetricsF metrics(list->font());
      for (const char* mode : {"mnuShowSec", "mnuShowFrame24"}) {
        f.item(mode)->trigger();
        const QModelIndex longest = list->model()->index(2, 0);
        const QString spoken = longest.data(Qt::AccessibleTextRole).toString();
        const QString shown = longest.data(Qt::DisplayRole).toString();
        QVERIFY2(spoken.contains(row.group), row.locale);
        QCOMPARE(QString(spoken).replace(row.group, row.shownGroup), shown);
        for (int line = 0; line < 2; ++line) {
          QCOMPARE(metrics.horizontalAdvance(list->model()->index(line, 0).data().toString()),
                   metrics.horizontalAdvance(shown));
        }
      }
    }
  }
};

QTEST_MAIN(WindowDefinitionTest)
#include "window_definition_test.moc"
