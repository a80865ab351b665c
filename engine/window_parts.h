#pragma once
// The window as the stopwatch drives it: small interfaces, each named for what it
// does, that every front end implements over its own controls, menus and timer.

#include "common/geometry.h"
#include "common/twips.h"
#include "dial/dial_canvas.h"
#include "engine/menu_table.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tovira {

// The window's controls, in their creation order.
enum class Control { imgNumber, cmdLap, lstLap, cmdStart, imgWatch, lblTime };

// The captions of the push buttons, the time label's text and the window's caption.
class Captions {
 public:
  virtual ~Captions() = default;
  virtual void setWindowCaption(std::u16string_view text) = 0;
  virtual void setButtonCaptions(std::u16string_view start, std::u16string_view lap) = 0;
  virtual void setTimeText(std::u16string_view text) = 0;
};

// The lines of the lap list, which are only ever cleared or added at the end.
class LapListLines {
 public:
  virtual ~LapListLines() = default;
  virtual void clearLines() = 0;
  virtual void addLines(std::vector<std::u16string> lines) = 0;
  // Selects the last line and scrolls it into view.
  virtual void selectNewestLine() = 0;
};

// The check marks of the menu items.
class MenuMarks {
 public:
  virtual ~MenuMarks() = default;
  virtual void setChecked(MenuItem item, bool checked) = 0;
};

// Where the controls stand and whether they show, in twips of the screen the
// window is on.
class ControlLayout {
 public:
  virtual ~ControlLayout() = default;
  virtual void setVisible(Control control, bool visible) = 0;
  virtual void place(Control control, const TwipsRect& rect) = 0;
  virtual TwipsPerPixel twipsPerPixel() const = 0;
  // The height of the area below the menu bar that the controls share.
  virtual double clientHeightTwips() const = 0;
  // That area in the screen's own pixels, where the pointer is held while running.
  virtual PixelRect clientAreaOnScreen() const = 0;
};

// The timer of the periodic refresh: one event after each start.
class RefreshTimer {
 public:
  virtual ~RefreshTimer() = default;
  virtual void startTimer(int delayMs) = 0;
  virtual void stopTimer() = 0;
  virtual bool timerActive() const = 0;
  // The refresh rate of the screen the window is on; 0 when it does not say.
  virtual double screenHertz() const = 0;
  // Whether the window shows on a screen: not minimised, not on another
  // workspace, not unmapped.
  virtual bool shownOnScreen() const = 0;
};

// The dial on screen: what the canvas painted must be shown.
class DialDisplay {
 public:
  virtual ~DialDisplay() = default;
  // Repaints the changed area of the canvas; the hand now shows handTime ms.
  virtual void showDial(const PixelRect& changed, std::int32_t handTime) = 0;
};

// Every part of the window the stopwatch drives.
struct WindowParts {
  Captions& captions;
  LapListLines& lapList;
  MenuMarks& menus;
  ControlLayout& controls;
  RefreshTimer& timer;
  DialCanvas& dial;
  DialDisplay& dialDisplay;
};

}  // namespace tovira
