#include "platform/x11_connection.h"

#include <QGuiApplication>
#include <QWindow>

namespace tovira::x11 {

void PrepareQtForX11() {
  qputenv("QT_QPA_PLATFORM", "xcb");
  qputenv("QT_XCB_NO_MITSHM", "1");
}

std::string DisplayProblem() {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') {
    return "no X display to show the window on (DISPLAY is not set); start it from a desktop session";
  }
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  const bool failed = xcb_connection_has_error(connection) != 0;
  xcb_disconnect(connection);
  if (failed) return std::string("cannot open the X display \"") + display + "\"";
  return {};
}

xcb_connection_t* QtConnection() {
  if (qGuiApp == nullptr) {
    return nullptr;
  }
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 != nullptr ? x11->connection() : nullptr;
}

xcb_window_t RootWindow(xcb_connection_t* connection) {
  // Qt opens its connection for $DISPLAY; its screen number picks the root.
  int screenNumber = 0;
  char* host = nullptr;
  int display = 0;
  if (xcb_parse_display(nullptr, &host, &display, &screenNumber) == 0) {
    screenNumber = 0;
  }
  std::free(host);
  auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
  for (int i = 0; i < screenNumber && screens.rem > 1; ++i) {
    xcb_screen_next(&screens);
  }
  return screens.data->root;
}

std::optional<QPoint> RootOrigin(const QWindow* window) {
  xcb_connection_t* connection = QtConnection();
  if (connection == nullptr || window == nullptr || window->handle() == nullptr) return std::nullopt;
  const auto cookie = xcb_translate_coordinates(connection, static_cast<xcb_window_t>(window->winId()),
                                                RootWindow(connection), 0, 0);
  const Reply<xcb_translate_coordinates_reply_t> reply(
      xcb_translate_coordinates_reply(connection, cookie, nullptr));
  if (!reply) return std::nullopt;
  return QPoint(reply->dst_x, reply->dst_y);
}

xcb_atom_t Atom(xcb_connection_t* connection, QByteArrayView name) {
  const auto cookie = xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data());
  const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookie, nullptr));
  return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::vector<xcb_atom_t> AtomList(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property) {
  constexpr std::uint32_t kMostAtoms = 1024;
  const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
      connection, xcb_get_property(connection, 0, window, property, XCB_ATOM_ATOM, 0, kMostAtoms), nullptr));
  if (!reply || reply->format != 32 || reply->type != XCB_ATOM_ATOM) return {};
  const auto* values = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
  return {values, values + reply->value_len};
}

}  // namespace tovira::x11
