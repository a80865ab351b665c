#pragma once
// Holds the mouse pointer inside a rectangle of the screen.

#include <QRect>

namespace tovira {

class CursorConfinement {
 public:
  virtual ~CursorConfinement() = default;
  // Confines the pointer to the rectangle, in screen pixels (left, top, right, bottom
  // as computed by the stopwatch; right and bottom exclusive).
  virtual void confine(const QRect& screenPixels) = 0;
  // Ends any confinement.
  virtual void release() = 0;
};

}  // namespace tovira
