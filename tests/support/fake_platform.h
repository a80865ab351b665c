#pragma once
// Stand-ins for the operating system services, for tests of the Qt window.

#include "platform/window_stacking.h"
#include "support/fake_services.h"

#include <QRect>

#include <optional>
#include <string>
#include <vector>

namespace tovira::testing {

// Records the rectangle as Qt has rectangles, to compare with the window's geometry.
class FakeScreenCursorConfinement final : public CursorConfinement {
 public:
  void confine(const PixelRect& rect) override {
    confinedTo = QRect(rect.left, rect.top, rect.width, rect.height);
    calls.push_back("confine");
  }
  void release() override {
    confinedTo.reset();
    calls.push_back("release");
  }
  std::optional<QRect> confinedTo;
  std::vector<std::string> calls;
};

class FakeWindowStacking final : public WindowStacking {
 public:
  void setAlwaysOnTop(QWidget&, bool on) override { requests.push_back(on); }
  std::vector<bool> requests;
};

struct FakePlatform {
  FakeTickCounter ticks;
  FakeSoundPlayer sound;
  FakeScreenCursorConfinement cursor;
  FakeWindowStacking stacking;
};

}  // namespace tovira::testing
