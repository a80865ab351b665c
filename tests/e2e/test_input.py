"""Every mouse button, pressed and double-clicked, on every element of the real window,
and the keyboard's way through the controls.

The walk goes through both behaviour modes, stopped and running, and after every
input compares what the window shows (records, button captions and visibility, the
list's selection, the caption) with what the bindings table says should happen:

  background, label, list   left: Start/Stop (Normal); Start, or Lap when running (Lap)
                            right: Lap/Reset (Normal); Start/Stop (Lap)
  dial                      as above, but in Lap mode a left press that starts first hides
                            the buttons, and a right press toggles them after Start/Stop
  double click (left)       first press as a press, then Start/Stop (Normal) or Lap/Reset (Lap)
  push buttons              their own Click with the left button, nothing with any other
  middle button             nothing, anywhere

A list selects with the left button only, before the binding runs; a record selects
the newest line.
"""

import time
import unittest

from harness import BASE_CAPTION, Program, main, poll, settings_text, xdotool
from walk import LEFT, MIDDLE, RIGHT, BindingsModel

BUTTON_NAMES = {LEFT: "left", MIDDLE: "middle", RIGHT: "right"}
TARGETS = ["background", "label", "line", "below", "dial", "cmdStart", "cmdLap"]
TAB_ORDER = ["cmdStart", "cmdLap", "lstLap", "imgWatch"]  # the label takes no focus
CAPTIONS = {False: ("スタート", "リセット"), True: ("ストップ", "ラップ")}
WINDOW_HEIGHT = 900  # room in the list for the records and a bare strip below them
MOST_RECORDS = 12
DOUBLE_CLICK_GAP = 0.5  # longer than the toolkit's double-click interval


class Model(BindingsModel):
    """The bindings' model, and the control with the keyboard focus once a walk looks at it."""

    def __init__(self):
        super().__init__()
        self.focus = None


class InputWalkTest(unittest.TestCase):
    def test_every_input_does_what_the_bindings_say(self):
        settings = settings_text(Showbutton=1, ShowDigital=1, ShowAnalog=1, LapType=1, AnalogScale=1,
                                 AnalogColor="C80000", WindowForceFront=0, BehaviorMode=0, PlaySound=0)
        with Program(self, settings) as p:
            self.program, self.model, self.last_press = p, Model(), None
            window = p.main_window()
            xdotool("windowsize", "--sync", window.id, 258, WINDOW_HEIGHT)
            self.act("a first look", lambda: p.keys("shift"), 1, lambda m: None)
            checked = 0
            for lap_mode in (False, True):
                for running in (False, True):
                    for target in TARGETS:
                        for button in (LEFT, RIGHT, MIDDLE):
                            for double in (False, True):
                                self.arrange(lap_mode, running)
                                what = (f"{'Lap' if lap_mode else 'Normal'} mode, "
                                        f"{'running' if running else 'stopped'}: {BUTTON_NAMES[button]} "
                                        f"{'double click' if double else 'press'} on {target}")
                                self.input(what, target, button, double)
                                checked += 1
            self.assertEqual(checked, 2 * 2 * len(TARGETS) * 3 * 2)
            p.close_by_window_manager()
            p.wait_exit()

    def test_the_keyboard_reaches_every_control_and_drives_the_buttons(self):
        settings = settings_text(Showbutton=1, ShowDigital=1, ShowAnalog=1, LapType=1, AnalogScale=1,
                                 AnalogColor="C80000", WindowForceFront=0, BehaviorMode=0, PlaySound=0)
        with Program(self, settings) as p:
            self.program, self.model, self.last_press = p, Model(), None
            p.main_window()
            self.act("a first look", lambda: p.keys("shift"), 1, lambda m: None)
            self.model.focus = self.latest()["focus"]
            self.assertIn(self.model.focus, TAB_ORDER, "a control has the focus at start")
            for lines in (0, 1, 5):
                self.space_on("cmdLap", Model.lap_click)  # stopped: Reset
                if lines:
                    self.space_on("cmdStart", Model.start_click)
                    for _ in range(lines - 1):
                        self.space_on("cmdLap", Model.lap_click)
                    self.space_on("cmdStart", Model.start_click)
                for i, control in enumerate(TAB_ORDER):
                    following, preceding = TAB_ORDER[(i + 1) % len(TAB_ORDER)], TAB_ORDER[i - 1]
                    self.focus_on(control)
                    self.key(f"Tab from {control} with {lines} lines", "Tab", 1, following)
                    self.focus_on(control)
                    self.key(f"Shift+Tab from {control} with {lines} lines", "shift+Tab", 2, preceding)
            # Neither moves the list's selection nor traps the focus.
            self.focus_on("lstLap")
            self.key("Escape in the list", "Escape", 1, "lstLap")
            self.key("Ctrl+Tab in the list", "ctrl+Tab", 2, "lstLap")
            self.key("Tab after them", "Tab", 1, "imgWatch")
            p.close_by_window_manager()
            p.wait_exit()

    def key(self, what, key, releases, focus):
        def expect(m):
            m.focus = focus
        self.act(what, lambda: self.program.keys(key), releases, expect)

    def focus_on(self, control):
        for _ in TAB_ORDER:
            if self.model.focus == control:
                return
            following = TAB_ORDER[(TAB_ORDER.index(self.model.focus) + 1) % len(TAB_ORDER)]
            self.key(f"Tab towards {control}", "Tab", 1, following)
        self.assertEqual(self.model.focus, control)

    def space_on(self, button, click):
        self.focus_on(button)
        self.act(f"Space on {button}", lambda: self.program.keys("space"), 1, click)

    # ---- what the window shows ----------------------------------------------------------------

    def latest(self):
        return poll(lambda: self.program.snapshots() and self.program.snapshots()[-1], "a snapshot of the window")

    def check(self, what, shown):
        m = self.model
        start_caption, lap_caption = CAPTIONS[m.running]
        seen = dict(running_captions=(shown["cmdStart"]["text"], shown["cmdLap"]["text"]),
                    records=len(shown["lstLap"]["lines"]),
                    buttons_shown=(shown["cmdStart"]["shown"], shown["cmdLap"]["shown"]),
                    selected=shown["lstLap"]["selected"],
                    lap_mode=shown["checked"]["mnuBehaviorLap"],
                    caption=shown["caption"], focus=shown["focus"] if m.focus else None)
        want = dict(running_captions=(start_caption, lap_caption), records=m.records,
                    buttons_shown=(m.shown, m.shown), selected=[] if m.selected is None else [m.selected],
                    lap_mode=m.lap_mode, caption=BASE_CAPTION + "[秒]", focus=m.focus)
        self.assertEqual(seen, want, what)
        if m.records == 0 and not m.running:  # reset
            self.assertEqual(shown["lblTime"]["name"], "0.000", what)

    def act(self, what, do, releases, expect):
        """Does one input of `releases` button or key releases and checks the window after it."""
        before = self.latest()["releases"] if self.program.snapshots() else 0
        do()
        expect(self.model)
        shown = poll(lambda: self.program.snapshots()[-1]["releases"] >= before + releases and
                     self.program.snapshots()[-1], f"the window after {what}")
        self.check(what, shown)

    # ---- where to click -----------------------------------------------------------------------

    @staticmethod
    def centre(rect):
        x, y, w, h = rect
        return x + w // 2, y + h // 2

    def spot(self, target):
        shown = self.latest()
        if target == "background":
            return shown["background"]
        if target == "label":
            return self.centre(shown["lblTime"]["rect"])
        if target == "dial":
            return self.centre(shown["imgWatch"]["rect"])
        if target in ("cmdStart", "cmdLap"):
            return self.centre(shown[target]["rect"])
        rows, viewport = shown["lstLap"]["rows"], shown["lstLap"]["viewport"]
        if target == "line":
            return self.centre(rows[0])
        last_bottom = rows[-1][1] + rows[-1][3] if rows else viewport[1]
        viewport_bottom = viewport[1] + viewport[3]
        self.assertGreater(viewport_bottom - last_bottom, 8, "room below the list's lines")
        return viewport[0] + viewport[2] // 2, (last_bottom + viewport_bottom) // 2

    def click_at(self, x, y, button, repeat=1):
        # A press soon after another of the same button at the same spot would make a double click.
        if self.last_press and self.last_press[:3] == (x, y, button):
            time.sleep(max(0.0, self.last_press[3] + DOUBLE_CLICK_GAP - time.monotonic()))
        xdotool("mousemove", x, y)
        poll(lambda: self.program.pointer() == (x, y), "the pointer to arrive")
        xdotool("click", "--repeat", repeat, "--delay", 60, button)
        self.last_press = (x, y, button, time.monotonic())

    # ---- the walk -----------------------------------------------------------------------------

    def input(self, what, target, button, double):
        x, y = self.spot(target)
        if double:
            self.act(what, lambda: self.click_at(x, y, button, 2), 2, lambda m: m.double_click(target, button))
        else:
            self.act(what, lambda: self.click_at(x, y, button), 1, lambda m: m.press(target, button))

    def push(self, name):
        self.act(f"a click on {name} to arrange the next case",
                 lambda: self.click_at(*self.spot(name), LEFT), 1, lambda m: m.press(name, LEFT))

    def choose(self, caption, expect):
        keys = self.program.menu_keys(caption)
        self.act(f"choosing {caption}", lambda: self.program.keys(*keys), len(keys), expect)

    def arrange(self, lap_mode, running):
        """Brings the window to the case's mode and state, with the buttons shown and two to
        MOST_RECORDS records, so that both the first line and the list below the lines can be pressed."""
        m = self.model
        if m.lap_mode != lap_mode:
            self.choose("Lap" if lap_mode else "Norm", lambda m: setattr(m, "lap_mode", lap_mode))
        if not m.shown:
            self.choose("Btn", Model.show_button_click)
        if m.records > MOST_RECORDS:
            if m.running:
                self.push("cmdStart")
            self.push("cmdLap")
        while m.records < 2:
            if not m.running:
                self.push("cmdStart")
            self.push("cmdLap")
        if m.running != running:
            self.push("cmdStart")


if __name__ == "__main__":
    main()
