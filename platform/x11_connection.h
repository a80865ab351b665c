#pragma once
// Access to Qt's own X11 connection for the X11 adapters.

#include <xcb/xcb.h>

#include <QByteArrayView>
#include <QPoint>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QWindow;

namespace tovira::x11 {

// Owns a reply (or any block) that xcb allocated with malloc.
struct FreeReply {
  void operator()(void* reply) const noexcept { std::free(reply); }
};
template <class T>
using Reply = std::unique_ptr<T, FreeReply>;

// Makes Qt, created after this, run on X11 whatever platform the session asks for
// (holding the pointer and staying on top need X11; under Wayland that is
// XWayland), and send its pictures over the connection rather than through
// shared memory: a shared-memory copy is confirmed by an event of its own, which
// would wake the program twice more at every refresh of a running stopwatch.
void PrepareQtForX11();

// Why no X display can be opened for $DISPLAY, in one sentence; empty when one
// can. Asked before Qt starts, which would abort with advice about reinstalling.
std::string DisplayProblem();

// Qt's connection, or null when the application does not run on X11 (or no
// longer runs at all). Asked afresh each time: the connection dies with the
// application object.
xcb_connection_t* QtConnection();

// The root window of the screen Qt's connection was opened for.
xcb_window_t RootWindow(xcb_connection_t* connection);

// Where the window's top-left pixel is in the root window, as the X server has it;
// none without an X11 connection or a native window.
std::optional<QPoint> RootOrigin(const QWindow* window);

// The atom of the name, XCB_ATOM_NONE if the server cannot give one.
xcb_atom_t Atom(xcb_connection_t* connection, QByteArrayView name);

// The atoms a property of the window lists (as _NET_WM_STATE does); none when it
// is missing or holds no atoms.
std::vector<xcb_atom_t> AtomList(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property);

}  // namespace tovira::x11
