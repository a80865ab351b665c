#pragma once
// Stand-ins for the operating system services, for tests of the Qt window.

#include "platform/window_stacking.h"
#include "support/fake_services.h"

#include <QRect>

#include <vector>

namespace tovira::testing {

template <>
inline QRect RectAs<QRect>(const PixelRect& rect) {
  return QRect(rect.left, rect.top, rect.width, rect.height);
}

class FakeWindowStacking final : public WindowStacking {
 public:
  void setAlwaysOnTop(QWidget&, bool on) override { requests.push_back(on); }
  std::vector<bool> requests;
};

struct FakePlatform {
  FakeTickCounter ticks;
  FakeSoundPlayer sound;
  // Compared with the window's geometry, as Qt has rectangles.
  RecordingCursorConfinement<QRect> cursor;
  FakeWindowStacking stacking;
};

}  // namespace tovira::testing
