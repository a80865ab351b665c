#pragma once
// Always-on-top on X11 for one window, through the window manager's _NET_WM_STATE_ABOVE.
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

#include "engine/services.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <optional>

namespace tovira {

class X11WindowStacking final : public QObject, public TopmostStacking {
 public:
  X11WindowStacking() = default;
  X11WindowStacking(const X11WindowStacking&) = delete;
  X11WindowStacking& operator=(const X11WindowStacking&) = delete;

  // The top-level window it stacks from now on; until then it asks for nothing.
  void setWindow(QWidget& window) { window_ = &window; }
  void setAlwaysOnTop(bool onTop) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void windowShown(bool spontaneous);
  void windowExposed(QObject* nativeWindow);

  QPointer<QWidget> window_;
  std::optional<bool> onTop_;  // none until first asked, and the window is watched from then on
  bool awaitingMap_ = false;   // shown, but the window manager may not have it yet
};

}  // namespace tovira
