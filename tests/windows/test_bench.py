"""The Windows program under Wine, walked from outside as a user would: the window
as created and what a screen reader reads of it, every mouse binding in both
behaviour modes, records in the four display modes, Reset, a stopped watch at rest
after clicks, the pointer held while running, the settings written on close (and at
the session's end) and read at the next start, a missing tick.wav and hostile
settings files, each failure box owned by the window, the fonts with and without
the Japanese Windows fonts, the colours following the system's and its
high-contrast scheme, the clip following the window, and a change of the number
signs. The window is read with window_reader.exe and driven with xdotool and the
keyboard."""

import collections
import contextlib
import re
import shutil
import struct
import tempfile
import time
from pathlib import Path

import harness
from harness import (BASE_CAPTION, SHIPPED, Program, failure, find_control, menu_item, poll, pointer,
                     screen_pixels, settings, settings_text, xdotool)
from sound import Recorder, SoundServer
from walk import LEFT, MIDDLE, RIGHT, BindingsModel

START, LAP, LABEL, LIST, DIAL, DIGITS = 1001, 1002, 1003, 1004, 1005, 1006
CAPTIONS = {False: ("スタート", "リセット"), True: ("ストップ", "ラップ")}
DOUBLE_CLICK_GAP = 0.6  # longer than Wine's double-click time

def pixels(twips_rect, twips_per_pixel):
    """A control's rectangle (left, top, right, bottom) in pixels, from its place and size in twips."""
    left, top, width, height = (round(value / twips_per_pixel) for value in twips_rect)
    return (left, top, left + width, top + height)


def outline(menu):
    """Each item as (caption, submenu) or (caption, checked, grayed)."""
    return [(item["text"], outline(item["items"])) if "items" in item else (item["text"], item["checked"], item["grayed"])
            for item in menu]


def mode_marks(checked):
    return [("SC", "SC" in checked, False), ("HMS   ", "HMS" in checked, False), ("24F ", "24F" in checked, False),
            ("SEC KEY  ", "SEC KEY" in checked, False)]


# The menus after start-up with the shipped settings.
SHIPPED_MENU = [
    ("Arch", [("Cerr", False, False)]),
    ("Conf", [("Modo    ", [("Norm", True, False), ("Lap     ", False, False)]),
              ("Sonido", [("On  ", False, False), ("Off   ", True, False)]),
              ("Ver ", [("Btn ", True, False), ("Digital ", True, False), ("Analogo", True, False)]),
              ("Marcadores  ", mode_marks({"SC"})),
              ("Duracion ", [("6不", True, False), ("10不", False, True), ("30不", False, True)])]),
    ("Window", [("Normal  ", True, False), ("Encima de Todo", False, False)]),
    ("Trad", [("Crew", False, True)]),
]


def setUpModule():
    harness.open_prefix()


def tearDownModule():
    harness.close_prefix()


def rect(control):
    r = control["rect"]
    return (r["left"], r["top"], r["right"], r["bottom"])


def screen_rect(window, control_id):
    r = find_control(window, control_id)["screen_rect"]
    return (r["left"], r["top"], r["right"], r["bottom"])


def assert_settles(test, observe, want, what):
    """Waits for observe() to give want, and fails with the difference."""
    seen = {}

    def matches():
        seen["last"] = observe()
        return seen["last"] == want
    try:
        poll(matches, what, timeout=10)
    except AssertionError:
        test.assertEqual(seen.get("last"), want, what)


def hand_pixels(window):
    """Pixels of the hand's colour C80000 on the dial, as the screen shows it."""
    return sum(row.count((200, 0, 0)) for row in screen_pixels(screen_rect(window, DIAL)))


class Clicks:
    """Mouse clicks at points of the screen, never two so close that they make a double click by chance."""

    def __init__(self):
        self.last = None

    def click(self, x, y, button=LEFT, double=False):
        if self.last and self.last[:3] == (x, y, button):
            time.sleep(max(0.0, self.last[3] + DOUBLE_CLICK_GAP - time.monotonic()))
        Program.move_pointer(x, y)
        xdotool("click", "--repeat", 2 if double else 1, "--delay", 60, button)
        self.last = (x, y, button, time.monotonic())

    def click_control(self, window, control_id, button=LEFT):
        left, top, right, bottom = screen_rect(window, control_id)
        self.click((left + right) // 2, (top + bottom) // 2, button)


class Prefix(harness.unittest.TestCase):
    def test_japanese_ui_fonts_are_drawn_with_ipagothic(self):
        for font in harness.JAPANESE_UI_FONTS:
            self.assertEqual(harness.PREFIX.font_substitute(font), harness.STAND_IN_FONT, font)


class Window(harness.unittest.TestCase):
    # What a screen reader calls each control: its text, or for the list and the dial
    # the program's own names; the hidden digit strip has none.
    SCREEN_READER_NAMES = {DIGITS: None, START: "スタート", LAP: "リセット", LIST: "Lap times",
                           DIAL: "Dial at 0.000 seconds", LABEL: "0.000"}
    # Each control by id in the order Tab goes (the label and the pictures take no
    # focus): class, text, shown, and its place and size in twips once started.
    CONTROLS = [(DIGITS, "Static", "", False, (180, 2880, 2655, 555)),
                (START, "Button", "スタート", True, (60, 4450, 1755, 495)),
                (LAP, "Button", "リセット", True, (2040, 4450, 1755, 495)),
                (LIST, "ListBox", "", True, (60, 4980, 3735, 1260)),
                (DIAL, "Static", "", True, (60, 60, 3750, 3750)),
                (LABEL, "Static", "0.000", True, (60, 3900, 3735, 495))]

    def test_as_defined_with_the_shipped_settings(self):
        with Program(self, settings()) as program:
            window = program.read()
            self.assertEqual(window["title"], BASE_CAPTION + "[秒]")
            client = window["client"]
            self.assertEqual((client["right"] - client["left"], client["bottom"] - client["top"]), (258, 420))
            self.assertFalse(window["topmost"])
            self.assertEqual(outline(window["menu"]), SHIPPED_MENU)
            self.assertEqual([(c["id"], c["class"], c["text"], c["visible"], rect(c)) for c in window["controls"]],
                             [(*row[:4], pixels(row[4], 15)) for row in self.CONTROLS])
            self.assertTrue(find_control(window, START)["focused"])
            self.assertEqual({c["id"]: c["accessible"]["name"] for c in window["controls"]}, self.SCREEN_READER_NAMES)
            for control in window["controls"]:
                self.assertEqual(control["font"]["missing_glyphs"], 0, control["id"])
            self.assertEqual(find_control(window, LABEL)["font"]["requested"], "MS Gothic")
            self.assertEqual(find_control(window, LIST)["font"]["requested"], "MS Gothic")
            self.assertEqual((find_control(window, LIST)["lines"], find_control(window, LIST)["selection"]), ([], -1))
            # The hand stands at 12 o'clock: straight up from the dial's centre, in its colour.
            left, top, right, bottom = screen_rect(window, DIAL)
            centre = (left + right) // 2
            column = [row[0] for row in screen_pixels((centre, top + 20, centre + 1, (top + bottom) // 2 - 10))]
            self.assertGreater(column.count((200, 0, 0)), len(column) * 9 // 10)
            program.close_by_window_manager()
            program.wait_exit()

    def test_at_twice_the_usual_density(self):
        desktop = r"HKCU\Control Panel\Desktop"
        harness.PREFIX.set_registry_value(desktop, "LogPixels", "192", "REG_DWORD")
        try:
            with Program(self, settings()) as program:
                window = program.read()  # (the reader's own view of another program's density says 96 under Wine)
                client = window["client"]
                self.assertEqual((client["right"] - client["left"], client["bottom"] - client["top"]), (516, 840))
                for control_id, _, _, _, twips in self.CONTROLS:
                    self.assertEqual(rect(find_control(window, control_id)), pixels(twips, 7.5), control_id)
                self.assertEqual(find_control(window, LIST)["font"]["height"], -42)
                # The doubled artwork: a hand twice as long and twice as wide as at 96 dpi.
                self.assertGreater(hand_pixels(window), 4 * 150)
                program.choose("Arch", "Cerr")
                program.wait_exit()
        finally:
            harness.PREFIX.set_registry_value(desktop, "LogPixels", "96", "REG_DWORD")


class Look(harness.unittest.TestCase):
    def test_fixed_pitch_faces_keep_the_columns_aligned(self):
        for what, fonts, face in [("with MS Gothic", contextlib.nullcontext, "MS Gothic"),
                                  ("without it, the installed Japanese fixed-pitch face",
                                   harness.PREFIX.without_japanese_ui_fonts, harness.STAND_IN_FONT)]:
            with self.subTest(what), fonts(), Program(self, settings()) as program:
                window = program.read()
                self.assertEqual(find_control(window, LABEL)["font"]["requested"], face)
                # A record below a second and one above it: blanks stand where digits do.
                start, lap = (screen_rect(window, c) for c in (START, LAP))
                xdotool("mousemove", (start[0] + start[2]) // 2, (start[1] + start[3]) // 2, "click", 1,
                        "mousemove", (lap[0] + lap[2]) // 2, (lap[1] + lap[3]) // 2, "click", 1)
                time.sleep(1.5)
                Clicks().click_control(window, START)
                window = program.wait_for(lambda w: len(find_control(w, LIST)["lines"]) == 2, "two records")
                self.assertRegex("|".join(find_control(window, LIST)["lines"]), r"^ +0\.\d{3} 秒\| +1\.\d{3} 秒$")
                for caption, suffix in [("HMS   ", "[時分秒]"), ("SEC KEY  ", "[ﾌﾚｰﾑ:秒:ｺﾏ]")]:
                    program.choose("Conf", "Marcadores  ", caption)
                    window = program.wait_for(lambda w: w["title"] == BASE_CAPTION + suffix, caption)
                    font = find_control(window, LIST)["font"]
                    self.assertEqual((font["requested"], font["missing_glyphs"]), (face, 0))
                    first, second = font["line_ends"]
                    self.assertEqual(first, second, find_control(window, LIST)["lines"])
                program.choose("Arch", "Cerr")
                program.wait_exit()

    def test_colours_follow_the_system_and_its_high_contrast_scheme_at_once(self):
        black, white, navy, ivory, plum = (0, 0, 0), (255, 255, 255), (0, 0, 128), (255, 255, 224), (64, 0, 64)
        yellow, green = (255, 255, 128), (128, 255, 128)
        high_contrast_black = dict(COLOR_WINDOW="000000", COLOR_WINDOWTEXT="FFFFFF", COLOR_BTNFACE="000000",
                                   COLOR_BTNTEXT="FFFFFF", COLOR_MENUTEXT="FFFFFF", COLOR_CAPTIONTEXT="FFFFFF")
        # (what, the scheme, the window's background, each control's background and text colours)
        cases = [
            ("as Wine's colours are", contextlib.nullcontext(), black,
             {LABEL: (black, white), LIST: (white, black), START: (yellow, black), LAP: (green, black)}),
            ("other system colours",
             harness.system_colors(COLOR_MENUTEXT="000080", COLOR_WINDOW="FFFFE0", COLOR_CAPTIONTEXT="400040"), plum,
             {LABEL: (navy, white), LIST: (ivory, black), START: (yellow, black), LAP: (green, black)}),
            # The label was white on white, and the buttons' captions white on pastel.
            ("High Contrast Black", harness.high_contrast(**high_contrast_black), black,
             {LABEL: (black, white), LIST: (black, white), START: (black, white), LAP: (black, white)}),
        ]

        def shown(window, controls):
            """The commonest colour of each control and whether its text colour shows; the
            colours of a strip of the window's background right of the dial."""
            def look(control_id, text):
                pixels = collections.Counter(pixel for row in screen_pixels(screen_rect(window, control_id))
                                             for pixel in row)
                return pixels.most_common(1)[0][0], pixels[text] > 0
            client = window["client"]
            strip = (client["left"] + 256, client["top"] + 10, client["left"] + 257, client["top"] + 250)
            return ({control_id: look(control_id, text) for control_id, (_, text) in controls.items()},
                    set(row[0] for row in screen_pixels(strip)))

        with Program(self, settings()) as program:
            clicks = Clicks()
            window = program.read()
            for _ in range(4):  # two lines, the first of them not selected
                clicks.click_control(window, START)
            program.wait_for(lambda w: len(find_control(w, LIST)["lines"]) == 2, "two records")
            for what, scheme, background, controls in cases:
                with self.subTest(what), scheme:
                    want = ({control_id: (colours[0], True) for control_id, colours in controls.items()}, {background})
                    assert_settles(self, lambda: shown(window, controls), want, what)
            program.choose("Arch", "Cerr")
            program.wait_exit()


class Model(BindingsModel):
    """The bindings' model, and what the window should show for it."""

    def __init__(self):
        super().__init__(unselected=-1)

    def shows(self):
        return dict(captions=CAPTIONS[self.running], records=self.records, selected=self.selected,
                    buttons_shown=(self.shown, self.shown), lap_mode=self.lap_mode)


def shows(window):
    start, lap, lap_list = (find_control(window, control_id) for control_id in (START, LAP, LIST))
    return dict(captions=(start["text"], lap["text"]), records=len(lap_list["lines"]), selected=lap_list["selection"],
                buttons_shown=(start["visible"], lap["visible"]),
                lap_mode=menu_item(window["menu"], ["Conf", "Modo    ", "Lap     "])["checked"])


# (target, button, double click), in Normal mode and then in Lap mode, from a stopped,
# cleared stopwatch with the buttons shown. Presses on "line" hit the list's first line.
NORMAL_WALK = [
    ("label", LEFT, False), ("label", RIGHT, False), ("dial", MIDDLE, False), ("cmdStart", RIGHT, False),
    ("cmdLap", MIDDLE, False), ("cmdLap", RIGHT, False), ("line", LEFT, False), ("background", RIGHT, False),
    ("dial", LEFT, True), ("background", LEFT, False), ("dial", RIGHT, False), ("background", MIDDLE, True),
    ("line", LEFT, True), ("cmdLap", LEFT, False), ("cmdStart", LEFT, False), ("cmdStart", LEFT, True),
    ("cmdLap", RIGHT, True), ("line", RIGHT, True), ("dial", LEFT, False), ("dial", RIGHT, True),
    ("label", LEFT, True), ("cmdStart", LEFT, False),
]
LAP_WALK = [
    ("line", LEFT, False), ("label", LEFT, False), ("background", LEFT, False), ("label", RIGHT, False),
    ("label", LEFT, True), ("dial", RIGHT, False), ("dial", LEFT, False), ("dial", LEFT, False),
    ("dial", RIGHT, False), ("dial", LEFT, False), ("background", RIGHT, False), ("dial", MIDDLE, False),
    ("dial", LEFT, True), ("line", RIGHT, False), ("dial", RIGHT, False), ("cmdStart", MIDDLE, False),
    ("cmdLap", RIGHT, False), ("cmdStart", LEFT, False), ("line", LEFT, True), ("cmdLap", LEFT, False),
    ("background", LEFT, True), ("dial", RIGHT, True), ("cmdStart", LEFT, False), ("cmdLap", LEFT, False),
]


class Bindings(harness.unittest.TestCase):
    def test_every_binding_in_both_modes(self):
        with Program(self, settings()) as program:
            self.program, self.model, self.clicks = program, Model(), Clicks()
            self.settle("the window at start")
            self.make_room_for_every_line()
            for target, button, double in NORMAL_WALK:
                self.input(target, button, double)
            program.choose("Conf", "Modo    ", "Lap     ")
            self.model.lap_mode = True
            self.settle("Lap mode chosen")
            for target, button, double in LAP_WALK:
                self.input(target, button, double)
            program.close_by_window_manager()
            program.wait_exit()

    def make_room_for_every_line(self):
        """A taller window, so that the list shows all the walk's lines from the first: the
        list follows the window's height down to 60 twips above its bottom."""
        window = self.program.read()
        frame = window["frame"]
        xdotool("windowsize", self.program.x_window(), frame["right"] - frame["left"], 880)
        window = self.program.wait_for(lambda w: w["client"]["bottom"] - w["client"]["top"] > 800, "a taller window")
        client = window["client"]
        self.assertEqual(rect(find_control(window, LIST))[3], client["bottom"] - client["top"] - 4)

    def settle(self, what):
        """Waits for the window to show what the model says."""
        assert_settles(self, lambda: shows(self.program.read()), self.model.shows(), what)

    def spot(self, target):
        window = self.program.read()
        if target == "background":  # right of the dial, which leaves a strip of the window's own
            return window["client"]["left"] + 256, window["client"]["top"] + 130
        if target == "line":
            self.assertGreater(len(find_control(window, LIST)["lines"]), 0, "a line to press on")
            left, top, _, _ = screen_rect(window, LIST)
            return left + 40, top + 10
        control_id = {"label": LABEL, "dial": DIAL, "cmdStart": START, "cmdLap": LAP}[target]
        left, top, right, bottom = screen_rect(window, control_id)
        return (left + right) // 2, (top + bottom) // 2

    def input(self, target, button, double):
        mode = "Lap" if self.model.lap_mode else "Normal"
        state = "running" if self.model.running else "stopped"
        what = f"{mode} mode, {state}: button {button} {'double click' if double else 'press'} on {target}"
        x, y = self.spot(target)
        self.clicks.click(x, y, button, double)
        (self.model.double_click if double else self.model.press)(target, button)
        self.settle(what)


# ---- the lap lines of each display mode, for the user's number signs ----

FRAME_STARTS = [0, 42, 84, 126, 167, 209, 251, 292, 334, 376, 417, 459, 501, 542, 584, 626, 667, 709, 751, 791,
                834, 876, 917, 959]


def frame(ms):
    return max(i for i, start in enumerate(FRAME_STARTS) if start <= ms % 1000)


def grouped(value, group):
    return f"{value:,}".replace(",", group)


def seconds_line(ms, group, decimal):
    return f"{grouped(ms // 1000, group) + decimal + f'{ms % 1000:03d}':>10} 秒"


def hms_line(ms, group, decimal):
    def field(value, unit):
        return f"{value:>2}{unit}" if value else "  \u3000"
    return field(ms // 3600000, "時") + field(ms // 60000 % 60, "分") + field(ms // 1000 % 60, "秒") + f"{ms % 1000:03d}"


def frames_line(ms, group, decimal):
    return f"{grouped(ms // 1000 * 24 + frame(ms), group):>6} コマ"


def ssk_line(ms, group, decimal):
    seconds, block = ms // 1000, ms // 6000
    second = seconds % 6
    return ((f"{block:>3}:" if block else "   :") + (f"{second:>2}:" if second or block else "  :") +
            f"{frame(ms):>2}K [{seconds:>3}:{frame(ms):>2}K]")


DISPLAY_MODES = [("HMS   ", "HMS", "[時分秒]", hms_line), ("24F ", "24F", "[コマ数]", frames_line),
                 ("SEC KEY  ", "SEC KEY", "[ﾌﾚｰﾑ:秒:ｺﾏ]", ssk_line), ("SC", "SC", "[秒]", seconds_line)]


class Records(harness.unittest.TestCase):
    INTERNATIONAL = r"HKCU\Control Panel\International"

    def setUp(self):
        # Signs unlike the usual ones, so that the lines show whose they follow.
        self.signs = {name: harness.PREFIX.registry_value(self.INTERNATIONAL, name) for name in ("sThousand", "sDecimal")}
        harness.PREFIX.set_registry_value(self.INTERNATIONAL, "sThousand", ".")
        harness.PREFIX.set_registry_value(self.INTERNATIONAL, "sDecimal", ",")

    def tearDown(self):
        for name, value in self.signs.items():
            harness.PREFIX.set_registry_value(self.INTERNATIONAL, name, value)

    def test_records_in_every_display_mode_and_reset(self):
        with Program(self, settings()) as program:
            clicks = Clicks()
            window = program.read()
            self.assertEqual(find_control(window, LABEL)["text"], "0,000")
            clicks.click_control(window, START)
            started = time.monotonic()
            time.sleep(1.2)
            clicks.click_control(window, LAP)
            time.sleep(max(0.0, started + 6.4 - time.monotonic()))
            clicks.click_control(window, START)  # stop: a second record, beyond the first six-second block
            program.wait_for(lambda w: len(find_control(w, LIST)["lines"]) == 2, "two records")
            clicks.click_control(window, START)  # resume
            time.sleep(0.6)
            clicks.click_control(window, START)
            window = program.wait_for(lambda w: len(find_control(w, LIST)["lines"]) == 3, "three records")

            lines = find_control(window, LIST)["lines"]
            records = []
            for line in lines:
                match = re.fullmatch(r" *(\d{1,3}(?:\.\d{3})*),(\d{3}) 秒", line)
                self.assertIsNotNone(match, line)
                self.assertEqual(len(line), 12, line)
                records.append(int(match[1].replace(".", "")) * 1000 + int(match[2]))
            self.assertTrue(700 <= records[0] <= 2500, records)
            self.assertTrue(6000 <= records[1] <= 8000, records)
            self.assertTrue(200 <= records[2] - records[1] <= 1500, records)  # resumed from the second
            label = find_control(window, LABEL)["text"]
            self.assertRegex(label, r"^\d+,\d{3}$")
            self.assertEqual(find_control(window, LIST)["selection"], 2)
            # The dial is named with the time its hand shows, at most a few frames before the stop.
            hand = re.fullmatch(r"Dial at (\d+),(\d{3}) seconds", find_control(window, DIAL)["accessible"]["name"])
            self.assertIsNotNone(hand, find_control(window, DIAL)["accessible"])
            self.assertTrue(0 <= records[2] - (int(hand[1]) * 1000 + int(hand[2])) < 250, (hand[0], records))

            for caption, mark, suffix, line_of in DISPLAY_MODES:
                program.choose("Conf", "Marcadores  ", caption)
                window = program.wait_for(lambda w: w["title"] == BASE_CAPTION + suffix, f"the caption of {caption}")
                self.assertEqual(find_control(window, LIST)["lines"], [line_of(ms, ".", ",") for ms in records])
                self.assertEqual(find_control(window, LIST)["selection"], 2)
                self.assertEqual(outline(menu_item(window["menu"], ["Conf", "Marcadores  "])["items"]),
                                 mode_marks({mark}))

            # The user changes the number signs: every line is written anew in them.
            harness.PREFIX.set_registry_value(self.INTERNATIONAL, "sThousand", "'")
            harness.PREFIX.set_registry_value(self.INTERNATIONAL, "sDecimal", ".")
            program.number_signs_changed()
            window = program.wait_for(
                lambda w: find_control(w, LIST)["lines"] == [seconds_line(ms, "'", ".") for ms in records],
                "the lines in the new signs")

            clicks.click_control(window, LAP)  # Reset
            window = program.wait_for(lambda w: not find_control(w, LIST)["lines"], "the list to empty")
            self.assertEqual(find_control(window, LABEL)["text"], "0.000")
            self.assertEqual(find_control(window, DIAL)["accessible"]["name"], "Dial at 0.000 seconds")
            self.assertEqual(find_control(window, LIST)["selection"], -1)
            program.close_by_window_manager()
            program.wait_exit()


    def test_lines_keep_a_sign_the_font_lacks_which_only_their_drawing_stands_in_for(self):
        harness.PREFIX.set_registry_strings(r"HKEY_CURRENT_USER\Control Panel\International", {"sDecimal": "\u202f"})
        with Program(self, settings()) as program:
            clicks = Clicks()
            window = program.read()
            clicks.click_control(window, START)
            time.sleep(1.2)
            clicks.click_control(window, START)
            window = program.wait_for(lambda w: len(find_control(w, LIST)["lines"]) == 1, "a record")
            lap_list = find_control(window, LIST)
            # The list's font has no narrow space: the list draws a stand-in one cell wide.
            self.assertGreater(lap_list["font"]["missing_glyphs"], 0)
            self.assertRegex(lap_list["lines"][0], r"^ +\d\u202f\d{3} 秒$")
            self.assertRegex(find_control(window, DIAL)["accessible"]["name"], r"^Dial at \d\u202f\d{3} seconds$")
            program.close_by_window_manager()
            program.wait_exit()


class Pointer(harness.unittest.TestCase):
    def test_held_while_running_and_let_go_by_stop_and_by_closing(self):
        with Program(self, settings()) as program:
            clicks = Clicks()
            window = program.read()
            client = window["client"]

            def inside(point):
                return client["left"] <= point[0] < client["right"] and client["top"] <= point[1] < client["bottom"]

            clicks.click_control(window, START)
            program.wait_for(lambda w: find_control(w, START)["text"] == "ストップ", "the watch to run")
            clip = program.clip()
            self.assertEqual((clip["clipped"], clip["clip"]), (True, client))
            for corner in ((0, 0), (2000, 2000), (0, 2000)):
                xdotool("mousemove", *corner)
                time.sleep(0.1)
                self.assertTrue(inside(pointer()), f"a move towards {corner} stops at the window's edge")

            # Moved while running (by the keyboard, by Windows): the clip follows; minimised: let go.
            frame = window["frame"]
            xdotool("windowmove", "--sync", program.x_window(), frame["left"] + 150, frame["top"] + 90)
            moved = program.wait_for(lambda w: w["client"] != client, "the window to move")["client"]
            poll(lambda: program.clip()["clip"] == moved, "the clip where the window is now")
            xdotool("windowminimize", "--sync", program.x_window())
            poll(lambda: not program.clip()["clipped"], "the pointer let go while minimised")
            xdotool("windowactivate", "--sync", program.x_window())
            poll(lambda: program.clip()["clip"] == moved, "the clip again once restored")
            window = program.read()

            clicks.click_control(window, START)
            program.wait_for(lambda w: find_control(w, START)["text"] == "スタート", "the watch to stop")
            self.assertFalse(program.clip()["clipped"])
            poll(lambda: not program.pointer_held(), "the pointer to be let go")

            clicks.click_control(window, START)
            program.wait_for(lambda w: find_control(w, START)["text"] == "ストップ", "the watch to run again")
            program.choose("Arch", "Cerr")  # the keyboard still reaches the menus
            program.wait_exit()
            self.assertFalse(program.clip()["clipped"], "closing while running lets the pointer go")


class Rest(harness.unittest.TestCase):
    # What the pointer did last before resting on the window, stopped: the controls
    # clicked in turn (a press on the list or the dial starts or stops), the pointer
    # left on the last; none, it only moved onto the label.
    LAST_DONE = [("moved onto the label", []), ("Reset", [LAP]), ("Start, then Stop", [START, START]),
                 ("two presses on the list", [LIST, LIST]), ("two presses on the dial", [DIAL, DIAL])]

    def test_a_stopped_watch_does_not_wake_whatever_the_pointer_did(self):
        with Program(self, settings()) as program:
            clicks, window = Clicks(), program.read()
            for what, clicked in self.LAST_DONE:
                with self.subTest(what):
                    if not clicked:
                        left, top, right, bottom = screen_rect(window, LABEL)
                        Program.move_pointer((left + right) // 2, (top + bottom) // 2)
                    for control_id in clicked:
                        clicks.click_control(window, control_id)
                    program.wait_for(lambda w: find_control(w, START)["text"] == "スタート", "the watch stopped")
                    time.sleep(1)  # what the clicks set off is done
                    self.assertLessEqual(harness.wakeups(program.process.pid, 2), 5, "wake-ups a second")
            program.close_by_window_manager()
            program.wait_exit()


class Settings(harness.unittest.TestCase):
    CHOICES = [("Conf", "Marcadores  ", "SEC KEY  "), ("Conf", "Modo    ", "Lap     "), ("Conf", "Sonido", "On  "),
               ("Conf", "Ver ", "Digital "), ("Window", "Encima de Todo")]
    CHOSEN = settings(ShowDigital=0, LapType=4, WindowForceFront=1, BehaviorMode=1, PlaySound=1)

    def test_written_on_close_and_read_at_the_next_start(self):
        with Program(self, settings()) as program:
            program.read()
            for choice in self.CHOICES:
                program.choose(*choice)
            poll(program.topmost, "the window to stay on top")
            program.close_by_window_manager()
            program.wait_exit()
            self.assertEqual(program.saved_settings().splitlines(), self.CHOSEN.splitlines())

        with Program(self, self.CHOSEN) as program:
            window = program.read()
            self.assertEqual(window["title"], BASE_CAPTION + "[ﾌﾚｰﾑ:秒:ｺﾏ]")
            self.assertTrue(window["topmost"])
            self.assertFalse(find_control(window, LABEL)["visible"])
            menu = window["menu"]
            for path, checked in [(("Conf", "Marcadores  ", "SEC KEY  "), True), (("Conf", "Marcadores  ", "SC"), False),
                                  (("Conf", "Modo    ", "Lap     "), True), (("Conf", "Modo    ", "Norm"), False),
                                  (("Conf", "Sonido", "On  "), True), (("Conf", "Sonido", "Off   "), False),
                                  (("Conf", "Ver ", "Digital "), False), (("Conf", "Ver ", "Btn "), True),
                                  (("Window", "Encima de Todo"), True), (("Window", "Normal  "), False)]:
                self.assertEqual(menu_item(menu, path)["checked"], checked, path)
            # The buttons and the list move up into the label's place.
            self.assertEqual((rect(find_control(window, START))[1], rect(find_control(window, LIST))[1]),
                             (3900 // 15, 4440 // 15))
            program.choose("Arch", "Cerr")
            program.wait_exit()
            self.assertEqual(program.saved_settings().splitlines(), self.CHOSEN.splitlines())

    def test_written_at_the_end_of_the_session(self):
        with Program(self, settings()) as program:
            program.read()
            program.choose("Conf", "Marcadores  ", "HMS   ")
            program.wait_for(lambda w: w["title"] == BASE_CAPTION + "[時分秒]", "the HMS caption")
            harness.PREFIX.wine("wineboot", "--end-session", timeout=harness.TIMEOUT)
            program.wait_exit()
            self.assertEqual(program.saved_settings().splitlines(), settings(LapType=2).splitlines())


class HostileFiles(harness.unittest.TestCase):
    def test_reported_and_survived(self):
        garbage = b"\x00\x01\x02garbage\x80\x81\xfe\n[ToviraWatch\n=\n\xff\xfe\x00Showbutton\x00=1\n" * 3
        cases = [
            # (what, settings, tick.wav beside the program, the boxes at start,
            #  the caption, whether the buttons, the label and the dial show, the file written back)
            ("a display mode that is no number", settings(LapType="abc"), True, [106],
             "", (True, True, True), settings_text(**dict(SHIPPED, LapType=0, AnalogScale=0, AnalogColor="",
                                                          PlaySound=0))),
            ("garbage bytes", garbage, True, [106], "", (False, False, False), None),
            ("a huge value, then one beyond the range", settings(ShowAnalog=2147483647, LapType="99999999999"), True,
             [106], "", (True, True, False), settings_text(**dict(SHIPPED, ShowAnalog=0, LapType=0, AnalogScale=0,
                                                                 AnalogColor=""))),
            ("no tick.wav", settings(), False, [4], "[秒]", (True, True, True), settings()),
        ]
        for what, content, tick_sound, boxes, suffix, shown, written in cases:
            with self.subTest(what), Program(self, content, tick_sound=tick_sound) as program:
                for code in boxes:
                    program.dismiss_box(failure(code))
                window = program.read()
                self.assertEqual(window["title"], BASE_CAPTION + suffix)
                self.assertEqual(tuple(find_control(window, control_id)["visible"] for control_id in (START, LABEL, DIAL)),
                                 shown)
                program.close_by_window_manager()
                program.wait_exit()
                if written is not None:
                    self.assertEqual(program.saved_settings().splitlines(), written.splitlines())

    def test_no_tick_wav_with_the_sound_on_runs_in_silence(self):
        with Program(self, settings(PlaySound=1), tick_sound=False) as program:
            program.dismiss_box(failure(4))
            window = program.read()
            self.assertTrue(menu_item(window["menu"], ["Conf", "Sonido", "On  "])["checked"])
            Clicks().click_control(window, START)
            program.dismiss_box(failure(1))
            program.wait_for(lambda w: find_control(w, START)["text"] == "ストップ", "the watch to run all the same")
            program.choose("Arch", "Cerr")
            program.wait_exit()


class Folders(harness.unittest.TestCase):
    """The program unpacked into folders whose names no ANSI code page holds, and its
    settings in the user's own folder where it may not write its own."""

    NAMES = ["Łódź", "Ωmega", "タイマー"]

    def test_settings_kept_beside_the_program_in_a_folder_of_any_name(self):
        for name in self.NAMES:
            with self.subTest(name), Program(self, settings(), folder=name) as program:
                program.read()
                self.assertEqual(program.boxes(), [])
                program.choose("Conf", "Marcadores  ", "HMS   ")
                program.wait_for(lambda w: w["title"] == BASE_CAPTION + "[時分秒]", "the HMS caption")
                program.close_by_window_manager()
                program.wait_exit()
                self.assertEqual(program.saved_settings().splitlines(), settings(LapType=2).splitlines())

    def test_settings_kept_in_the_roaming_application_data_where_the_folder_is_not_writable(self):
        redirected = Path(tempfile.mkdtemp(prefix="tovira-wine-profile-"))
        self.addCleanup(shutil.rmtree, redirected, ignore_errors=True)
        share = harness.PREFIX.share("profiles", redirected)
        # (what, the folder as Windows names it or None for the profile's own, where Wine keeps it)
        profile_folders = [
            ("the profile's own", None,
             next(path for path in (harness.PREFIX.path / "drive_c" / "users").glob("*/AppData/Roaming")
                  if path.parts[-3] != "Public")),
            ("a name outside every ANSI code page, its parents missing",
             harness.windows_path(redirected / "Użytkownik Ωmega" / "ユーザー" / "AppData" / "Roaming"),
             redirected / "Użytkownik Ωmega" / "ユーザー" / "AppData" / "Roaming"),
            ("a share, its parents missing", share + r"\Ωmega\AppData\Roaming", redirected / "Ωmega" / "AppData" / "Roaming"),
        ]
        for what, windows_folder, folder in profile_folders:
            redirection = harness.PREFIX.app_data(windows_folder) if windows_folder else contextlib.nullcontext()
            with self.subTest(what), redirection, Program(self, settings(), folder="タイマー", writable=False) as program:
                program.read()
                self.assertEqual(program.boxes(), [], "the shared settings read beside the program")
                program.choose("Conf", "Marcadores  ", "HMS   ")
                program.wait_for(lambda w: w["title"] == BASE_CAPTION + "[時分秒]", "the HMS caption")
                program.close_by_window_manager()
                program.wait_exit()
                self.assertEqual(program.saved_settings(), settings(), "the shared settings as they were")
                self.assertEqual(sorted(path.name for path in program.folder.iterdir()),
                                 ["ToviraWatch.exe", "ToviraWatch.ini", "tick.wav"])
                copy = folder / "ToviraWatch" / "ToviraWatch.ini"
                self.assertEqual(copy.read_bytes().splitlines(), settings(LapType=2).splitlines())
                shutil.rmtree(copy.parent)


def wave(tag=1, channels=1, rate=48000, bits=16, data=bytes(2000), data_size=None, fmt_size=None):
    """A WAVE image that lies where told to."""
    block = channels * bits // 8
    fmt = struct.pack("<HHIIHH", tag, channels, rate, rate * block, block, bits)
    body = (b"WAVE" + b"fmt " + struct.pack("<I", len(fmt) if fmt_size is None else fmt_size) + fmt +
            b"data" + struct.pack("<I", len(data) if data_size is None else data_size) + data)
    return b"RIFF" + struct.pack("<I", len(body)) + body


class TickSound(harness.unittest.TestCase):
    """The tick through Wine's PulseAudio driver, on a server with a null sink."""

    @classmethod
    def setUpClass(cls):
        cls.enterClassContext(SoundServer())

    @staticmethod
    def press_start(program, running):
        Clicks().click_control(program.read(), START)
        pressed = time.monotonic()
        program.wait_for(lambda w: find_control(w, START)["text"] == CAPTIONS[running][0],
                         "the watch to run" if running else "the watch to stop")
        return pressed

    def test_heard_while_running_and_silent_after_stop(self):
        with Recorder() as heard, Program(self, settings(PlaySound=1)) as program:
            started = self.press_start(program, True)
            ticks = heard.wait_ticks(2, since=started)
            time.sleep(max(0.0, ticks[-1] + 0.5 - time.monotonic()))  # Stop halfway to the next tick
            stopped = self.press_start(program, False)
            heard.wait_recorded(stopped + 1.5)
            self.assertEqual(heard.ticks_since(stopped), [], "ticks after Stop")
            self.assertTrue(heard.silent_since(stopped), f"peak level {heard.peak_since(stopped)} after Stop")
            program.choose("Arch", "Cerr")
            program.wait_exit()

    def test_a_file_that_is_no_sound_plays_nothing_and_harms_nothing(self):
        shipped = (harness.PROGRAM_DIR / "tick.wav").read_bytes()
        cases = [
            ("a data chunk claiming 64 MiB over 1,000 bytes", wave(data=bytes(1000), data_size=64 << 20)),
            ("a RIFF cut inside its fmt chunk", shipped[:30]),
            ("a fmt chunk claiming 0xFFFFFFFF bytes", wave(fmt_size=0xFFFFFFFF)),
            ("zero channels", wave(channels=0)),
            ("an absurd rate", wave(rate=0x7FFFFFFF)),
            ("IMA ADPCM, a compressed format", wave(tag=0x11, bits=4, data=bytes(1024))),
        ]
        for what, image in cases:
            with self.subTest(what), Recorder() as heard, Program(self, settings(PlaySound=1), image) as program:
                started = self.press_start(program, True)
                heard.wait_recorded(started + 1.5)
                self.assertEqual((program.process.poll(), program.boxes()), (None, []), "still running, no box")
                self.assertTrue(heard.silent_since(started), f"peak level {heard.peak_since(started)}")
                self.press_start(program, False)
                program.close_by_window_manager()
                program.wait_exit()
                self.assertEqual(program.saved_settings().splitlines(), settings(PlaySound=1).splitlines())


if __name__ == "__main__":
    harness.main()
