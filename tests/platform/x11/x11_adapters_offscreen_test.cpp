// Without an X11 connection the adapters must do nothing, whatever they are asked.
#include "platform/x11_cursor_confinement.h"
#include "pixel_rect.h"
#include "platform/x11_window_stacking.h"

#include <QWidget>

#include <gtest/gtest.h>

namespace tovira {
namespace {

TEST(X11AdaptersWithoutX11, ConfinementDoesNothing) {
  X11CursorConfinement confinement;
  confinement.release();
  confinement.confine(Pixels(QRect(10, 10, 200, 100)));
  confinement.confine(Pixels(QRect(0, 0, 0, 0)));
  confinement.release();
  confinement.release();
}

TEST(X11AdaptersWithoutX11, StackingDoesNothing) {
  X11WindowStacking stacking;
  stacking.setAlwaysOnTop(true);  // no window yet
  QWidget window;
  stacking.setWindow(window);
  stacking.setAlwaysOnTop(true);
  window.show();
  stacking.setAlwaysOnTop(false);
  window.hide();
  window.show();
  EXPECT_TRUE(window.isVisible());
}

}  // namespace
}  // namespace tovira
