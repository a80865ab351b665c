"""Drives the real ToviraWatch executable on an X server with a window manager.

Each Program runs a private copy of the executable (with tick.wav, unless left
out) in a temporary folder holding the prepared settings file, so every test
starts from exactly the files it names. The program is driven with xdotool and
wmctrl and observed with xprop, xwininfo and screenshots. Every wait polls a
condition until a deadline; nothing relies on a sleep of the right length.
"""

import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "walk"))
from walk import BASE_CAPTION, BOX_TITLE, ProgramProcess, failure, poll, run, settings_text  # noqa: E402,F401

PROGRAM_DIR = Path(os.environ["TOVIRA_PROGRAM_DIR"])
PLUGIN_DIR = os.environ.get("TOVIRA_E2E_PLUGINS", "")
SHOTS_DIR = os.environ.get("TOVIRA_E2E_SHOTS", "")
TIMEOUT = 10.0

CLIENT_WIDTH, CLIENT_HEIGHT = 258, 420

# Menu items by caption: (index of the menu bar title, indexes down the submenus).
MENU = {
    "Cerr": (0, [0]),
    "Norm": (1, [0, 0]), "Lap": (1, [0, 1]),
    "On": (1, [1, 0]), "Off": (1, [1, 1]),
    "Btn": (1, [2, 0]), "Digital": (1, [2, 1]), "Analogo": (1, [2, 2]),
    "SC": (1, [3, 0]), "HMS": (1, [3, 1]), "24F": (1, [3, 2]), "SEC KEY": (1, [3, 3]),
    "6": (1, [4, 0]),
    "Normal": (2, [0]), "Encima de Todo": (2, [1]),
}


def twips(value):
    """Pixels at 15 twips per pixel."""
    return round(value / 15)


def xdotool(*args):
    return run("xdotool", *map(str, args))


class Screenshot:
    """The root window as RGB pixels."""

    def __init__(self):
        data = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"],
                              capture_output=True, check=True).stdout
        fields = data.split(maxsplit=4)  # P6, width, height, maxval, pixels
        if fields[0] != b"P6" or fields[3] != b"255":
            raise AssertionError("unexpected screenshot format")
        self.width, self.height = int(fields[1]), int(fields[2])
        self.pixels = fields[4]

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])


class Window:
    def __init__(self, wid):
        self.id = int(wid)

    def _property(self, name, fmt):
        out = run("xprop", "-id", str(self.id), "-notype", "-f", name, fmt, name)
        _, _, value = out.partition("=")
        return value.strip()

    def caption(self):
        """_NET_WM_NAME, read as bytes so that no locale gets in the way."""
        value = self._property("_NET_WM_NAME", "8x")
        return bytes(int(b, 16) for b in value.split(",")).decode() if value else ""

    def states(self):
        value = self._property("_NET_WM_STATE", "32a")
        return {atom.strip() for atom in value.split(",") if atom.strip()}

    def geometry(self):
        """Outer position of the program's own window (without the frame) and its size."""
        out = run("xwininfo", "-id", str(self.id))
        field = lambda label: int(re.search(label + r":\s+(-?\d+)", out).group(1))
        return (field("Absolute upper-left X"), field("Absolute upper-left Y"),
                field("Width"), field("Height"))


class Program(ProgramProcess):
    """The program in a temporary folder of its own: start, watch, drive, close."""

    def __init__(self, test, settings=None, tick_sound=True, ignored_signals=()):
        self.test = test
        self.settings = settings
        self.tick_sound = tick_sound
        self.ignored_signals = ignored_signals  # ignored as the program starts, as nohup ignores SIGHUP
        self.process = None
        self.window = None
        self.menu_bar_height = None
        self.boxes_seen = 0
        self.shots_saved = 0
        self.snapshot_offset = 0
        self.snapshot_lines = []

    # ---- lifetime -------------------------------------------------------------------------------

    def __enter__(self):
        self.root = Path(tempfile.mkdtemp(prefix="tovira-e2e-"))
        self.folder = self.root / "program"
        self.folder.mkdir()
        shutil.copy2(PROGRAM_DIR / "ToviraWatch", self.folder)
        if self.tick_sound:
            shutil.copy2(PROGRAM_DIR / "tick.wav", self.folder)
        if self.settings is not None:
            self.settings_path.write_bytes(self.settings)
        self.box_log = self.root / "boxes.log"
        self.state_log = self.root / "states.log"
        env = dict(os.environ, QT_PLUGIN_PATH=PLUGIN_DIR, QT_QPA_GENERIC_PLUGINS="toviraprobe",
                   TOVIRA_E2E_BOX_LOG=str(self.box_log), TOVIRA_E2E_STATE_LOG=str(self.state_log))
        self.output = open(self.root / "output.log", "wb")
        def ignore():
            for number in self.ignored_signals:
                signal.signal(number, signal.SIG_IGN)
        self.process = subprocess.Popen([str(self.folder / "ToviraWatch")], cwd=self.root, env=env,
                                        stdout=self.output, stderr=subprocess.STDOUT, preexec_fn=ignore)
        return self

    def wait_exit(self):
        super().wait_exit()
        self.test.assertEqual(self.boxes_seen, len(self.box_texts()), "a failure box was shown at shut-down")

    # ---- windows and message boxes --------------------------------------------------------------

    def windows(self, name_pattern):
        out = run("xdotool", "search", "--all", "--pid", str(self.process.pid), "--onlyvisible",
                  "--name", name_pattern, check=False)
        return [Window(line) for line in out.split()]

    def snapshots(self):
        """What the window showed after each mouse button or key released, oldest first."""
        if self.state_log.exists():
            with open(self.state_log, "rb") as log:
                log.seek(self.snapshot_offset)
                data = log.read()
            complete = data[:data.rfind(b"\n") + 1]
            self.snapshot_offset += len(complete)
            self.snapshot_lines += [json.loads(line) for line in complete.splitlines()]
        return self.snapshot_lines

    def box_texts(self):
        return self.box_log.read_text(encoding="utf-8").splitlines() if self.box_log.exists() else []

    def dismiss_box(self, expected_text):
        """Waits for the next failure box, checks its text and closes it with Return."""
        box = poll(lambda: self.windows(f"^{BOX_TITLE}$"), "a message box")[0]
        self.boxes_seen += 1
        texts = poll(lambda: len(self.box_texts()) >= self.boxes_seen and self.box_texts(), "the box's text")
        self.test.assertEqual(texts[self.boxes_seen - 1], expected_text)
        xdotool("windowactivate", "--sync", box.id)
        xdotool("key", "Return")
        poll(lambda: not any(w.id == box.id for w in self.windows(f"^{BOX_TITLE}$")), "the box to close")

    def main_window(self):
        """Waits until the window is up and placed; fails if any further box was shown."""
        if self.window is None:
            self.window = poll(lambda: self.windows(f"^{re.escape(BASE_CAPTION)}"), "the main window")[0]
            last = [None]

            def settled():
                now, last[0] = last[0], self.window.geometry()
                return now == last[0]
            poll(settled, "the window to settle")
            self.menu_bar_height = self.window.geometry()[3] - CLIENT_HEIGHT
            self.test.assertTrue(10 < self.menu_bar_height < 60, "client area height at start")
        self.test.assertEqual(self.box_texts()[self.boxes_seen:], [], "unexpected failure boxes")
        return self.window

    def wait_caption(self, caption):
        poll(lambda: self.window.caption() == caption, f"the caption {caption!r}")

    # ---- input ----------------------------------------------------------------------------------

    def to_screen(self, x, y):
        """Screen position of a point given in client-area pixels."""
        left, top, _, _ = self.window.geometry()
        return left + x, top + self.menu_bar_height + y

    def click(self, x, y, button=1, repeat=1):
        sx, sy = self.to_screen(x, y)
        xdotool("mousemove", sx, sy)
        poll(lambda: self.pointer() == (sx, sy), "the pointer to arrive")
        xdotool("click", "--repeat", repeat, "--delay", 60, button)

    def pointer(self):
        out = xdotool("getmouselocation", "--shell")
        values = dict(line.split("=") for line in out.split())
        return int(values["X"]), int(values["Y"])

    def pointer_held(self):
        """Whether the pointer is held in the window: a move to the screen's corner stops short of it."""
        xdotool("mousemove", 0, 0)
        time.sleep(0.05)  # the move is asynchronous; callers poll this answer
        return self.pointer() != (0, 0)

    def wait_running(self, running):
        poll(lambda: self.pointer_held() == running, "the stopwatch to " + ("run" if running else "stop"))

    def keys(self, *keys):
        xdotool("windowactivate", "--sync", self.window.id)
        xdotool("key", "--delay", 80, *keys)

    @staticmethod
    def menu_keys(caption):
        """The keys that choose a menu item from the keyboard, which works while the pointer is held."""
        title, path = MENU[caption]
        keys = ["alt"] + ["Right"] * title + ["Down"]
        for level, index in enumerate(path):
            keys += ["Down"] * index
            keys.append("Return" if level == len(path) - 1 else "Right")
        return keys

    def choose(self, caption):
        self.keys(*self.menu_keys(caption))

    def close_by_window_manager(self):
        run("wmctrl", "-i", "-c", hex(self.window.id))

    # ---- pictures -------------------------------------------------------------------------------

    def screenshot(self):
        """The screen with the client area's origin on it."""
        shot = Screenshot()
        shot.origin = self.to_screen(0, 0)
        return shot

    @staticmethod
    def client_pixel(shot, x, y):
        return shot.pixel(shot.origin[0] + x, shot.origin[1] + y)

    def save_screenshot(self, label):
        """Keeps a picture of the screen for review when TOVIRA_E2E_SHOTS names a folder."""
        if not SHOTS_DIR:
            return
        Path(SHOTS_DIR).mkdir(parents=True, exist_ok=True)
        self.shots_saved += 1
        name = re.sub(r"\W+", "_", f"{self.test.id().split('.')[-1]}_{self.shots_saved:02d}_{label}")
        path = Path(SHOTS_DIR) / f"{name}.png"
        subprocess.run(["import", "-window", "root", str(path)], check=True)


def is_selection(rgb):
    """The list's selection is tinted blue; its lines are black on white."""
    r, g, b = rgb
    return b - r >= 15 and b > 150


def selection_band(program, x, top, bottom):
    """Rows (client y, first and last) of the list's selection highlight in column x, or None."""
    shot = program.screenshot()
    rows = [y for y in range(top, bottom) if is_selection(program.client_pixel(shot, x, y))]
    return (rows[0], rows[-1]) if rows else None


def main():
    unittest.main(verbosity=2)
