// The stopwatch's window without any toolkit: event sequences driven through
// fakes of the window's parts and the machine's services, and the calls and state
// they must give.

#include "common/text.h"
#include "engine/stopwatch_form.h"
#include "support/fake_services.h"
#include "support/recording_reporter.h"
#include "support/scratch_directory.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tovira {
namespace {

using testing::FakeCursorConfinement;
using testing::FakeNumberFormat;
using testing::FakeSoundPlayer;
using testing::FakeTickCounter;
using testing::FakeTopmostStacking;
using testing::RecordingReporter;
using testing::ScratchDirectory;

// A window that remembers what it shows and writes down what it was told.
class FakeWindow final : public Captions,
                         public LapListLines,
                         public MenuMarks,
                         public ControlLayout,
                         public RefreshTimer,
                         public DialDisplay {
 public:
  void setWindowCaption(std::u16string_view text) override { caption = Utf8(text); }
  void setButtonCaptions(std::u16string_view start, std::u16string_view lap) override {
    buttons = Utf8(start) + "/" + Utf8(lap);
  }
  void setTimeText(std::u16string_view text) override { time = Utf8(text); }
  void clearLines() override {
    lines.clear();
    selected = -1;
  }
  void addLines(std::vector<std::u16string> added) override {
    for (const auto& line : added) lines.push_back(Utf8(line));
  }
  void selectNewestLine() override { selected = static_cast<int>(lines.size()) - 1; }
  void setChecked(MenuItem item, bool checked) override { marks[item] = checked; }
  void setVisible(Control control, bool visible) override { hidden[control] = !visible; }
  void place(Control control, const TwipsRect& rect) override { rects[control] = rect; }
  TwipsPerPixel twipsPerPixel() const override { return {}; }
  double clientHeightTwips() const override { return 6300; }
  PixelRect clientAreaOnScreen() const override { return clientArea; }
  void startTimer(int delayMs) override { timerDelay = delayMs; }
  void stopTimer() override { timerDelay.reset(); }
  bool timerActive() const override { return timerDelay.has_value(); }
  double screenHertz() const override { return 60.0; }
  bool shownOnScreen() const override { return shown; }
  void showDial(const PixelRect&, std::int32_t handTime) override { dialShows.push_back(handTime); }

  std::string caption, buttons, time;
  std::vector<std::string> lines;
  int selected = -1;
  std::map<MenuItem, bool> marks;
  std::map<Control, bool> hidden;
  std::map<Control, TwipsRect> rects;
  std::optional<int> timerDelay;
  bool shown = true;
  PixelRect clientArea{100, 200, 258, 420};
  std::vector<std::int32_t> dialShows;
};

// A dial that writes down its drawing operations.
class FakeCanvas final : public DialCanvas {
 public:
  PixelRect takeChangedArea() override { return {}; }
  TwipsPerPixel twipsPerPixel() const override { return {}; }
  std::vector<std::string> ops;

 private:
  void paintFace() override { ops.push_back("clear"); }
  void paintFromDigitStrip(const TwipsRect& source, PointF at) override {
    const int cell = static_cast<int>(source.left / 15 / 15);
    ops.push_back("digit " + std::to_string((cell + 1) % 10) + "@" +
                  std::to_string(static_cast<int>(at.x / 15)) + "," + std::to_string(static_cast<int>(at.y / 15)));
  }
  void paintCircle(PointF, double, std::uint32_t, std::uint32_t, int width) override {
    ops.push_back("circle w" + std::to_string(width));
  }
  void paintLine(PointF, PointF, std::uint32_t, int width) override { ops.push_back("line w" + std::to_string(width)); }
};

struct Form {
  Form() {
    state().options = WindowOptions{1, 1, 1, 1, 1, std::string("C80000"), 0, 0, 0};
  }
  WindowState& state() { return form.state(); }
  void at(std::uint32_t tick) { ticks.now = tick; }
  // The single-shot timer fires.
  void fire() {
    window.timerDelay.reset();
    form.tmrClockTimer();
  }

  RecordingReporter reporter;
  ScratchDirectory folder;
  FakeWindow window;
  FakeCanvas dial;
  FakeTickCounter ticks;
  FakeSoundPlayer sound;
  FakeCursorConfinement cursor;
  FakeTopmostStacking stacking;
  FakeNumberFormat numbers;
  StopwatchForm form{WindowParts{window, window, window, window, window, dial, window},
                     MachineServices{ticks, sound, cursor, stacking, numbers, folder.path().string()}};
};

struct Sequence {
  const char* name;
  std::function<void(Form&)> events;
  std::vector<std::int32_t> records;
  std::vector<std::string> lines;
  bool running;
  std::string buttons;
  std::vector<ErrorCode> reports;
};

TEST(StopwatchForm, EventSequencesGiveTheirRecordsLinesAndCaptions) {
  const Sequence sequences[] = {
      {"Start, Stop, Start, Stop resumes",
       [](Form& f) {
         f.at(1000), f.form.cmdStartClick(), f.at(6000), f.form.cmdStartClick();
         f.at(50000), f.form.cmdStartClick(), f.at(52000), f.form.cmdStartClick();
       },
       {5000, 7000}, {"     5.000 秒", "     7.000 秒"}, false, "スタート/リセット", {}},
      {"Lap then Stop in frames",
       [](Form& f) {
         f.state().options.LapType = 3;
         f.at(1000), f.form.cmdStartClick(), f.at(2500), f.form.cmdLapClick(), f.at(4000), f.form.cmdStartClick();
       },
       {1500, 3000}, {"    35 コマ", "    72 コマ"}, false, "スタート/リセット", {}},
      {"a lap while running keeps it running",
       [](Form& f) { f.form.cmdStartClick(), f.at(1999), f.form.cmdLapClick(); },
       {999}, {"     0.999 秒"}, true, "ストップ/ラップ", {}},
      {"Lap while stopped resets",
       [](Form& f) { f.form.cmdStartClick(), f.at(3000), f.form.cmdStartClick(), f.form.cmdLapClick(); },
       {}, {}, false, "スタート/リセット", {}},
      {"a LapType outside 1 to 4 records without lines",
       [](Form& f) {
         f.state().options.LapType = 7;
         f.form.cmdStartClick(), f.at(2000), f.form.cmdLapClick(), f.form.cmdStartClick();
       },
       {1000, 1000}, {}, false, "スタート/リセット", {}},
      {"a pick rebuilds the list from every record",
       [](Form& f) {
         f.state().options.LapType = 7;
         f.form.cmdStartClick(), f.at(2000), f.form.cmdLapClick(), f.form.MenuClick(MenuItem::mnuShowSSK);
       },
       {1000}, {"   : 1: 0K [  1: 0K]"}, true, "ストップ/ラップ", {}},
      {"the sound on without a tick sound reports and runs",
       [](Form& f) { f.state().options.PlaySound = 1, f.form.cmdStartClick(); },
       {}, {}, true, "ストップ/ラップ", {ErrorCode::StartClick}},
      {"a run across both counter boundaries",
       [](Form& f) {
         f.at(4294966296u), f.form.cmdStartClick(), f.at(1000), f.form.cmdLapClick(), f.at(5000), f.form.cmdStartClick();
         f.at(2147483000u), f.form.cmdStartClick(), f.at(2147484000u), f.form.cmdStartClick();
       },
       {2000, 6000, 7000}, {"     2.000 秒", "     6.000 秒", "     7.000 秒"}, false, "スタート/リセット", {}},
      {"a press records at the moment it was stamped, never before the command before it",
       [](Form& f) {
         f.ticks.inputBehind = 4100;
         f.at(5000), f.form.HandlePress(PressTarget::TimeLabel, MouseButton::Left, 880);  // 20 ms old: 4981
         f.at(8000), f.form.HandlePress(PressTarget::Background, MouseButton::Right, 3899);  // laps at 8000
         f.at(9000), f.form.HandleDoubleClick(PressTarget::Dial, MouseButton::Left, 3900);  // a second old: 8001
         f.at(9100), f.form.cmdStartClick(3);  // stamped before that Stop: starts at 8001
         f.at(9200), f.form.cmdStartClick();   // none: now
       },
       {3019, 3020, 4219}, {"     3.019 秒", "     3.020 秒", "     4.219 秒"}, false, "スタート/リセット", {}},
      {"presses handled long after their stamps, as by a frozen program, keep their times",
       [](Form& f) {
         f.ticks.inputBehind = 0;
         f.at(1000), f.form.HandlePress(PressTarget::TimeLabel, MouseButton::Left, 999);
         f.at(400000);
         for (std::uint32_t stamp : {2499u, 3499u, 4499u}) f.form.HandlePress(PressTarget::LapList, MouseButton::Right, stamp);
         f.form.HandlePress(PressTarget::TimeLabel, MouseButton::Left, 399999);
       },
       {1500, 2500, 3500, 399000}, {"     1.500 秒", "     2.500 秒", "     3.500 秒", "   399.000 秒"}, false,
       "スタート/リセット", {}},
      {"stamps of another machine's clock are not taken: timed at handling",
       [](Form& f) {
         f.at(1000), f.form.HandlePress(PressTarget::TimeLabel, MouseButton::Left, 7);
         f.at(3000), f.form.HandlePress(PressTarget::TimeLabel, MouseButton::Left, 2900);
       },
       {2000}, {"     2.000 秒"}, false, "スタート/リセット", {}},
      {"a change of the number format writes every line anew",
       [](Form& f) {
         f.at(0), f.form.cmdStartClick(), f.at(1234567), f.form.cmdLapClick();
         f.numbers.symbols = NumberSymbols{u".", u","};
         f.form.NumberFormatChanged();
         f.at(2345678), f.form.cmdLapClick();
       },
       {1234567, 2345678}, {" 1.234,567 秒", " 2.345,678 秒"}, true, "ストップ/ラップ", {}},
      {"Lap mode: left starts and laps, right stops, the middle button nothing",
       [](Form& f) {
         f.form.SetBehaviorMode(1);
         f.form.HandlePress(PressTarget::LapList, MouseButton::Left), f.at(1500);
         f.form.HandlePress(PressTarget::LapList, MouseButton::Left), f.at(2000);
         f.form.HandlePress(PressTarget::LapList, MouseButton::Middle);
         f.form.HandleDoubleClick(PressTarget::LapList, MouseButton::Middle);  // a press: nothing
         f.form.HandlePress(PressTarget::LapList, MouseButton::Right);
       },
       {500, 1000}, {"     0.500 秒", "     1.000 秒"}, false, "スタート/リセット", {}},
  };
  for (const Sequence& s : sequences) {
    SCOPED_TRACE(s.name);
    Form f;
    s.events(f);
    EXPECT_EQ(f.state().stopwatch.LapTimes, s.records);
    EXPECT_EQ(f.window.lines, s.lines);
    EXPECT_EQ(f.window.selected, static_cast<int>(s.lines.size()) - 1);
    EXPECT_EQ(f.state().stopwatch.IsRunning, s.running);
    EXPECT_EQ(f.window.buttons, s.buttons);
    EXPECT_EQ(f.reporter.codes, s.reports);
    EXPECT_EQ(f.cursor.confinedTo.has_value(), s.running);
    EXPECT_EQ(f.window.timerDelay.has_value(), s.running);
  }
}

TEST(StopwatchForm, StartHoldsThePointerAndPlaysStopReleasesAndSilences) {
  Form f;
  f.state().TickSound.assign(44, std::byte{1});
  f.state().options.PlaySound = 1;
  f.at(0), f.form.cmdStartClick();
  EXPECT_EQ(f.cursor.calls, (std::vector<std::string>{"release", "confine"}));
  EXPECT_EQ(*f.cursor.confinedTo, (PixelRect{100, 200, 258, 420}));
  EXPECT_EQ(f.window.timerDelay, 17);  // the next refresh of a 60 Hz screen
  f.form.SetSoundMode(0);  // read at the next Start only
  f.form.cmdStartClick();
  f.form.cmdStartClick();
  f.form.cmdStartClick();
  EXPECT_EQ(f.sound.calls, (std::vector<std::string>{"play", "stop", "stop"}));
  EXPECT_EQ(f.cursor.calls.back(), "release");
}

// Windows let a clip go on their own (a UAC prompt, Ctrl+Alt+Del), and a clip or a
// grab of a fixed rectangle stays where the window was.
TEST(StopwatchForm, WhileRunningThePointerIsHeldWhereTheWindowIsNowAndLetGoWhileItIsHidden) {
  Form f;
  f.form.PlacementChanged();  // stopped: nothing held
  EXPECT_TRUE(f.cursor.calls.empty());
  f.form.cmdStartClick();
  f.window.clientArea = {900, 50, 258, 420};
  f.form.PlacementChanged();  // moved, resized, a new density, active again
  EXPECT_EQ(f.cursor.confinedTo, (PixelRect{900, 50, 258, 420}));
  f.window.shown = false;  // minimised
  f.form.ShownChanged();
  EXPECT_FALSE(f.cursor.confinedTo);
  f.form.PlacementChanged();
  EXPECT_FALSE(f.cursor.confinedTo);
  f.window.shown = true;
  f.form.ShownChanged();
  EXPECT_EQ(f.cursor.confinedTo, (PixelRect{900, 50, 258, 420}));
  f.cursor.calls.clear();
  f.form.ShownChanged();  // a part uncovered: the grab stays as it is
  EXPECT_TRUE(f.cursor.calls.empty());
  // The window manager was still placing the window when its move was told.
  f.window.clientArea = {901, 70, 258, 420};
  f.form.ShownChanged();
  EXPECT_EQ(f.cursor.confinedTo, (PixelRect{901, 70, 258, 420}));
  f.window.clientArea = {901, 70, 516, 840};
  f.form.ScreenChanged();
  EXPECT_EQ(f.cursor.confinedTo, (PixelRect{901, 70, 516, 840}));
  f.form.cmdStartClick();
  f.form.PlacementChanged();
  EXPECT_FALSE(f.cursor.confinedTo);
}

TEST(StopwatchForm, TheRefreshWritesLabelAndDialAndRestsWhileNothingShows) {
  Form f;
  f.at(0), f.form.cmdStartClick();
  f.at(4400), f.fire();
  EXPECT_EQ(f.window.time, "4.400");
  EXPECT_EQ(f.dial.ops.front(), "clear");
  EXPECT_EQ(f.window.dialShows.back(), 4400);
  EXPECT_EQ(f.window.timerDelay, 17);  // 4417, on the screen's pace from the start
  f.at(4401), f.fire();  // the hub's outline is 2 pixels wide from the second hand on
  const auto drawn = f.dial.ops.size();
  f.at(4410), f.fire();  // the same frame: the dial is not drawn again
  EXPECT_EQ(f.window.time, "4.410");
  EXPECT_EQ(f.dial.ops.size(), drawn);

  f.window.shown = false;  // minimised
  f.form.ShownChanged();
  EXPECT_FALSE(f.window.timerDelay);
  f.at(9000), f.fire();  // an event already on its way
  EXPECT_FALSE(f.window.timerDelay);
  f.window.shown = true;
  f.at(12345), f.form.ShownChanged();  // shows the time at once and goes on
  EXPECT_EQ(f.window.time, "12.345");
  EXPECT_TRUE(f.window.timerDelay);

  f.state().options.ShowDigital = 2;  // only exactly 1 writes the label
  f.at(20000), f.fire();
  EXPECT_EQ(f.window.time, "12.345");
}

TEST(StopwatchForm, AnOverflowingRefreshReportsOnceUntilTheNextStart) {
  Form f;
  f.state().stopwatch.AccumulatedTime = 2147483647 - 100;
  f.at(0), f.form.cmdStartClick();
  f.at(200), f.fire(), f.fire();
  EXPECT_EQ(f.reporter.codes, std::vector<ErrorCode>{ErrorCode::ClockTimer});
  EXPECT_FALSE(f.window.timerDelay);
  f.form.cmdStartClick();  // the Stop's record overflows too: nothing is recorded
  EXPECT_EQ(f.reporter.codes, (std::vector<ErrorCode>{ErrorCode::ClockTimer, ErrorCode::RecordStop}));
  EXPECT_TRUE(f.state().stopwatch.LapTimes.empty());
  EXPECT_FALSE(f.state().stopwatch.IsRunning);
}

TEST(StopwatchForm, ResetClearsAndRedrawsTheDialWhateverIsShown) {
  Form f;
  f.state().options.ShowDigital = f.state().options.ShowAnalog = 0;
  f.form.cmdLapClick();
  EXPECT_EQ(f.window.time, "0.000");
  EXPECT_EQ(f.dial.ops, (std::vector<std::string>{"clear", "digit 0@187,62", "digit 1@202,62", "digit 0@187,157",
                                                   "digit 2@202,157", "digit 0@110,201", "digit 3@125,201",
                                                   "digit 0@33,157", "digit 4@48,157", "digit 0@33,62",
                                                   "digit 5@48,62", "digit 0@110,15", "digit 6@125,15",
                                                   "circle w1", "circle w1", "line w1", "line w2", "line w2"}));
  EXPECT_EQ(f.window.dialShows, std::vector<std::int32_t>{0});
}

TEST(StopwatchForm, LoadAppliesTheSettingsInOrderAndUnloadWritesThemOnce) {
  Form f;
  testing::WriteBytes(f.folder.path() / "ToviraWatch.ini",
                      "[ToviraWatch]\nShowbutton=0\nShowDigital=1\nShowAnalog=2\nLapType=4\nAnalogScale=2\n"
                      "AnalogColor=ff8000\nWindowForceFront=1\nBehaviorMode=1\nPlaySound=1\n");
  testing::WriteBytes(f.folder.path() / "tick.wav", "RIFF");
  f.form.Load();
  EXPECT_TRUE(f.reporter.codes.empty());
  EXPECT_EQ(f.window.caption, "Tovira Watch[ﾌﾚｰﾑ:秒:ｺﾏ]");
  EXPECT_EQ(f.window.time, "0.000");
  EXPECT_EQ(f.state().HandColor, 0x000080FFu);
  EXPECT_EQ(f.state().TickSound.size(), 4u);
  EXPECT_EQ(f.stacking.requests, std::vector<bool>{true});
  for (const auto& [item, checked] : std::map<MenuItem, bool>{
           {MenuItem::mnuShowSSK, true}, {MenuItem::mnuShowSec, false}, {MenuItem::mnu10Sec, true},
           {MenuItem::mnu6Sec, false}, {MenuItem::mnuWindowApearanceFront, true}, {MenuItem::mnuBehaviorLap, true},
           {MenuItem::mnuSoundOn, true}, {MenuItem::mnuShowButton, false}, {MenuItem::mnuShowAnalogWatch, false}}) {
    EXPECT_EQ(f.form.checked(item), checked) << static_cast<int>(item);
    EXPECT_EQ(f.window.marks[item], checked) << static_cast<int>(item);
  }
  EXPECT_TRUE(f.window.hidden[Control::cmdStart] && f.window.hidden[Control::imgWatch]);
  EXPECT_EQ(f.window.rects[Control::lstLap].top, 600);  // the label above the list only
  EXPECT_EQ(f.window.rects[Control::lstLap].height, 6300 - 600 - 60);

  f.form.Unload();
  f.form.Unload();
  EXPECT_EQ(f.sound.calls, std::vector<std::string>{"stop"});
  EXPECT_EQ(testing::ReadBytes(f.folder.path() / "ToviraWatch.ini"),
            testing::AsWrittenByProfileCalls(
                "[ToviraWatch]\nShowbutton=0\nShowDigital=1\nShowAnalog=0\nLapType=4\nAnalogScale=2\n"
                "AnalogColor=ff8000\nWindowForceFront=1\nBehaviorMode=1\nPlaySound=1\n"));
}

TEST(StopwatchForm, LoadWithoutSettingsOrTickSound) {
  Form f;
  f.state().options = WindowOptions{};  // as the window is created
  f.form.Load();
  EXPECT_EQ(f.reporter.codes, (std::vector<ErrorCode>{ErrorCode::LoadSettings, ErrorCode::Load}));
  EXPECT_EQ(f.window.caption, "Tovira Watch");
  EXPECT_TRUE(f.form.checked(MenuItem::mnuShowSec) && f.form.checked(MenuItem::mnu30Sec));  // as created
  EXPECT_TRUE(f.window.hidden[Control::cmdLap] && f.window.hidden[Control::lblTime] &&
              f.window.hidden[Control::imgWatch]);
  EXPECT_EQ(f.window.rects[Control::lstLap].top, 60);
}


// Each front end keeps one control per marked item, found through the table: an
// item left out or listed twice would leave a mark that nothing shows.
TEST(MenuTable, EveryMarkedItemIsInTheMenusOnceAndEachModeUnderItsOwn) {
  std::map<MenuItem, int> seen;
  std::function<void(std::span<const MenuEntry>)> walk = [&](std::span<const MenuEntry> entries) {
    for (const MenuEntry& entry : entries) {
      if (entry.role == MenuRole::Option) ++seen[entry.item];
      walk(entry.entries);
    }
  };
  walk(MenuBarEntries());
  EXPECT_EQ(seen.size(), kMenuItemCount);
  for (const auto& [item, count] : seen) EXPECT_EQ(count, 1) << static_cast<int>(item);
  for (const DisplayModeInfo& info : DisplayModes()) {
    EXPECT_EQ(static_cast<int>(MenuItemOf(info.mode)) - static_cast<int>(MenuItem::mnuShowSec),
              static_cast<int>(info.mode) - 1);
  }
}

}  // namespace
}  // namespace tovira
