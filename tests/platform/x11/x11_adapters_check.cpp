// Drives the X11 adapters on a real X server with a real pointer (xdotool) and
// checks the outcome through X itself. Prints every failed check and exits
// non-zero if there was one.
//
//   x11_adapters_check confinement   (with or without a window manager)
//   x11_adapters_check stacking      (needs an EWMH window manager)
//   x11_adapters_check --confined-child exit|crash   (used by the confinement run)
#include "platform/x11_connection.h"
#include "platform/x11_cursor_confinement.h"
#include "pixel_rect.h"
#include "platform/x11_window_stacking.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QSocketNotifier>
#include <QThread>
#include <QVBoxLayout>
#include <QWindow>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace tovira {
namespace {

using namespace std::chrono_literals;

int failures = 0;

void Check(bool ok, const QString& what) {
  if (!ok) {
    ++failures;
  }
  std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "ok  " : "FAIL", qPrintable(what));
  std::fflush(ok ? stdout : stderr);
}

QString Text(const QPoint& p) { return QStringLiteral("(%1,%2)").arg(p.x()).arg(p.y()); }
QString Text(const QRect& r) {
  return QStringLiteral("%1x%2+%3+%4").arg(r.width()).arg(r.height()).arg(r.x()).arg(r.y());
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 5s) {
  const QDeadlineTimer deadline(timeout);
  while (!condition()) {
    if (deadline.hasExpired()) {
      return false;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(5);
  }
  return true;
}

void Xdotool(const QStringList& arguments) {
  if (QProcess::execute(QStringLiteral("xdotool"), arguments) != 0) {
    Check(false, "xdotool " + arguments.join(' '));
  }
}

// ---- X queries, through Qt's own connection ----

xcb_connection_t* Connection() { return x11::QtConnection(); }
xcb_window_t Root() { return x11::RootWindow(Connection()); }

QPoint Pointer() {
  const x11::Reply<xcb_query_pointer_reply_t> reply(
      xcb_query_pointer_reply(Connection(), xcb_query_pointer(Connection(), Root()), nullptr));
  return reply ? QPoint(reply->root_x, reply->root_y) : QPoint(-1, -1);
}

QRect ScreenArea() {
  const x11::Reply<xcb_get_geometry_reply_t> reply(
      xcb_get_geometry_reply(Connection(), xcb_get_geometry(Connection(), Root()), nullptr));
  return QRect(0, 0, reply->width, reply->height);
}

// Where the window really is on the screen, whatever Qt believes.
QRect XGeometry(WId window) {
  const auto id = static_cast<xcb_window_t>(window);
  const x11::Reply<xcb_get_geometry_reply_t> size(
      xcb_get_geometry_reply(Connection(), xcb_get_geometry(Connection(), id), nullptr));
  const x11::Reply<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(
      Connection(), xcb_translate_coordinates(Connection(), id, Root(), 0, 0), nullptr));
  return size && origin ? QRect(origin->dst_x, origin->dst_y, size->width, size->height) : QRect();
}

QRect ScreenRect(const QWidget& widget) {
  const QRect top = XGeometry(widget.window()->winId());
  return QRect(top.topLeft() + widget.mapTo(widget.window(), QPoint(0, 0)), widget.size());
}

std::vector<std::uint32_t> Property(xcb_window_t window, const char* name) {
  const x11::Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
      Connection(), xcb_get_property(Connection(), 0, window, x11::Atom(Connection(), name), XCB_GET_PROPERTY_TYPE_ANY,
                                     0, 1024),
      nullptr));
  if (!reply || reply->format != 32) {
    return {};
  }
  const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
  return {values, values + reply->value_len};
}

bool Contains(const std::vector<std::uint32_t>& values, std::uint32_t value) {
  return std::find(values.begin(), values.end(), value) != values.end();
}

// ---- Confinement ----

bool PointerReaches(const QPoint& target, const QPoint& expected, QPoint& actual) {
  Xdotool({"mousemove", QString::number(target.x()), QString::number(target.y())});
  const bool reached = WaitFor([&] { return Pointer() == expected; }, 3s);
  actual = Pointer();
  return reached;
}

// Sends the pointer far out in every direction from the middle of the area;
// it must stop at the area's edge each time (or, when free, reach the target).
void CheckMoves(const QRect& area, bool confined, const QString& when) {
  const QRect screen = ScreenArea();
  const QPoint middle = area.center();
  struct Move {
    const char* direction;
    QPoint target;
  };
  const Move moves[] = {
      {"left", {screen.left(), middle.y()}},   {"right", {screen.right(), middle.y()}},
      {"up", {middle.x(), screen.top()}},      {"down", {middle.x(), screen.bottom()}},
      {"top-left", screen.topLeft()},          {"bottom-right", screen.bottomRight()},
  };
  for (const Move& move : moves) {
    QPoint actual;
    if (!PointerReaches(middle, middle, actual)) {
      Check(false, QStringLiteral("%1: pointer back to the middle %2, is at %3").arg(when, Text(middle), Text(actual)));
      return;
    }
    const QPoint expected = confined ? QPoint(std::clamp(move.target.x(), area.left(), area.right()),
                                              std::clamp(move.target.y(), area.top(), area.bottom()))
                                     : move.target;
    Check(PointerReaches(move.target, expected, actual),
          QStringLiteral("%1: move %2 to %3 ends at %4 (is at %5, area %6)")
              .arg(when, move.direction, Text(move.target), Text(expected), Text(actual), Text(area)));
  }
}

struct TestWindow {
  QMainWindow window;
  QMenu* menu = nullptr;
  QPushButton* button = nullptr;
  int clicks = 0;

  explicit TestWindow(const QPoint& position) {
    menu = window.menuBar()->addMenu(QStringLiteral("&File"));
    menu->addAction(QStringLiteral("&One"));
    menu->addAction(QStringLiteral("&Two"));
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    button = new QPushButton(QStringLiteral("Press"));
    layout->addWidget(button);
    QObject::connect(button, &QPushButton::clicked, [this] { ++clicks; });
    window.setCentralWidget(central);
    window.resize(250, 420);
    window.move(position);
  }

  QRect clientArea() const { return ScreenRect(*window.centralWidget()); }
};

bool ShowAndSettle(QWidget& window) {
  window.show();
  return WaitFor([&] { return window.windowHandle()->isExposed() && !XGeometry(window.winId()).isEmpty(); });
}

void CheckPopupKeepsConfinement(TestWindow& subject, const QRect& area, const QString& how,
                                const std::function<void()>& open, const std::function<void()>& close) {
  open();
  Check(WaitFor([&] { return subject.menu->isVisible(); }), how + ": menu opens");
  close();
  Check(WaitFor([&] { return !subject.menu->isVisible(); }), how + ": menu closes");
  CheckMoves(area, true, "after a menu " + how);
}

void CheckConfinedChildExits(const char* how) {
  QProcess child;
  child.start(QCoreApplication::applicationFilePath(), {"--confined-child", how});
  const bool started = WaitFor([&] { return child.canReadLine(); }, 10s);
  const QStringList fields = QString::fromUtf8(child.readLine()).split(' ');
  if (!started || fields.size() != 5 || fields[0] != "confined") {
    Check(false, QStringLiteral("child (%1) reports its confinement").arg(how));
    child.kill();
    child.waitForFinished();
    return;
  }
  const QRect area(fields[1].toInt(), fields[2].toInt(), fields[3].toInt(), fields[4].toInt());
  CheckMoves(area, true, QStringLiteral("confined by a child that will %1").arg(how));
  child.write("quit\n");
  Check(child.waitForFinished(10000), QStringLiteral("child (%1) ends").arg(how));
  CheckMoves(area, false, QStringLiteral("after the child's %1 while confined").arg(how));
}

void CheckEdgeRectangles(X11CursorConfinement& confinement) {
  const QRect screen = ScreenArea();
  struct Case {
    const char* name;
    QRect requested;
    QRect confinedTo;  // empty: no confinement
  };
  const Case cases[] = {
      {"partly beyond the top left", QRect(-100, -100, 300, 250), QRect(0, 0, 200, 150)},
      {"partly beyond the bottom right", QRect(screen.right() - 199, screen.bottom() - 99, 400, 300),
       QRect(screen.right() - 199, screen.bottom() - 99, 200, 100)},
      {"entirely off the screen", QRect(screen.right() + 10, 100, 200, 200), QRect()},
      {"beyond 16-bit coordinates", QRect(70000, 70000, 100, 100), QRect()},
      {"empty", QRect(300, 300, 0, 0), QRect()},
  };
  for (const Case& c : cases) {
    confinement.confine(Pixels(c.requested));
    if (c.confinedTo.isEmpty()) {
      CheckMoves(QRect(400, 300, 200, 200), false, QStringLiteral("rectangle %1").arg(c.name));
    } else {
      CheckMoves(c.confinedTo, true, QStringLiteral("rectangle %1").arg(c.name));
    }
    confinement.release();
  }
}

int RunConfinement() {
  TestWindow subject(QPoint(400, 300));
  if (!ShowAndSettle(subject.window)) {
    Check(false, "test window shows");
    return 1;
  }
  subject.window.activateWindow();
  WaitFor([&] { return QApplication::activeWindow() == &subject.window; });
  const QRect area = subject.clientArea();
  X11CursorConfinement confinement;

  CheckMoves(area, false, "before confine");
  confinement.confine(Pixels(area));
  CheckMoves(area, true, "confined");

  QPoint actual;
  const QPoint button = ScreenRect(*subject.button).center();
  PointerReaches(button, button, actual);
  Xdotool({"click", "1"});
  Check(WaitFor([&] { return subject.clicks == 1; }), "a click inside the area reaches the button");
  CheckMoves(area, true, "after a click");

  CheckPopupKeepsConfinement(
      subject, area, "opened and closed by keyboard", [] { Xdotool({"key", "alt+f"}); },
      [] { Xdotool({"key", "Escape"}); });
  CheckPopupKeepsConfinement(
      subject, area, "shown and hidden by the program", [&] { subject.menu->popup(area.center()); },
      [&] { subject.menu->hide(); });

  // Confining while something else holds the pointer: the grab must follow
  // once the holder lets go.
  confinement.release();
  PointerReaches(button, button, actual);
  Xdotool({"mousedown", "1"});
  Check(WaitFor([&] { return subject.button->isDown(); }), "the button is held down");
  confinement.confine(Pixels(area));
  Xdotool({"mouseup", "1"});
  Check(WaitFor([&] { return subject.clicks == 2; }), "the held button is released onto itself");
  CheckMoves(area, true, "confined while a button was held");

  confinement.release();
  subject.menu->popup(area.center());
  Check(WaitFor([&] { return subject.menu->isVisible(); }), "a menu is open");
  confinement.confine(Pixels(area));
  subject.menu->hide();
  CheckMoves(area, true, "confined while a menu was open");

  // Re-confining moves the confinement; the old area no longer holds the pointer.
  const QRect smaller = area.adjusted(20, 20, -20, -20);
  confinement.confine(Pixels(smaller));
  CheckMoves(smaller, true, "confined again to a smaller area");

  confinement.release();
  CheckMoves(area, false, "after release");

  CheckEdgeRectangles(confinement);
  CheckConfinedChildExits("exit");
  CheckConfinedChildExits("crash");
  return failures == 0 ? 0 : 1;
}

// A second program that confines the pointer to its own window and leaves,
// normally or abruptly, when told on its standard input.
int RunConfinedChild(const QString& how) {
  QWidget window;
  window.resize(200, 200);
  window.move(500, 400);
  if (!ShowAndSettle(window)) {
    return 1;
  }
  X11CursorConfinement confinement;
  const QRect area = ScreenRect(window);
  confinement.confine(Pixels(area));
  std::printf("confined %d %d %d %d\n", area.x(), area.y(), area.width(), area.height());
  std::fflush(stdout);
  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, [&] {
    if (how == "crash") {
      std::_Exit(0);
    }
    QCoreApplication::quit();
  });
  return QCoreApplication::exec();
}

// ---- Stacking ----

struct Wm {
  xcb_atom_t above = x11::Atom(Connection(), "_NET_WM_STATE_ABOVE");

  static xcb_window_t Id(const QWidget& w) { return static_cast<xcb_window_t>(w.winId()); }
  bool hasAbove(const QWidget& w) const { return Contains(Property(Id(w), "_NET_WM_STATE"), above); }
  static bool managed(const QWidget& w) { return Contains(Property(Root(), "_NET_CLIENT_LIST"), Id(w)); }
  static bool active(const QWidget& w) { return Property(Root(), "_NET_ACTIVE_WINDOW") == std::vector{Id(w)}; }
  static bool stacksAbove(const QWidget& upper, const QWidget& lower) {
    const auto order = Property(Root(), "_NET_CLIENT_LIST_STACKING");  // bottom to top
    const auto u = std::find(order.begin(), order.end(), Id(upper));
    const auto l = std::find(order.begin(), order.end(), Id(lower));
    return u != order.end() && l != order.end() && u > l;
  }
  static bool activate(const QWidget& w) {
    Xdotool({"windowactivate", QString::number(Id(w))});
    return WaitFor([&] { return active(w); });
  }
};

bool ShowManaged(QWidget& window) {
  return ShowAndSettle(window) && WaitFor([&] { return Wm::managed(window); });
}

// The other window is activated: the window on top must stay above it.
void CheckStaysAbove(const Wm& wm, const QWidget& window, const QWidget& other, const QString& when) {
  Check(WaitFor([&] { return wm.hasAbove(window); }), when + ": _NET_WM_STATE_ABOVE is set");
  Check(Wm::activate(other), when + ": the other window can be activated");
  Check(Wm::stacksAbove(window, other), when + ": the window stays above the active other window");
}

void CheckToggleLeavesWindowAlone(X11WindowStacking& stacking, const Wm& wm, QWidget& window, const QWidget& other) {
  Wm::activate(other);
  const WId id = window.winId();
  const QRect geometry = XGeometry(id);
  for (const bool onTop : {true, false}) {
    const QString when = onTop ? QStringLiteral("on top") : QStringLiteral("back to normal");
    stacking.setAlwaysOnTop(onTop);
    Check(WaitFor([&] { return wm.hasAbove(window) == onTop; }), when + ": _NET_WM_STATE_ABOVE follows");
    Check(WaitFor([&] { return Wm::stacksAbove(window, other) == onTop; }), when + ": stacking follows");
    Check(Wm::active(other), when + ": the active window did not change");
    Check(window.winId() == id, when + ": the X window is the same");
    Check(XGeometry(id) == geometry,
          when + QStringLiteral(": position and size unchanged (%1, was %2)").arg(Text(XGeometry(id)), Text(geometry)));
  }
  Wm::activate(window);
  Check(WaitFor([&] { return Wm::stacksAbove(window, other); }), "back to normal: an activated window rises");
  Check(Wm::activate(other) && WaitFor([&] { return Wm::stacksAbove(other, window); }),
        "back to normal: the other window rises above it again");
}

void CheckHiddenAndShown(X11WindowStacking& stacking, const Wm& wm, QWidget& window, const QWidget& other) {
  stacking.setAlwaysOnTop(true);
  CheckStaysAbove(wm, window, other, "on top before hiding");
  for (const bool waitUntilWithdrawn : {false, true}) {
    const QString when = waitUntilWithdrawn ? QStringLiteral("hidden until withdrawn, shown again")
                                            : QStringLiteral("hidden and shown at once");
    window.hide();
    if (waitUntilWithdrawn) {
      Check(WaitFor([&] { return !Wm::managed(window); }), when + ": the window manager lets go");
    }
    Check(ShowManaged(window), when + ": the window is managed again");
    CheckStaysAbove(wm, window, other, when);
  }
  stacking.setAlwaysOnTop(false);
}

void CheckOnTopAroundFirstShow(const Wm& wm, const QWidget& other) {
  enum class Moment { BeforeNativeWindow, NativeWindowNotShown, JustShown };
  const struct {
    Moment moment;
    const char* when;
  } cases[] = {
      {Moment::BeforeNativeWindow, "set before the window exists natively"},
      {Moment::NativeWindowNotShown, "set on a created, never shown window"},
      {Moment::JustShown, "set right after show, before the window manager has it"},
  };
  for (const auto& c : cases) {
    QWidget window;
    X11WindowStacking stacking;
    stacking.setWindow(window);
    window.resize(200, 150);
    window.move(120, 620);
    if (c.moment == Moment::NativeWindowNotShown) {
      window.winId();
    }
    if (c.moment == Moment::JustShown) {
      window.show();
    }
    stacking.setAlwaysOnTop(true);
    Check(ShowManaged(window), QStringLiteral("%1: the window is managed").arg(c.when));
    CheckStaysAbove(wm, window, other, c.when);
  }
}

int RunStacking() {
  TestWindow subject(QPoint(100, 100));
  QWidget other;
  other.setWindowTitle(QStringLiteral("other"));
  other.resize(300, 300);
  other.move(200, 150);
  if (!ShowManaged(subject.window) || !ShowManaged(other)) {
    Check(false, "test windows are shown and managed");
    return 1;
  }
  const Wm wm;
  X11WindowStacking stacking;
  stacking.setWindow(subject.window);
  CheckToggleLeavesWindowAlone(stacking, wm, subject.window, other);
  CheckHiddenAndShown(stacking, wm, subject.window, other);
  CheckOnTopAroundFirstShow(wm, other);
  return failures == 0 ? 0 : 1;
}

}  // namespace
}  // namespace tovira

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList arguments = QCoreApplication::arguments().mid(1);
  if (tovira::x11::QtConnection() == nullptr) {
    std::fprintf(stderr, "needs an X11 display\n");
    return 2;
  }
  if (arguments.value(0) == "confinement") {
    return tovira::RunConfinement();
  }
  if (arguments.value(0) == "stacking") {
    return tovira::RunStacking();
  }
  if (arguments.value(0) == "--confined-child") {
    return tovira::RunConfinedChild(arguments.value(1));
  }
  std::fprintf(stderr, "usage: x11_adapters_check confinement|stacking\n");
  return 2;
}
