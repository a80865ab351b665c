#include "platform/x11_cursor_confinement.h"

#include "platform/x11_connection.h"

#include <xcb/shape.h>

#include <QEvent>
#include <QGuiApplication>
#include <QWindow>

#include <chrono>

namespace tovira {

namespace {

using namespace std::chrono_literals;

// A refused grab is tried again this often, for about a second, which covers a
// button still held from the click that asked for the confinement.
constexpr auto kRetryInterval = 50ms;
constexpr int kAttempts = 20;

QRect RootArea(xcb_connection_t* connection, xcb_window_t root) {
  const x11::Reply<xcb_get_geometry_reply_t> geometry(
      xcb_get_geometry_reply(connection, xcb_get_geometry(connection, root), nullptr));
  return geometry ? QRect(0, 0, geometry->width, geometry->height) : QRect();
}

// An invisible window over the area that takes no input: it exists only to
// confine the grab. Kept at the bottom of the stack and given an empty input
// shape, so clicks always reach the windows above the area.
xcb_window_t CreateHelper(xcb_connection_t* connection, xcb_window_t root, const QRect& area) {
  const xcb_window_t helper = xcb_generate_id(connection);
  const std::uint32_t overrideRedirect = 1;
  xcb_create_window(connection, XCB_COPY_FROM_PARENT, helper, root, static_cast<std::int16_t>(area.x()),
                    static_cast<std::int16_t>(area.y()), static_cast<std::uint16_t>(area.width()),
                    static_cast<std::uint16_t>(area.height()), 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                    XCB_COPY_FROM_PARENT, XCB_CW_OVERRIDE_REDIRECT, &overrideRedirect);
  const std::uint32_t stackBelow = XCB_STACK_MODE_BELOW;
  xcb_configure_window(connection, helper, XCB_CONFIG_WINDOW_STACK_MODE, &stackBelow);
  const auto* shape = xcb_get_extension_data(connection, &xcb_shape_id);
  if (shape != nullptr && shape->present) {
    xcb_shape_rectangles(connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED, helper, 0, 0,
                         0, nullptr);
  }
  xcb_map_window(connection, helper);
  return helper;
}

}  // namespace

X11CursorConfinement::X11CursorConfinement() {
  retryTimer_.setSingleShot(true);
  connect(&retryTimer_, &QTimer::timeout, this, &X11CursorConfinement::retryGrab);
}

X11CursorConfinement::~X11CursorConfinement() { release(); }

void X11CursorConfinement::confine(const PixelRect& screenPixels) {
  release();
  auto* connection = x11::QtConnection();
  if (connection == nullptr) {
    return;
  }
  const xcb_window_t root = x11::RootWindow(connection);
  // Clipping to the screen also keeps the helper's geometry within what X can express.
  const QRect area = QRect(screenPixels.left, screenPixels.top, screenPixels.width, screenPixels.height)
                         .intersected(RootArea(connection, root));
  if (area.isEmpty()) {
    return;
  }
  helper_ = CreateHelper(connection, root, area);
  qApp->installEventFilter(this);
  if (!tryGrab()) {
    scheduleGrab(kRetryInterval);
  }
}

void X11CursorConfinement::release() {
  retryTimer_.stop();
  if (helper_ == 0) {
    return;
  }
  if (qApp != nullptr) {
    qApp->removeEventFilter(this);
  }
  // Destroying the confining window ends our grab with it, and leaves alone a
  // grab that a popup may hold at this moment.
  if (auto* connection = x11::QtConnection()) {
    xcb_destroy_window(connection, helper_);
    xcb_flush(connection);
  }
  helper_ = 0;
}

bool X11CursorConfinement::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Hide:
    case QEvent::Show:
      // A popup gives the pointer back when it closes; a window whose native
      // window was recreated comes back with a Show.
      if (qobject_cast<QWindow*>(watched) != nullptr) {
        scheduleGrab(0ms);
      }
      break;
    case QEvent::MouseButtonRelease:  // Qt's implicit grab of a held button is over
    case QEvent::ApplicationStateChange:
    case QEvent::WindowActivate:
      scheduleGrab(0ms);
      break;
    default:
      break;
  }
  return false;
}

void X11CursorConfinement::scheduleGrab(std::chrono::milliseconds delay) {
  attemptsLeft_ = kAttempts;
  retryTimer_.start(delay);
}

void X11CursorConfinement::retryGrab() {
  if (tryGrab() || --attemptsLeft_ <= 0) {
    return;
  }
  retryTimer_.start(kRetryInterval);
}

bool X11CursorConfinement::tryGrab() {
  auto* connection = x11::QtConnection();
  if (connection == nullptr || helper_ == 0) {
    return false;
  }
  // Owner events on: pointer events for our own windows are delivered to them
  // as usual; the grab only keeps the pointer inside the helper's area.
  const auto cookie = xcb_grab_pointer(connection, 1, helper_, 0, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, helper_,
                                       XCB_NONE, XCB_CURRENT_TIME);
  const x11::Reply<xcb_grab_pointer_reply_t> reply(xcb_grab_pointer_reply(connection, cookie, nullptr));
  return reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
}

}  // namespace tovira
