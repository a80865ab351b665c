#pragma once
// The one window of the program: the dial, the time label, the Start/Stop and
// Lap/Reset buttons, the lap list, the menus and the refresh timer. It owns
// the whole state and wires the stopwatch, the display modes, the dial and the
// platform services together.

#include "common/twips.h"
#include "dial/dial_surface.h"
#include "display/display_mode.h"
#include "engine/input_bindings.h"
#include "engine/stopwatch.h"
#include "window/layout.h"
#include "window/options.h"

#include <QLocale>
#include <QMainWindow>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMouseEvent;
class QMenu;
class QTimer;

namespace tovira {

class CursorConfinement;
class DialView;
class LapListModel;
class LapListView;
class SoundPlayer;
class TickCounter;
class TimeLabel;
class TimedPushButton;
class WindowStacking;
struct HandSettings;

struct PlatformServices {
  TickCounter& ticks;
  SoundPlayer& sound;
  CursorConfinement& cursor;
  WindowStacking& stacking;
  std::string programDirectory;
};

// Everything the window keeps for its whole life.
struct WindowState {
  Stopwatch stopwatch;                 // StartTick, IsRunning, LapTimes, AccumulatedTime
  WindowOptions options;               // the settings-file options
  std::uint32_t HandColor = 0;         // 0x00BBGGRR
  std::vector<std::byte> TickSound;    // the bytes of tick.wav
};

class frmStopwatch final : public QMainWindow {
  Q_OBJECT

 public:
  explicit frmStopwatch(PlatformServices services, QWidget* parent = nullptr);
  ~frmStopwatch() override;

  WindowState& state() { return state_; }
  const DialSurface& dial() const { return dial_; }
  const LapListModel& lapLines() const { return *lapModel_; }
  // Number formatting for the label and the list; the system's by default.
  void setNumberLocale(const QLocale& locale);

  // The Load event: applies the saved options. Runs once, before the window is first shown.
  void Load();

  // Stopwatch commands and the periodic refresh. A command set off by an input event
  // is given the event's time stamp and reads the tick counter at that moment.
  using InputTime = std::optional<std::uint32_t>;
  void cmdStartClick(InputTime inputTime = std::nullopt);
  void cmdLapClick(InputTime inputTime = std::nullopt);
  void RecordStop(InputTime inputTime = std::nullopt);
  void tmrClockTimer();

  // Display modes: the renderers (Clicks of the four mode items) and the option operation.
  void mnuShowSecClick();
  void mnuShowHMSClick();
  void mnuShowFrame24Click();
  void mnuShowSSKClick();
  void SetDisplayMode(std::int32_t mode);

  // Dial options.
  void SetDialScale(std::int32_t scale);
  void mnu6SecClick();
  void mnu10SecClick();
  void mnu30SecClick();
  void mnuShowAnalogWatchClick();
  void mnuShowDigitalWatchClick();

  // Layout and stacking.
  void ArrangeControls();
  void FormResize();
  void mnuShowButtonClick();
  void SetWindowFront(std::int32_t mode);
  void mnuWindowApearanceFrontClick();
  void mnuWindowApearanceNormalClick();

  // Behaviour and sound options.
  void SetBehaviorMode(std::int32_t mode);
  void SetSoundMode(std::int32_t mode);
  void mnuBehaviorNormalClick();
  void mnuBehaviorLapClick();
  void mnuSoundOnClick();
  void mnuSoundOffClick();

  // Mouse input on the background, the label, the list and the dial.
  void HandlePress(PressTarget target, MouseButton button, InputTime inputTime = std::nullopt);
  void HandleDoubleClick(InputTime inputTime = std::nullopt);
  void HandleMouse(PressTarget target, const QMouseEvent& event);

  void mnuQuitClick();

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void createControls();
  void createMenus();
  void describeForAssistiveTechnology();
  void announceDialTime(std::int32_t elapsed);
  QAction* addMenuItem(QMenu* menu, QStringView name, const QString& caption, bool checked, bool enabled,
                       void (frmStopwatch::*click)());
  void chooseLapStandIns();
  void RenderLapList(DisplayMode mode);
  void RenderCurrentMode();
  void ResetDial();
  // Stops the sound, lets go of the pointer and writes the settings, once.
  void Unload();
  void ReadTickSound();
  HandSettings handSettings() const;
  TwipsPerPixel twipsPerPixel() const;
  void place(QWidget* control, const TwipsRect& rect);
  void placeAll();
  void setButtonCaptions();
  QRect clientAreaOnScreen() const;
  std::optional<PressTarget> pressTargetOf(const QObject* watched) const;
  void refreshDialIfChanged(std::int32_t elapsed);
  void followPixelRatio();
  void runCommand(Command command, InputTime inputTime);
  std::uint32_t readTicks(InputTime inputTime);
  bool shownOnScreen() const;
  void followExposure();
  void startRefresh();
  void scheduleRefresh();

  PlatformServices services_;
  WindowState state_;
  QLocale numberLocale_;
  DialSurface dial_;
  // Whether the periodic event already reported a fault; it stays silent until the next Start or Reset.
  bool timerFaultReported_ = false;
  bool unloaded_ = false;
  // The refresh rate of the screen the window was on at the run's Start.
  double refreshHertz_ = 0.0;
  // The mode the list was last rendered in, while its lines match the records one to one.
  std::optional<DisplayMode> renderedMode_;
  // What the dial's picture was last composed from by the periodic event. Two elapsed
  // times with the same second and frame give the same picture, so it is recomposed
  // only when one of these changes or something else has painted on the dial since.
  struct DialComposition {
    std::int32_t second;
    int frame;
    std::int32_t analogScale;
    std::uint32_t handColor;
    double width, height;
    int lineWidth;  // the circles' outline follows the line width in force
    std::uint64_t generation;
    bool operator==(const DialComposition&) const = default;
  };
  std::optional<DialComposition> composedDial_;

  // Controls, with their geometry in twips (the pixels follow the screen's twips per pixel).
  QWidget* client_ = nullptr;
  QLabel* imgNumber_ = nullptr;
  TimedPushButton* cmdLap_ = nullptr;
  QTimer* tmrClock_ = nullptr;
  LapListView* lstLap_ = nullptr;
  LapListModel* lapModel_ = nullptr;
  TimedPushButton* cmdStart_ = nullptr;
  DialView* imgWatch_ = nullptr;
  TimeLabel* lblTime_ = nullptr;
  TwipsRect cmdLapRect_ = design::kCmdLap;
  TwipsRect lstLapRect_ = design::kLstLap;
  TwipsRect cmdStartRect_ = design::kCmdStart;
  TwipsRect imgWatchRect_ = design::kImgWatch;
  TwipsRect lblTimeRect_ = design::kLblTime;

  // Menu items that the program reads or checks.
  QAction* mnuBehaviorNormal_ = nullptr;
  QAction* mnuBehaviorLap_ = nullptr;
  QAction* mnuSoundOn_ = nullptr;
  QAction* mnuSoundOff_ = nullptr;
  QAction* mnuShowButton_ = nullptr;
  QAction* mnuShowDigitalWatch_ = nullptr;
  QAction* mnuShowAnalogWatch_ = nullptr;
  QAction* mnuShowModeItems_[4] = {};  // Sec, HMS, Frame24, SSK
  QAction* mnu6Sec_ = nullptr;
  QAction* mnu10Sec_ = nullptr;
  QAction* mnu30Sec_ = nullptr;
  QAction* mnuWindowApearanceNormal_ = nullptr;
  QAction* mnuWindowApearanceFront_ = nullptr;
};

}  // namespace tovira
