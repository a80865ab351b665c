#include "platform/x11_window_stacking.h"

#include "platform/x11_connection.h"

#include <QEvent>
#include <QWindow>

#include <algorithm>
#include <vector>

namespace tovira {

namespace {

// _NET_WM_STATE actions, and the source indication of an ordinary application.
constexpr std::uint32_t kStateRemove = 0;
constexpr std::uint32_t kStateAdd = 1;
constexpr std::uint32_t kSourceApplication = 1;

// Asks the window manager to change the state of a mapped window.
void SendAboveState(xcb_connection_t* connection, xcb_window_t window, bool onTop) {
  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = window;
  message.type = x11::Atom(connection, "_NET_WM_STATE");
  message.data.data32[0] = onTop ? kStateAdd : kStateRemove;
  message.data.data32[1] = x11::Atom(connection, "_NET_WM_STATE_ABOVE");
  message.data.data32[2] = 0;
  message.data.data32[3] = kSourceApplication;
  xcb_send_event(connection, 0, x11::RootWindow(connection),
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&message));
  xcb_flush(connection);
}

// Sets the state on a window that is not mapped, keeping its other states.
void WriteAboveState(xcb_connection_t* connection, xcb_window_t window, bool onTop) {
  const xcb_atom_t state = x11::Atom(connection, "_NET_WM_STATE");
  const xcb_atom_t above = x11::Atom(connection, "_NET_WM_STATE_ABOVE");
  std::vector<xcb_atom_t> atoms = x11::AtomList(connection, window, state);
  std::erase(atoms, above);
  if (onTop) {
    atoms.push_back(above);
  }
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, state, XCB_ATOM_ATOM, 32,
                      static_cast<std::uint32_t>(atoms.size()), atoms.data());
  xcb_flush(connection);
}

}  // namespace

void X11WindowStacking::setAlwaysOnTop(bool onTop) {
  auto* connection = x11::QtConnection();
  if (connection == nullptr || window_ == nullptr) {
    return;
  }
  if (!onTop_) {
    window_->installEventFilter(this);
  }
  onTop_ = onTop;
  const auto id = static_cast<xcb_window_t>(window_->internalWinId());
  if (id == 0) {
    return;  // no native window yet: the state is written when it is shown
  }
  if (window_->isVisible()) {
    SendAboveState(connection, id, onTop);
  } else {
    WriteAboveState(connection, id, onTop);
  }
}

bool X11WindowStacking::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Show && watched == window_) {
    windowShown(event->spontaneous());
  } else if (event->type() == QEvent::Expose) {
    windowExposed(watched);
  }
  return false;
}

// A widget's Show arrives just before its native window is mapped.
void X11WindowStacking::windowShown(bool spontaneous) {
  auto* connection = x11::QtConnection();
  const auto id = static_cast<xcb_window_t>(window_->internalWinId());
  if (connection == nullptr || id == 0) {
    return;
  }
  if (!spontaneous) {  // a spontaneous Show (restored from minimized) is already mapped
    WriteAboveState(connection, id, *onTop_);
  }
  // A window manager that handled the previous hide late may have dropped the
  // property again; the first exposure tells that it manages the window, and
  // then the state is asked for once more.
  awaitingMap_ = true;
  window_->windowHandle()->installEventFilter(this);
}

void X11WindowStacking::windowExposed(QObject* nativeWindow) {
  auto* window = qobject_cast<QWindow*>(nativeWindow);
  auto* connection = x11::QtConnection();
  if (window == nullptr || !window->isExposed() || connection == nullptr || window_ == nullptr) {
    return;
  }
  if (awaitingMap_ && window_->windowHandle() == window) {
    awaitingMap_ = false;
    SendAboveState(connection, static_cast<xcb_window_t>(window_->internalWinId()), *onTop_);
  }
}

}  // namespace tovira
