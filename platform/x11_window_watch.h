#pragma once
// What the X server tells of the program's window through property changes, read
// from Qt's own event stream.
//
// X11ServerClockCheck: whether the server stamps input with this machine's
// CLOCK_MONOTONIC, as a local server does. The window asks for a change of a
// property of its own; the server stamps the change's notice with its clock,
// which must lie between the asking and the notice's arrival on ours. A remote
// server's clock, unrelated to ours, would have to fall into those few
// milliseconds of 49 days. The answer comes once, a round trip after asking.
//
// X11HiddenMark: whether the window manager marks the window hidden
// (_NET_WM_STATE_HIDDEN): minimised, even where the window stays mapped, as
// compositing window managers keep windows for their thumbnails.

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>

#include <cstdint>
#include <functional>

class QWindow;

namespace tovira {

class X11PropertyWatch : public QAbstractNativeEventFilter {
 public:
  X11PropertyWatch(const X11PropertyWatch&) = delete;
  X11PropertyWatch& operator=(const X11PropertyWatch&) = delete;
  ~X11PropertyWatch() override;

  // Starts watching the window's property of that name; false without an X11
  // connection or a native window.
  bool watch(const QWindow& window, const char* property);

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 protected:
  X11PropertyWatch() = default;
  virtual void propertyChanged(const xcb_property_notify_event_t& event) = 0;

  xcb_connection_t* connection_ = nullptr;
  xcb_window_t window_ = XCB_WINDOW_NONE;
  xcb_atom_t property_ = XCB_ATOM_NONE;
};

class X11ServerClockCheck final : public X11PropertyWatch {
 public:
  // answer(local) is called once, when the server's stamp has been seen.
  explicit X11ServerClockCheck(std::function<void(bool local)> answer) : answer_(std::move(answer)) {}
  // Asks the server for a stamped change of a property of the shown window.
  void ask(const QWindow& window);

 private:
  void propertyChanged(const xcb_property_notify_event_t& event) override;

  std::function<void(bool)> answer_;
  std::uint32_t askedAt_ = 0;
  bool answered_ = false;
};

class X11HiddenMark final : public X11PropertyWatch {
 public:
  // changed(hidden) is called whenever the mark comes or goes.
  explicit X11HiddenMark(std::function<void(bool hidden)> changed) : changed_(std::move(changed)) {}
  void watch(const QWindow& window);

 private:
  void propertyChanged(const xcb_property_notify_event_t& event) override;
  void read();

  std::function<void(bool)> changed_;
  xcb_atom_t hiddenState_ = XCB_ATOM_NONE;
  bool hidden_ = false;
};

}  // namespace tovira
