#pragma once
// Always-on-top on X11 through the window manager's _NET_WM_STATE_ABOVE.
//
// A shown window gets the _NET_WM_STATE client message, which leaves it where
// it is, as large as it is, and not activated. A window not shown gets the
// state written into its _NET_WM_STATE property, which the window manager
// reads when the window is mapped. The requested state is remembered and
// given again whenever the window is shown anew, since a window manager drops
// the state of a window that is hidden.
//
// Qt::WindowStaysOnTopHint is not used: changing it recreates the native
// window and activates it.
//
// Without an X11 connection (e.g. the offscreen platform) nothing happens.

#include "platform/window_stacking.h"

#include <QHash>
#include <QObject>

namespace tovira {

class X11WindowStacking final : public QObject, public WindowStacking {
 public:
  X11WindowStacking() = default;
  X11WindowStacking(const X11WindowStacking&) = delete;
  X11WindowStacking& operator=(const X11WindowStacking&) = delete;

  void setAlwaysOnTop(QWidget& window, bool onTop) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Request {
    bool onTop = false;
    bool awaitingMap = false;  // shown, but the window manager may not have it yet
  };

  void track(QWidget& window);
  void windowShown(QWidget& window, Request& request, bool spontaneous);
  void windowExposed(QObject* nativeWindow);

  QHash<const QObject*, Request> requests_;  // by top-level widget
};

}  // namespace tovira
