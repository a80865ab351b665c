#include "platform/x11_window_watch.h"

#include "platform/tick_counter.h"
#include "platform/x11_connection.h"

#include <QCoreApplication>
#include <QWindow>

#include <algorithm>
#include <vector>

namespace tovira {

X11PropertyWatch::~X11PropertyWatch() {
  if (QCoreApplication* app = QCoreApplication::instance()) app->removeNativeEventFilter(this);
}

bool X11PropertyWatch::watch(const QWindow& window, const char* property) {
  connection_ = x11::QtConnection();
  if (connection_ == nullptr || window.handle() == nullptr) return false;
  window_ = static_cast<xcb_window_t>(window.winId());
  property_ = x11::Atom(connection_, property);
  // Qt asks for the property changes of its windows itself; they pass by here.
  QCoreApplication::instance()->installNativeEventFilter(this);
  return property_ != XCB_ATOM_NONE;
}

bool X11PropertyWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7F) != XCB_PROPERTY_NOTIFY) return false;
  const auto* change = static_cast<const xcb_property_notify_event_t*>(message);
  if (change->window == window_ && change->atom == property_) propertyChanged(*change);
  return false;  // Qt handles it as ever
}

void X11ServerClockCheck::ask(const QWindow& window) {
  if (!watch(window, "_TOVIRA_SERVER_CLOCK")) return;
  askedAt_ = MonotonicMillis();
  // Appending nothing changes nothing but is still a change, with its notice stamped.
  xcb_change_property(connection_, XCB_PROP_MODE_APPEND, window_, property_, XCB_ATOM_STRING, 8, 0, nullptr);
  xcb_flush(connection_);
}

void X11ServerClockCheck::propertyChanged(const xcb_property_notify_event_t& event) {
  if (answered_ || event.state != XCB_PROPERTY_NEW_VALUE) return;
  answered_ = true;
  const std::uint32_t sinceAsked = MonotonicMillis() - askedAt_;
  xcb_delete_property(connection_, window_, property_);
  xcb_flush(connection_);
  answer_(event.time - askedAt_ <= sinceAsked);
}

void X11HiddenMark::watch(const QWindow& window) {
  if (!X11PropertyWatch::watch(window, "_NET_WM_STATE")) return;
  hiddenState_ = x11::Atom(connection_, "_NET_WM_STATE_HIDDEN");
  read();
}

void X11HiddenMark::propertyChanged(const xcb_property_notify_event_t&) { read(); }

void X11HiddenMark::read() {
  const std::vector<xcb_atom_t> states = x11::AtomList(connection_, window_, property_);
  const bool hidden = std::ranges::find(states, hiddenState_) != states.end();
  if (hidden == hidden_) return;
  hidden_ = hidden;
  changed_(hidden);
}

}  // namespace tovira
