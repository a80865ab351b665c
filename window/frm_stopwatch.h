#pragma once
// The one window of the program on Qt: the dial, the time label, the Start/Stop
// and Lap/Reset buttons, the lap list, the menus and the refresh timer. The
// stopwatch itself is the toolkit-free StopwatchForm; this window implements the
// parts of a window it drives and forwards every event to it.

#include "engine/stopwatch_form.h"
#include "window/dial_surface.h"

#include <QLocale>
#include <QMainWindow>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

class QAction;
class QLabel;
class QMouseEvent;
class QMenu;
class QTimer;

namespace tovira {

class DialView;
class LapListModel;
class LapListView;
class TimeLabel;
class TimedPushButton;

struct PlatformServices {
  TickCounter& ticks;
  SoundPlayer& sound;
  CursorConfinement& cursor;
  TopmostStacking& stacking;
  std::string programDirectory;
};

class frmStopwatch final : public QMainWindow,
                           Captions,
                           LapListLines,
                           MenuMarks,
                           ControlLayout,
                           RefreshTimer,
                           DialDisplay,
                           NumberFormat {
  Q_OBJECT

 public:
  explicit frmStopwatch(PlatformServices services, QWidget* parent = nullptr);
  ~frmStopwatch() override;

  StopwatchForm& form() { return form_; }
  WindowState& state() { return form_.state(); }
  const DialSurface& dial() const { return dial_; }
  const LapListModel& lapLines() const { return *lapModel_; }
  // Number formatting for the label and the list; the system's by default.
  void setNumberLocale(const QLocale& locale);
  // The window manager marks the window hidden, or no longer does.
  void setHiddenByWindowManager(bool hidden);

 signals:
  // Unload has run: the settings are written.
  void unloaded();

 public:
  // The events of the window, forwarded to the stopwatch.
  void Load() { form_.Load(); }
  void cmdStartClick(InputTime inputTime = std::nullopt) { form_.cmdStartClick(inputTime); }
  void cmdLapClick(InputTime inputTime = std::nullopt) { form_.cmdLapClick(inputTime); }
  void tmrClockTimer() { form_.tmrClockTimer(); }
  void SetDisplayMode(std::int32_t mode) { form_.SetDisplayMode(mode); }
  void SetDialScale(std::int32_t scale) { form_.SetDialScale(scale); }
  void SetWindowFront(std::int32_t mode) { form_.SetWindowFront(mode); }
  void SetBehaviorMode(std::int32_t mode) { form_.SetBehaviorMode(mode); }
  void SetSoundMode(std::int32_t mode) { form_.SetSoundMode(mode); }
  void ArrangeControls() { form_.ArrangeControls(); }
  void mnuShowButtonClick() { form_.mnuShowButtonClick(); }
  void mnuShowAnalogWatchClick() { form_.mnuShowAnalogWatchClick(); }

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  // The parts of the window the stopwatch drives.
  void setWindowCaption(std::u16string_view text) override;
  void setButtonCaptions(std::u16string_view start, std::u16string_view lap) override;
  void setTimeText(std::u16string_view text) override;
  void clearLines() override;
  void addLines(std::vector<std::u16string> lines) override;
  void selectNewestLine() override;
  void setChecked(MenuItem item, bool checked) override;
  void setVisible(Control control, bool visible) override;
  void place(Control control, const TwipsRect& rect) override;
  TwipsPerPixel twipsPerPixel() const override;
  double clientHeightTwips() const override;
  PixelRect clientAreaOnScreen() const override;
  void startTimer(int delayMs) override;
  void stopTimer() override;
  bool timerActive() const override;
  double screenHertz() const override;
  bool shownOnScreen() const override;
  void showDial(const PixelRect& changed, std::int32_t handTime) override;
  NumberSymbols numberSymbols() const override;

  void createControls();
  void createMenus();
  void describeForAssistiveTechnology();
  static QMenu* named(QMenu* menu, std::u16string_view name);
  void addMenuEntries(QMenu* menu, std::span<const MenuEntry> entries);
  QWidget* widgetOf(Control control) const;
  void chooseLapStandIns();
  std::optional<PressTarget> pressTargetOf(const QObject* watched) const;
  void handleMouse(PressTarget target, const QMouseEvent& event);
  void followPixelRatio();

  PlatformServices services_;
  QLocale numberLocale_;
  NumberSymbols numberSymbols_;
  DialSurface dial_;

  QWidget* client_ = nullptr;
  QLabel* imgNumber_ = nullptr;
  TimedPushButton* cmdLap_ = nullptr;
  QTimer* tmrClock_ = nullptr;
  LapListView* lstLap_ = nullptr;
  LapListModel* lapModel_ = nullptr;
  TimedPushButton* cmdStart_ = nullptr;
  DialView* imgWatch_ = nullptr;
  TimeLabel* lblTime_ = nullptr;
  std::array<QAction*, kMenuItemCount> menuItems_{};
  bool hiddenByWindowManager_ = false;

  // Declared last: it drives everything above from its first call on.
  StopwatchForm form_;
};

}  // namespace tovira
