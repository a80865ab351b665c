#pragma once
// The one window of the program on Windows: standard controls (two owner-drawn
// BUTTONs, a STATIC label, a LISTBOX, two owner-drawn STATIC pictures) and a real
// menu bar, so that Windows' accessibility and automation read them as they read
// any program. The stopwatch itself is the toolkit-free StopwatchForm; this window
// implements the parts of a window it drives and forwards every message to it.

#include "display/accessible_names.h"
#include "engine/stopwatch_form.h"
#include "platform/win32_services.h"
#include "windows/gdi_dial_canvas.h"
#include "windows/named_accessible.h"
#include "windows/win32_handle.h"
#include "windows/window_look.h"

#include <windows.h>

#include <array>
#include <memory>
#include <optional>
#include <string>

namespace tovira::win32 {

// The machine's services on Windows, for the window's whole life, and the failure
// boxes, from before the window until after it.
struct Win32Machine {
  MessageBoxReporter failures;
  WinmmTickCounter ticks;
  PlaySoundPlayer sound;
  ClipCursorConfinement cursor;
  WindowPosStacking stacking;
  UserNumberFormat numbers;
};

// While the stopwatch runs the system's timers tick every millisecond, so that the
// refresh keeps the screen's pace instead of the default tick of about 15.6 ms.
class FineTimerResolution {
 public:
  FineTimerResolution();
  ~FineTimerResolution();
  FineTimerResolution(const FineTimerResolution&) = delete;
  FineTimerResolution& operator=(const FineTimerResolution&) = delete;
};

class StopwatchWindow final : Captions, LapListLines, MenuMarks, ControlLayout, RefreshTimer, DialDisplay {
 public:
  // The window with its controls and menus as defined, hidden, centred on the
  // primary monitor.
  StopwatchWindow(HINSTANCE instance, Win32Machine& machine, std::string programDirectory);
  ~StopwatchWindow() override;
  StopwatchWindow(const StopwatchWindow&) = delete;
  StopwatchWindow& operator=(const StopwatchWindow&) = delete;

  // Start-up, then the window is shown as the program was asked to show it.
  void LoadAndShow(int showCommand);
  // None once the window is closed.
  HWND handle() const { return window_.get(); }

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
  bool timerActive() const override { return timerActive_; }
  double screenHertz() const override;
  bool shownOnScreen() const override;
  void showDial(const PixelRect& changed, std::int32_t handTime) override;

  // Messages.
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept;
  static LRESULT CALLBACK ControlProcedure(HWND control, UINT message, WPARAM wparam, LPARAM lparam) noexcept;
  LRESULT onMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT onControlMessage(HWND control, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT onButtonMessage(HWND button, UINT message, WPARAM wparam, LPARAM lparam);
  // The control's own handling of a message.
  LRESULT controlDefault(HWND control, UINT message, WPARAM wparam, LPARAM lparam) const;
  void onCommand(WPARAM wparam, LPARAM lparam);
  void onDrawItem(const DRAWITEMSTRUCT& item);
  void onTimer();
  void onActivate(WPARAM wparam);
  void onDpiChanged(unsigned dpi, const RECT& suggested);
  void forwardMouse(PressTarget target, UINT message);
  void selectLineAt(LPARAM point);
  void close();

  void createControls();
  void applyFonts();
  void chooseLapStandIns();
  void applyIcons();
  void drawButton(const DRAWITEMSTRUCT& item, Control button) const;
  void drawPicture(const DRAWITEMSTRUCT& item, const DibPicture& picture, Control control) const;
  void drawLapLine(const DRAWITEMSTRUCT& item) const;
  int lapLineHeight() const;
  void followColorScheme();
  HWND controlOf(Control control) const { return controls_[static_cast<std::size_t>(control)]; }
  std::optional<PressTarget> pressTargetOf(HWND control) const;
  // The name screen readers read for the control in place of the system's, if any.
  const std::shared_ptr<const AccessibleName>* accessibleNameOf(HWND control) const;
  bool isButton(HWND control) const {
    return control == controlOf(Control::cmdStart) || control == controlOf(Control::cmdLap);
  }
  // Twips of the monitor the window is on, for its own geometry.
  TwipsPerPixel monitorTwipsPerPixel() const { return TwipsPerPixel::FromLogicalDpi(dpi_, dpi_); }
  SIZE frameSize(double clientHeightTwips) const;

  HINSTANCE instance_;
  Win32Machine& machine_;
  unsigned dpi_ = USER_DEFAULT_SCREEN_DPI;
  // Whether messages reach the stopwatch: from the controls' creation until close.
  bool ready_ = false;
  ColorScheme colorScheme_ = SystemColorScheme();
  UniqueFont buttonFont_, labelFont_, listFont_;
  // Separators the list's font cannot draw one cell wide, and what it shows instead.
  CharacterStandIns lapStandIns_;
  UniqueIcon bigIcon_, smallIcon_;
  GdiDialCanvas canvas_;
  std::array<HWND, 6> controls_{};
  std::array<WNDPROC, 6> controlProcedures_{};  // each control's own
  // The time the dial's hand shows, and what screen readers call the dial and the list.
  std::int32_t handTime_ = 0;
  std::shared_ptr<const AccessibleName> dialName_ = std::make_shared<const AccessibleName>(
      [this] { return DialAccessibleName(handTime_, machine_.numbers.numberSymbols()); });
  std::shared_ptr<const AccessibleName> lapListName_ =
      std::make_shared<const AccessibleName>([] { return std::u16string(kLapListAccessibleName); });
  HWND focusWhileInactive_ = nullptr;
  bool timerActive_ = false;
  // The time of the input a push button is handling, which may click it; none
  // while a program clicks it.
  std::optional<std::uint32_t> buttonInputTime_;
  bool clickByProgram_ = false;
  std::optional<FineTimerResolution> fineTimers_;
  // Owns the window until the system destroys it; everything above outlives it.
  UniqueWindow window_;
  // Declared last: it drives everything above from its first call on.
  StopwatchForm form_;
};

// Runs the window's messages until it is closed; the program's exit status.
int RunMessageLoop(const StopwatchWindow& window);

}  // namespace tovira::win32
