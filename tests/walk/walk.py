"""What the black-box walks of the Linux and the Windows program share: waiting,
running tools, the settings file's text, the failure texts, the program's process
in a folder of its own, and the bindings of the mouse as a model of what the window
should show after each input."""

import shutil
import subprocess
import time

SETTINGS_FILE = "ToviraWatch.ini"
BASE_CAPTION = "Tovira Watch"
BOX_TITLE = "ToviraWatch"
KEY_ORDER = ["Showbutton", "ShowDigital", "ShowAnalog", "LapType", "AnalogScale", "AnalogColor",
             "WindowForceFront", "BehaviorMode", "PlaySound"]
LEFT, MIDDLE, RIGHT = 1, 2, 3  # xdotool's button numbers


def settings_text(**values):
    """The file the program writes for these values, keys in their fixed order."""
    lines = ["[ToviraWatch]"] + [f"{key}={values[key]}" for key in KEY_ORDER]
    return ("\n".join(lines) + "\n").encode()


def failure(code):
    return f"(CODE:{code:03d})致命的なエラー発生"


def poll(condition, what, timeout=10.0, interval=0.05):
    """Returns the first truthy result of condition(); fails after timeout seconds."""
    deadline = time.monotonic() + timeout
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


def run(*args, check=True, timeout=None):
    return subprocess.run(args, capture_output=True, text=True, check=check, timeout=timeout).stdout


class ProgramProcess:
    """The program's process, started from a temporary folder of its own (self.root,
    the program's files in self.folder), its output in self.output: ended and the
    folder removed when the test leaves it."""

    timeout = 10.0

    def __exit__(self, *exc):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.output.close()
        shutil.rmtree(self.root, ignore_errors=True)
        return False

    @property
    def settings_path(self):
        return self.folder / SETTINGS_FILE

    def saved_settings(self):
        return self.settings_path.read_bytes()

    def wait_exit(self):
        try:
            code = self.process.wait(self.timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError("the program did not end") from None
        self.test.assertEqual(code, 0, "exit status")


class BindingsModel:
    """What the window should show, carried through the commands as the bindings order
    them. Targets: "background", "label", "line", "below", "dial", "cmdStart", "cmdLap";
    `selected` is the selected line, `unselected` when there is none."""

    def __init__(self, unselected=None):
        self.unselected = unselected
        self.lap_mode = False
        self.running = False
        self.records = 0
        self.shown = True
        self.selected = unselected

    def start_click(self):
        if self.running:
            self.records += 1
            self.selected = self.records - 1
        self.running = not self.running

    def lap_click(self):
        if self.running:
            self.records += 1
            self.selected = self.records - 1
        else:
            self.records, self.selected = 0, self.unselected

    def show_button_click(self):
        self.shown = not self.shown

    def press(self, target, button):
        if target in ("cmdStart", "cmdLap"):
            if button == LEFT:
                (self.start_click if target == "cmdStart" else self.lap_click)()
            return
        if target == "line" and button == LEFT:
            self.selected = 0
        if button == MIDDLE:
            return
        if not self.lap_mode:
            (self.start_click if button == LEFT else self.lap_click)()
        elif button == LEFT:
            if self.running:
                self.lap_click()
            else:
                if target == "dial" and self.shown:
                    self.show_button_click()
                self.start_click()
        else:
            self.start_click()
            if target == "dial":
                self.show_button_click()

    def double_click(self, target, button):
        self.press(target, button)
        if button != LEFT or target in ("cmdStart", "cmdLap"):
            self.press(target, button)  # the second press is one more press
            return
        if target == "line":
            self.selected = 0
        (self.lap_click if self.lap_mode else self.start_click)()
