#pragma once
// Rectangles of the X11 checks, written as Qt writes them.

#include "common/geometry.h"

#include <QRect>

namespace tovira {

inline PixelRect Pixels(const QRect& rect) { return {rect.x(), rect.y(), rect.width(), rect.height()}; }

}  // namespace tovira
