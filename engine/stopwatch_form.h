#pragma once
// The one window of the program as the stopwatch sees it: the whole state of the
// window and every command, handler and sequence of its buttons, menus, mouse,
// timer, start-up and shut-down. It drives the window through WindowParts and
// reaches the machine through MachineServices; front ends forward their events
// here and keep nothing of the stopwatch themselves.
//
// Every handler guards itself as the failure convention says: a fault shows the
// operation's code and ends that operation; its caller carries on.

#include "dial/dial_drawing.h"
#include "display/display_mode.h"
#include "engine/command_timing.h"
#include "engine/input_bindings.h"
#include "engine/layout.h"
#include "engine/services.h"
#include "engine/stopwatch.h"
#include "engine/window_parts.h"
#include "settings/options.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace tovira {

// Everything the window keeps for its whole life.
struct WindowState {
  Stopwatch stopwatch;                 // StartTick, IsRunning, LapTimes, AccumulatedTime
  WindowOptions options;               // the settings-file options
  std::uint32_t HandColor = 0;         // 0x00BBGGRR
  std::vector<std::byte> TickSound;    // the bytes of tick.wav
};

// The time stamp of the input event that set a command off, on the clock that
// stamps input; none when no input event did.
using InputTime = std::optional<std::uint32_t>;

class StopwatchForm {
 public:
  StopwatchForm(WindowParts parts, MachineServices services);

  WindowState& state() { return state_; }
  const WindowState& state() const { return state_; }
  bool checked(MenuItem item) const { return marks_[static_cast<std::size_t>(item)]; }
  const TwipsRect& rectOf(Control control) const { return rects_[static_cast<std::size_t>(control)]; }

  // Start-up, once, before the window is first shown; and shut-down, once,
  // however many ways the window is closed.
  void Load();
  void Unload();

  // The Start/Stop and Lap/Reset commands and the periodic refresh. A command
  // set off by an input event is timed at that event's own stamp, however late
  // it is handled; no command is timed before the one before it.
  void cmdStartClick(InputTime inputTime = std::nullopt);
  void cmdLapClick(InputTime inputTime = std::nullopt);
  void RecordStop(InputTime inputTime = std::nullopt);
  void tmrClockTimer();
  // A moment to compare the input clock with the tick counter (the pointer moved):
  // where the input clock steps coarsely, the more such moments, the nearer a
  // press handled late is timed.
  void ObserveInputClock();

  // The display modes: the renderers (Clicks of the four mode items) and the option operation.
  void mnuShowSecClick() { RenderLapList(DisplayMode::Sec); }
  void mnuShowHMSClick() { RenderLapList(DisplayMode::HMS); }
  void mnuShowFrame24Click() { RenderLapList(DisplayMode::Frame24); }
  void mnuShowSSKClick() { RenderLapList(DisplayMode::SSK); }
  void SetDisplayMode(std::int32_t mode);

  // Dial options.
  void SetDialScale(std::int32_t scale);
  void mnu6SecClick() { SetDialScale(1); }
  void mnu10SecClick() { SetDialScale(2); }
  void mnu30SecClick() { SetDialScale(3); }
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
  void mnuBehaviorNormalClick() { SetBehaviorMode(0); }
  void mnuBehaviorLapClick() { SetBehaviorMode(1); }
  void mnuSoundOnClick() { SetSoundMode(1); }
  void mnuSoundOffClick() { SetSoundMode(0); }

  // A menu choice by the user: the item's Click. A fault that its Click does not
  // report itself ends the choice silently.
  void MenuClick(MenuItem item);

  // Mouse presses and double clicks on the background, the label, the list and the
  // dial. Only the left button double-clicks: any other button's second press is a press.
  void HandlePress(PressTarget target, MouseButton button, InputTime inputTime = std::nullopt);
  void HandleDoubleClick(PressTarget target, MouseButton button, InputTime inputTime = std::nullopt);

  // The window was shown or hidden (minimised, another workspace, unmapped): the
  // refresh rests while nothing shows, and catches up at once when shown again.
  // While running the pointer is let go while nothing shows, and held again after.
  void ShownChanged();
  // The window moved, changed its size or density, or became active again (the
  // system may have let the pointer go meanwhile): while running, the pointer is
  // held in the client area where it is now.
  void PlacementChanged();
  // The window went to a screen of another density: the front end has given the
  // canvas that screen's pictures, and the dial is drawn on them afresh. The
  // client area's size in pixels changes with the density, and so does the
  // area the pointer is held in.
  void ScreenChanged();
  // The user's number settings changed: the list is written anew in them.
  void NumberFormatChanged();

 private:
  std::uint32_t readTicks(InputTime inputTime);
  void setButtonCaptions();
  void setMark(MenuItem item, bool checked);
  // An option with a choice of values: only the values its menu items stand for
  // are taken; the items' marks are set first, in their order, and the option last.
  void setOption(std::int32_t value, std::initializer_list<std::pair<MenuItem, std::int32_t>> items,
                 std::int32_t& option);
  void place(Control control);
  void startRefresh();
  void holdPointer();
  void releasePointer();
  void scheduleRefresh();
  void refreshDialIfChanged(std::int32_t elapsed);
  void presentDial(std::int32_t handTime);
  HandSettings handSettings() const;
  void RenderLapList(DisplayMode mode);
  void RenderCurrentMode();
  void ResetDial();
  void ReadTickSound();
  void runCommand(Command command, InputTime inputTime);
  InputState inputState() const;

  WindowParts parts_;
  MachineServices services_;
  WindowState state_;
  NumberSymbols numbers_;
  CommandTiming commandTiming_;
  // Every item that stands for an option is created checked.
  std::array<bool, kMenuItemCount> marks_;
  std::array<TwipsRect, 6> rects_;
  bool unloaded_ = false;
  // Whether the periodic event already reported a fault; it stays silent until the next Start or Reset.
  bool timerFaultReported_ = false;
  // Where the pointer is held, while it is.
  std::optional<PixelRect> heldArea_;
  // The refresh rate of the screen the window was on at the run's Start.
  double refreshHertz_ = 0.0;
  // The mode the list was last rendered in and how many lines it shows, while
  // its lines match the records one to one.
  std::optional<DisplayMode> renderedMode_;
  std::size_t renderedLines_ = 0;
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
};

}  // namespace tovira
