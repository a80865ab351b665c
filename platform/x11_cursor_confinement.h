#pragma once
// Cursor confinement on X11: an active pointer grab confined to a helper window
// of our own that covers exactly the rectangle.
//
// A grab is used rather than pointer barriers because barriers stop only
// relative motion; a tablet's absolute motion would pass them. The helper is an
// InputOnly override-redirect window with an empty input shape, so it never
// takes a click from the windows under it, and owner events stay on, so our own
// widgets keep receiving the pointer as usual.
//
// Other grabs take the pointer from us at times (Qt's implicit grab while a
// button is held, Qt's popup menus, other clients). The grab is retried shortly
// when it is refused and re-taken when a popup closes, a button is released or
// the application becomes active again, for as long as the confinement lasts.
//
// Without an X11 connection (e.g. the offscreen platform) both operations do nothing.

#include "engine/services.h"

#include <QObject>
#include <QRect>
#include <QTimer>

#include <chrono>
#include <cstdint>

namespace tovira {

class X11CursorConfinement final : public QObject, public CursorConfinement {
 public:
  X11CursorConfinement();
  ~X11CursorConfinement() override;
  X11CursorConfinement(const X11CursorConfinement&) = delete;
  X11CursorConfinement& operator=(const X11CursorConfinement&) = delete;

  // The rectangle covers the pixels x() .. x() + width() - 1 and
  // y() .. y() + height() - 1; only its part on the screen counts. A rectangle
  // with no pixel on the screen confines nothing.
  void confine(const PixelRect& screenPixels) override;
  void release() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  using WindowId = std::uint32_t;

  void scheduleGrab(std::chrono::milliseconds delay);
  void retryGrab();
  bool tryGrab();
  void destroyHelper();

  WindowId helper_ = 0;  // 0 while not confined
  QTimer retryTimer_;
  int attemptsLeft_ = 0;
};

}  // namespace tovira
