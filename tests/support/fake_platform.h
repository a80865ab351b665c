#pragma once
// Stand-ins for the operating system services, for tests of the Qt window.

#include "support/fake_services.h"

#include <QRect>

#include <vector>

namespace tovira::testing {

template <>
inline QRect RectAs<QRect>(const PixelRect& rect) {
  return QRect(rect.left, rect.top, rect.width, rect.height);
}

struct FakePlatform {
  FakeTickCounter ticks;
  FakeSoundPlayer sound;
  // Compared with the window's geometry, as Qt has rectangles.
  RecordingCursorConfinement<QRect> cursor;
  FakeTopmostStacking stacking;
};

}  // namespace tovira::testing
