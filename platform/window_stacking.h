#pragma once
// Puts a top-level window into or out of the always-on-top band without
// activating it, moving it or resizing it.

class QWidget;

namespace tovira {

class WindowStacking {
 public:
  virtual ~WindowStacking() = default;
  virtual void setAlwaysOnTop(QWidget& window, bool onTop) = 0;
};

}  // namespace tovira
