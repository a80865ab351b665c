"""The window as a screen reader sees it, over AT-SPI (run inside its own session bus).

Accessibility is switched on as screen readers switch it on, through the
accessibility bus's IsEnabled property. The user drives the window from the
keyboard while the events a screen reader would hear are recorded.
"""

import re
import subprocess
import time
import unittest

import pyatspi
from gi.repository import GLib

from harness import Program, main, poll, settings_text

SHIPPED = dict(Showbutton=1, ShowDigital=1, ShowAnalog=1, LapType=1, AnalogScale=1, AnalogColor="C80000",
               WindowForceFront=0, BehaviorMode=0, PlaySound=0)
SECONDS_LINE = re.compile(r"^ *\d+\.\d{3} 秒$")


def enable_accessibility():
    subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                    "org.freedesktop.DBus.Properties.Set", "string:org.a11y.Status", "string:IsEnabled",
                    "variant:boolean:true"], check=True, capture_output=True)


def descendants(node):
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield child
            yield from descendants(child)


class Listener:
    """The focus and name-change events, each with the phase of the walk it came in."""

    def __init__(self):
        self.phase = "start"
        self.events = []
        pyatspi.Registry.registerEventListener(self.on_event, "focus:", "object:state-changed:focused",
                                               "object:property-change:accessible-name")

    def on_event(self, event):
        if event.type.startswith("object:state-changed:focused") and not event.detail1:
            return
        kind = "name" if "accessible-name" in event.type else "focus"
        try:
            role, name = event.source.getRoleName(), event.source.name
        except Exception:  # the source is gone already
            role, name = "", ""
        self.events.append((self.phase, kind, role, name))

    def of(self, phase, kind):
        return [(role, name) for p, k, role, name in self.events if p == phase and k == kind]

    def pump(self, seconds):
        """Lets the events of the next `seconds` arrive."""
        loop = GLib.MainLoop()
        GLib.timeout_add(int(seconds * 1000), loop.quit)
        loop.run()


class AccessibilityTest(unittest.TestCase):
    def test_what_a_screen_reader_hears(self):
        enable_accessibility()
        desktop = pyatspi.Registry.getDesktop(0)
        listener = Listener()
        with Program(self, settings_text(**SHIPPED)) as p:
            p.main_window()

            def application():
                apps = [desktop.getChildAtIndex(i) for i in range(desktop.childCount)]
                return next((a for a in apps if a is not None and a.name == "ToviraWatch"), None)
            app = poll(application, "the program on the accessibility bus")
            nodes = list(descendants(app))

            def find(role, name=None, prefix=None):
                found = [n for n in nodes if n.getRoleName() == role and
                         (name is None or n.name == name) and (prefix is None or n.name.startswith(prefix))]
                self.assertEqual(len(found), 1, f"one {role} {name or prefix}")
                return found[0]

            # Names and roles, each with a description of what it is for.
            controls = [find("push button", "スタート"), find("push button", "リセット"), find("label", "0.000"),
                        find("list", "Lap times"), find("image", prefix="Dial at "), find("image", "Digit strip")]
            for control in controls:
                self.assertTrue(control.description, control.name)
            start, lap, label, lap_list, dial = controls[:5]
            self.assertEqual(lap_list.childCount, 0)
            self.assertTrue(start.getState().contains(pyatspi.STATE_FOCUSED), "Start has the focus at start")

            # Running, with the focus on the buttons: Start, then three laps from the Lap button.
            listener.phase = "buttons"
            p.keys("space")
            listener.pump(0.3)
            running_from = time.monotonic()
            first_reading = label.name
            p.keys("Tab", "space", "space", "space")
            listener.pump(1.5)
            running_seconds = time.monotonic() - running_from
            self.assertNotEqual(label.name, first_reading, "the label's name is the time now")
            self.assertTrue(dial.name.startswith("Dial at "), dial.name)

            # Into the list and back out, then Stop.
            listener.phase = "list"
            p.keys("Tab")
            listener.pump(0.5)
            listener.phase = "back"
            p.keys("shift+Tab", "shift+Tab", "space")
            listener.pump(0.5)

            lines = [lap_list.getChildAtIndex(i) for i in range(lap_list.childCount)]
            self.assertEqual(len(lines), 4, "three laps and the stop")
            for line in lines:
                self.assertEqual(line.getRoleName(), "list item")
                self.assertRegex(line.name, SECONDS_LINE)
            self.assertTrue(lines[-1].getState().contains(pyatspi.STATE_SELECTED), "the newest line is selected")

            focus_on_buttons = listener.of("buttons", "focus") + listener.of("back", "focus")
            self.assertEqual([f for f in focus_on_buttons if f[0] == "list item"], [],
                             "no line claims the focus while a button has it")
            self.assertIn(("push button", "ラップ"), listener.of("buttons", "focus"), "Tab to the Lap button is heard")
            self.assertTrue(any(role in ("list", "list item") for role, _ in listener.of("list", "focus")),
                            "Tab into the list is heard")
            names = listener.of("buttons", "name")
            dial_changes = sum(1 for role, name in names if role == "image" and name.startswith("Dial at "))
            label_changes = sum(1 for role, _ in names if role == "label")
            self.assertLessEqual(dial_changes / running_seconds, label_changes / running_seconds,
                                 f"{dial_changes} name changes of the dial, {label_changes} of the label")
            p.close_by_window_manager()
            p.wait_exit()


if __name__ == "__main__":
    main()
