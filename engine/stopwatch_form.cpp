#include "engine/stopwatch_form.h"

#include "common/checked_math.h"
#include "common/failure.h"
#include "dial/artwork_layout.h"
#include "dial/dial_drawing.h"
#include "dial/hand_color.h"
#include "display/frame_table.h"
#include "engine/window_design.h"
#include "settings/program_files.h"
#include "settings/settings.h"

#include <algorithm>
#include <utility>

namespace tovira {
namespace {

// Stopped, the buttons read as the window was designed.
constexpr std::u16string_view kStoppedStart = design::kStartCaption;
constexpr std::u16string_view kStoppedLap = design::kLapCaption;
constexpr std::u16string_view kRunningStart = u"ストップ";
constexpr std::u16string_view kRunningLap = u"ラップ";

constexpr std::size_t Index(Control control) { return static_cast<std::size_t>(control); }

// A menu choice or a mouse press must never let a fault reach the event loop. The
// operations that report their own faults already did; for the others a user's
// choice ends silently, as it has no guard above it.
template <class Operation>
void EndSilentlyOnFault(Operation&& op) noexcept {
  try {
    op();
  } catch (const std::exception&) {
  }
}

}  // namespace

StopwatchForm::StopwatchForm(WindowParts parts, MachineServices services)
    : parts_(parts),
      services_(std::move(services)),
      numbers_(services_.numbers.numberSymbols()),
      commandTiming_(services_.ticks.inputClockStepMs()) {
  marks_.fill(true);
  rects_[Index(Control::imgNumber)] = design::kImgNumber;
  rects_[Index(Control::cmdLap)] = design::kCmdLap;
  rects_[Index(Control::lstLap)] = design::kLstLap;
  rects_[Index(Control::cmdStart)] = design::kCmdStart;
  rects_[Index(Control::imgWatch)] = design::kImgWatch;
  rects_[Index(Control::lblTime)] = design::kLblTime;
}

// Every line is written anew in the new signs, as any render of the list writes
// them; lines of both kinds never stand side by side.
void StopwatchForm::NumberFormatChanged() {
  numbers_ = services_.numbers.numberSymbols();
  renderedMode_.reset();
  if (!state_.stopwatch.LapTimes.empty()) RenderCurrentMode();
}

void StopwatchForm::setMark(MenuItem item, bool checked) {
  marks_[static_cast<std::size_t>(item)] = checked;
  parts_.menus.setChecked(item, checked);
}

void StopwatchForm::setOption(std::int32_t value, std::initializer_list<std::pair<MenuItem, std::int32_t>> items,
                              std::int32_t& option) {
  if (std::none_of(items.begin(), items.end(), [&](const auto& item) { return item.second == value; })) return;
  for (const auto& [item, itemValue] : items) setMark(item, itemValue == value);
  option = value;
}

void StopwatchForm::place(Control control) { parts_.controls.place(control, rects_[Index(control)]); }

// ---- Stopwatch commands ---------------------------------------------------------------------

std::uint32_t StopwatchForm::readTicks(InputTime inputTime) {
  const std::uint32_t now = services_.ticks.timeGetTime();
  return commandTiming_.commandTick(now, services_.ticks.inputClockNow(), inputTime);
}

void StopwatchForm::ObserveInputClock() {
  const std::uint32_t now = services_.ticks.timeGetTime();
  if (const auto inputNow = services_.ticks.inputClockNow()) commandTiming_.observe(now, *inputNow);
}

void StopwatchForm::setButtonCaptions() {
  const bool running = state_.stopwatch.IsRunning;
  parts_.captions.setButtonCaptions(running ? kRunningStart : kStoppedStart, running ? kRunningLap : kStoppedLap);
}

void StopwatchForm::cmdStartClick(InputTime inputTime) {
  Guarded(ErrorCode::StartClick, [this, inputTime] {
    auto& sw = state_.stopwatch;
    if (!sw.IsRunning) {
      sw.Start(readTicks(inputTime));
      timerFaultReported_ = false;
      setButtonCaptions();
      startRefresh();
      holdPointer();
      if (state_.options.PlaySound == 1) {
        if (state_.TickSound.empty()) RaiseFault("no tick sound");
        services_.sound.playLoop(state_.TickSound);
      }
    } else {
      RecordStop(inputTime);
      sw.IsRunning = false;
      parts_.timer.stopTimer();
      setButtonCaptions();
      releasePointer();
      services_.sound.stop();
    }
  });
}

// Once per refresh of the screen the window is on, and only while the window is
// shown: a screen shows no more, and a stopped stopwatch has no timer at all.
void StopwatchForm::startRefresh() {
  refreshHertz_ = parts_.timer.screenHertz();
  if (parts_.timer.shownOnScreen()) scheduleRefresh();
}

void StopwatchForm::scheduleRefresh() {
  const std::uint32_t sinceStart =
      services_.ticks.timeGetTime() - static_cast<std::uint32_t>(state_.stopwatch.StartTick);
  parts_.timer.startTimer(NextRefreshDelayMs(refreshHertz_, sinceStart));
}

// Window systems say "shown" for every uncovered part too: only a change between
// shown and hidden (the refresh's timer tells which it was) takes the pointer anew.
// Any other notice only checks the area: a window manager may still have been
// placing the window when the last move was told.
void StopwatchForm::ShownChanged() {
  if (!state_.stopwatch.IsRunning) return;
  if (!parts_.timer.shownOnScreen()) {
    parts_.timer.stopTimer();
    releasePointer();
  } else if (!parts_.timer.timerActive()) {
    holdPointer();
    if (!timerFaultReported_) tmrClockTimer();
  } else if (heldArea_ != parts_.controls.clientAreaOnScreen()) {
    holdPointer();
  }
}

void StopwatchForm::PlacementChanged() {
  if (state_.stopwatch.IsRunning) holdPointer();
}

// Any confinement first ends; a window that shows nothing holds no pointer.
void StopwatchForm::holdPointer() {
  releasePointer();
  if (!parts_.timer.shownOnScreen()) return;
  heldArea_ = parts_.controls.clientAreaOnScreen();
  services_.cursor.confine(*heldArea_);
}

void StopwatchForm::releasePointer() {
  services_.cursor.release();
  heldArea_.reset();
}

void StopwatchForm::RecordStop(InputTime inputTime) {
  Guarded(ErrorCode::RecordStop, [this, inputTime] {
    auto& sw = state_.stopwatch;
    if (!sw.IsRunning) return;
    const std::int32_t elapsed = sw.Elapsed(readTicks(inputTime));
    sw.LapTimes.push_back(elapsed);
    RenderCurrentMode();
    sw.AccumulatedTime = elapsed;
  });
}

void StopwatchForm::cmdLapClick(InputTime inputTime) {
  Guarded(ErrorCode::LapClick, [this, inputTime] {
    auto& sw = state_.stopwatch;
    if (sw.IsRunning) {
      sw.LapTimes.push_back(sw.Elapsed(readTicks(inputTime)));
      RenderCurrentMode();
      return;
    }
    parts_.lapList.clearLines();
    renderedMode_.reset();
    sw.Clear();
    timerFaultReported_ = false;
    parts_.captions.setTimeText(FormatSeconds(0, numbers_));
    ResetDial();
  });
}

void StopwatchForm::ResetDial() {
  parts_.dial.clear();
  for (std::int32_t n = 1; n <= 6; ++n) DrawDialNumber(parts_.dial, n);
  DrawDialHand(parts_.dial, 0, handSettings());
  presentDial(0);
}

void StopwatchForm::presentDial(std::int32_t handTime) {
  parts_.dialDisplay.showDial(parts_.dial.takeChangedArea(), handTime);
}

void StopwatchForm::tmrClockTimer() {
  const auto& sw = state_.stopwatch;
  if (!sw.IsRunning || timerFaultReported_) return;
  const bool ok = Guarded(ErrorCode::ClockTimer, [this, &sw] {
    const std::int32_t elapsed = sw.Elapsed(services_.ticks.timeGetTime());
    if (state_.options.ShowDigital == 1) parts_.captions.setTimeText(FormatSeconds(elapsed, numbers_));
    if (state_.options.ShowAnalog == 1) refreshDialIfChanged(elapsed);
  });
  // A fault here would repeat on every event: report it once, and rest until the next Start.
  if (!ok) {
    timerFaultReported_ = true;
    return;
  }
  if (parts_.timer.shownOnScreen()) scheduleRefresh();
}

void StopwatchForm::refreshDialIfChanged(std::int32_t elapsed) {
  // The labels around the current second reach from 2 s before it to 3 s after it.
  CheckedAdd(elapsed, 3000);
  CheckedSub(elapsed, 2000);
  const HandSettings hand = handSettings();
  std::optional<DialComposition> wanted;
  if (elapsed >= 0) {
    wanted = DialComposition{elapsed / 1000,        FrameIndexAt(elapsed % 1000), hand.analogScale,
                             hand.handColor,        hand.areaWidthTwips,         hand.areaHeightTwips,
                             parts_.dial.lineWidth(), parts_.dial.generation()};
  }
  if (wanted && wanted == composedDial_) return;
  RefreshDial(parts_.dial, elapsed, hand);
  presentDial(elapsed);
  if (wanted) wanted->generation = parts_.dial.generation();
  composedDial_ = wanted;
}

// The canvas holds the new screen's pictures now; the dial is drawn from the
// stopwatch's state as a full refresh draws it, rather than enlarged or shrunk.
void StopwatchForm::ScreenChanged() {
  PlacementChanged();
  composedDial_.reset();
  std::int32_t shown = state_.stopwatch.AccumulatedTime;
  EndSilentlyOnFault([&] {
    shown = state_.stopwatch.Elapsed(services_.ticks.timeGetTime());
    RefreshDial(parts_.dial, shown, handSettings());
  });
  presentDial(shown);
}

HandSettings StopwatchForm::handSettings() const {
  const TwipsRect& dial = rects_[Index(Control::imgWatch)];
  return HandSettings{state_.options.AnalogScale, state_.HandColor, dial.width, dial.height};
}

// ---- Display modes --------------------------------------------------------------------------

void StopwatchForm::SetDisplayMode(std::int32_t mode) {
  const auto displayMode = DisplayModeFromNumber(mode);
  if (!displayMode) return;
  parts_.captions.setWindowCaption(WindowCaption(*displayMode));
  for (const DisplayModeInfo& info : DisplayModes()) setMark(MenuItemOf(info.mode), info.mode == *displayMode);
  state_.options.LapType = mode;
}

void StopwatchForm::RenderLapList(DisplayMode mode) {
  Guarded(InfoOf(mode).rendererError, [this, mode] {
    SetDisplayMode(static_cast<std::int32_t>(mode));
    const auto& records = state_.stopwatch.LapTimes;
    if (records.empty()) return;
    // Lines already shown in this mode stay as they are; only new records are formatted.
    std::size_t first = 0;
    if (renderedMode_ == mode && renderedLines_ <= records.size()) {
      first = renderedLines_;
    } else {
      parts_.lapList.clearLines();
    }
    renderedMode_.reset();
    std::vector<std::u16string> lines;
    lines.reserve(records.size() - first);
    for (std::size_t i = first; i < records.size(); ++i) lines.push_back(LapLine(mode, records[i], numbers_));
    parts_.lapList.addLines(std::move(lines));
    renderedMode_ = mode;
    renderedLines_ = records.size();
    parts_.lapList.selectNewestLine();
  });
}

void StopwatchForm::RenderCurrentMode() {
  if (const auto mode = DisplayModeFromNumber(state_.options.LapType)) RenderLapList(*mode);
}

// ---- Dial options ---------------------------------------------------------------------------

void StopwatchForm::SetDialScale(std::int32_t scale) {
  setOption(scale, {{MenuItem::mnu6Sec, 1}, {MenuItem::mnu10Sec, 2}, {MenuItem::mnu30Sec, 3}},
            state_.options.AnalogScale);
}

void StopwatchForm::mnuShowAnalogWatchClick() {
  Guarded(ErrorCode::ShowAnalogWatch, [this] {
    setMark(MenuItem::mnuShowAnalogWatch, !checked(MenuItem::mnuShowAnalogWatch));
    if (checked(MenuItem::mnuShowAnalogWatch)) {
      DrawDialHand(parts_.dial, state_.stopwatch.AccumulatedTime, handSettings());
      presentDial(state_.stopwatch.AccumulatedTime);
      parts_.controls.setVisible(Control::imgWatch, true);
      state_.options.ShowAnalog = 1;
    } else {
      parts_.controls.setVisible(Control::imgWatch, false);
      state_.options.ShowAnalog = 0;
    }
    ArrangeControls();
  });
}

void StopwatchForm::mnuShowDigitalWatchClick() {
  Guarded(ErrorCode::ShowDigitalWatch, [this] {
    setMark(MenuItem::mnuShowDigitalWatch, !checked(MenuItem::mnuShowDigitalWatch));
    const bool shown = checked(MenuItem::mnuShowDigitalWatch);
    parts_.controls.setVisible(Control::lblTime, shown);
    state_.options.ShowDigital = shown ? 1 : 0;
    ArrangeControls();
  });
}

// ---- Layout and stacking --------------------------------------------------------------------

void StopwatchForm::ArrangeControls() {
  Guarded(ErrorCode::ArrangeControls, [this] {
    const auto& o = state_.options;
    if (const auto tops = StackingFor(o.Showbutton, o.ShowDigital, o.ShowAnalog)) {
      rects_[Index(Control::imgWatch)].top = tops->imgWatch;
      rects_[Index(Control::lblTime)].top = tops->lblTime;
      rects_[Index(Control::cmdStart)].top = tops->buttons;
      rects_[Index(Control::cmdLap)].top = tops->buttons;
      rects_[Index(Control::lstLap)].top = tops->lstLap;
      for (const Control control : {Control::cmdLap, Control::lstLap, Control::cmdStart, Control::imgWatch,
                                    Control::lblTime}) {
        place(control);
      }
    }
    FormResize();
  });
}

void StopwatchForm::FormResize() {
  Guarded(ErrorCode::Resize, [this] {
    TwipsRect& list = rects_[Index(Control::lstLap)];
    list.height = LapListHeight(parts_.controls.clientHeightTwips(), list.top);
    place(Control::lstLap);
  });
}

void StopwatchForm::mnuShowButtonClick() {
  setMark(MenuItem::mnuShowButton, !checked(MenuItem::mnuShowButton));
  const bool shown = checked(MenuItem::mnuShowButton);
  parts_.controls.setVisible(Control::cmdStart, shown);
  parts_.controls.setVisible(Control::cmdLap, shown);
  state_.options.Showbutton = shown ? 1 : 0;
  ArrangeControls();
}

void StopwatchForm::SetWindowFront(std::int32_t mode) {
  setOption(mode, {{MenuItem::mnuWindowApearanceNormal, 0}, {MenuItem::mnuWindowApearanceFront, 1}},
            state_.options.WindowForceFront);
}

// The window keeps its place and size: only its stacking band changes.
void StopwatchForm::mnuWindowApearanceFrontClick() {
  SetWindowFront(1);
  services_.stacking.setAlwaysOnTop(true);
}

void StopwatchForm::mnuWindowApearanceNormalClick() {
  SetWindowFront(0);
  services_.stacking.setAlwaysOnTop(false);
}

// ---- Behaviour and sound options ------------------------------------------------------------

void StopwatchForm::SetBehaviorMode(std::int32_t mode) {
  setOption(mode, {{MenuItem::mnuBehaviorNormal, 0}, {MenuItem::mnuBehaviorLap, 1}}, state_.options.BehaviorMode);
}

void StopwatchForm::SetSoundMode(std::int32_t mode) {
  setOption(mode, {{MenuItem::mnuSoundOff, 0}, {MenuItem::mnuSoundOn, 1}}, state_.options.PlaySound);
}

void StopwatchForm::MenuClick(MenuItem item) {
  EndSilentlyOnFault([this, item] {
    switch (item) {
      case MenuItem::mnuBehaviorNormal: mnuBehaviorNormalClick(); break;
      case MenuItem::mnuBehaviorLap: mnuBehaviorLapClick(); break;
      case MenuItem::mnuSoundOn: mnuSoundOnClick(); break;
      case MenuItem::mnuSoundOff: mnuSoundOffClick(); break;
      case MenuItem::mnuShowButton: mnuShowButtonClick(); break;
      case MenuItem::mnuShowDigitalWatch: mnuShowDigitalWatchClick(); break;
      case MenuItem::mnuShowAnalogWatch: mnuShowAnalogWatchClick(); break;
      case MenuItem::mnuShowSec: mnuShowSecClick(); break;
      case MenuItem::mnuShowHMS: mnuShowHMSClick(); break;
      case MenuItem::mnuShowFrame24: mnuShowFrame24Click(); break;
      case MenuItem::mnuShowSSK: mnuShowSSKClick(); break;
      case MenuItem::mnu6Sec: mnu6SecClick(); break;
      case MenuItem::mnu10Sec: mnu10SecClick(); break;
      case MenuItem::mnu30Sec: mnu30SecClick(); break;
      case MenuItem::mnuWindowApearanceNormal: mnuWindowApearanceNormalClick(); break;
      case MenuItem::mnuWindowApearanceFront: mnuWindowApearanceFrontClick(); break;
    }
  });
}

// ---- Mouse input ----------------------------------------------------------------------------

InputState StopwatchForm::inputState() const {
  return InputState{state_.options.BehaviorMode, state_.stopwatch.IsRunning, checked(MenuItem::mnuShowButton)};
}

void StopwatchForm::runCommand(Command command, InputTime inputTime) {
  switch (command) {
    case Command::StartClick: cmdStartClick(inputTime); break;
    case Command::LapClick: cmdLapClick(inputTime); break;
    case Command::ShowButtonClick: mnuShowButtonClick(); break;
  }
}

void StopwatchForm::HandlePress(PressTarget target, MouseButton button, InputTime inputTime) {
  EndSilentlyOnFault([&] {
    for (const Command command : CommandsForPress(target, button, inputState())) runCommand(command, inputTime);
  });
}

void StopwatchForm::HandleDoubleClick(PressTarget target, MouseButton button, InputTime inputTime) {
  if (button != MouseButton::Left) {
    HandlePress(target, button, inputTime);
    return;
  }
  EndSilentlyOnFault([&] {
    for (const Command command : CommandsForDoubleClick(inputState())) runCommand(command, inputTime);
  });
}

// ---- Start-up and shut-down -----------------------------------------------------------------

void StopwatchForm::Load() {
  Guarded(ErrorCode::Load, [this] {
    auto& o = state_.options;
    parts_.captions.setWindowCaption(kBaseWindowCaption);
    parts_.captions.setTimeText(FormatSeconds(0, numbers_));
    state_.stopwatch = Stopwatch{};
    LoadSettings(o, services_.programDirectory);
    SetDisplayMode(o.LapType);
    SetDialScale(o.AnalogScale);
    SetWindowFront(o.WindowForceFront);
    if (o.WindowForceFront == 1) services_.stacking.setAlwaysOnTop(true);
    ReadTickSound();
    const TwipsPerPixel tpp = parts_.controls.twipsPerPixel();
    TwipsRect& dial = rects_[Index(Control::imgWatch)];
    dial.width = static_cast<float>(kDialFaceSize * tpp.x);
    dial.height = static_cast<float>(kDialFaceSize * tpp.y);
    place(Control::imgWatch);
    state_.HandColor = HandColorFromText(o.AnalogColor.value_or(std::string{}));
    for (std::int32_t n = 1; n <= 6; ++n) DrawDialNumber(parts_.dial, n);
    if (o.BehaviorMode == 0) {
      mnuBehaviorNormalClick();
    } else {
      mnuBehaviorLapClick();
    }
    if (o.PlaySound == 1) {
      mnuSoundOnClick();
    } else {
      mnuSoundOffClick();
    }
    if (o.Showbutton == 0) mnuShowButtonClick();
    if (o.ShowDigital == 0) mnuShowDigitalWatchClick();
    if (o.ShowAnalog == 1) {
      DrawDialHand(parts_.dial, 0, handSettings());
    } else {
      mnuShowAnalogWatchClick();
    }
    presentDial(0);
    ArrangeControls();
  });
}

// A missing or empty tick.wav is reported, and start-up goes on without a sound.
// Anything but a regular file (a pipe, a device) counts as missing: reading it
// could block start-up or never end.
void StopwatchForm::ReadTickSound() {
  auto bytes = ReadRegularFile(ProgramFilePath(services_.programDirectory, "tick.wav"));
  if (!bytes || bytes->empty()) {
    ReportFailure(ErrorCode::Load);
    return;
  }
  state_.TickSound = std::move(*bytes);
}

void StopwatchForm::Unload() {
  if (std::exchange(unloaded_, true)) return;
  parts_.timer.stopTimer();
  // Closing while running also lets go of the pointer.
  releasePointer();
  Guarded(ErrorCode::Unload, [this] {
    services_.sound.stop();
    SaveSettings(state_.options, services_.programDirectory);
  });
}

}  // namespace tovira
