"""Drives the Windows ToviraWatch.exe under Wine on an X server with a window manager.

The Wine counterpart of tests/e2e/harness.py. A test run gets a Wine prefix of its
own (open_prefix() in setUpModule, close_prefix() in tearDownModule), made fresh
with the Japanese Windows UI fonts drawn by IPAGothic; open_prefix(ordinary_user=True)
runs every Wine program in it as an ordinary user (see Account). Each Program runs a
private copy of the executable (with tick.wav, unless left out) in a temporary folder
holding the prepared settings file; an InstalledProgram runs it where a package put
it. The window is read with window_reader.exe, which prints it as JSON, and driven
with xdotool and wmctrl. Every wait polls a condition until a deadline; nothing
relies on a sleep of the right length.
"""

import atexit
import contextlib
import json
import os
import pwd
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
import walk  # noqa: E402
from walk import BASE_CAPTION, BOX_TITLE, ProgramProcess, settings_text  # noqa: E402,F401

WINE = os.environ["TOVIRA_WINE"]
PROGRAM_DIR = Path(os.environ["TOVIRA_WINDOWS_PROGRAM_DIR"])
READER = Path(os.environ["TOVIRA_WINDOW_READER"])
TIMEOUT = 30.0  # Wine starts programs more slowly than Linux does
BOOT_TIMEOUT = 300.0


# The fonts a Japanese Windows draws its interface with, which no Linux machine has.
JAPANESE_UI_FONTS = ["MS UI Gothic", "Meiryo UI", "Meiryo", "MS Gothic", "ＭＳ ゴシック",
                     "MS PGothic", "ＭＳ Ｐゴシック", "Yu Gothic UI"]
STAND_IN_FONT = "IPAGothic"

# A fresh prefix must not stop to offer installing Mono or Gecko, nor put menu
# entries for its programs on the desktop. Wine opens files whose names are not
# ASCII only under a UTF-8 locale.
WINE_ENVIRONMENT = {"WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml=,winemenubuilder.exe=d",
                    "LC_ALL": "C.UTF-8"}


def poll(condition, what, timeout=TIMEOUT, interval=0.05):
    return walk.poll(condition, what, timeout, interval)


def run(*args, check=True):
    return walk.run(*args, check=check, timeout=TIMEOUT)


def run_wine(*args, timeout, **process):
    """Runs a Wine program with a prefix's process options (WinePrefix.process); its exit
    status, standard output and error output (bytes). Output goes through files, not
    pipes: the first Wine program in a prefix starts Wine's services, which inherit its
    output and would hold a pipe open long after the program ended."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        code = subprocess.run([WINE, *map(str, args)], stdout=out, stderr=err, timeout=timeout, **process).returncode
        out.seek(0)
        err.seek(0)
        return code, out.read(), err.read()


def xdotool(*args):
    return run("xdotool", *map(str, args))




# What ToviraWatch.ini holds as shipped (resources/settings/ToviraWatch.ini).
SHIPPED = dict(Showbutton=1, ShowDigital=1, ShowAnalog=1, LapType=1, AnalogScale=1, AnalogColor="C80000",
               WindowForceFront=0, BehaviorMode=0, PlaySound=0)


def settings(**changes):
    """The settings file the program writes for the shipped values with these changed."""
    return settings_text(**dict(SHIPPED, **changes))


# The class of the program's main window, which owns its failure boxes.
MAIN_WINDOW_CLASS = "ToviraWatch"


def failure(code):
    """The failure box the program shows for a code, owned by its main window."""
    return {"title": BOX_TITLE, "text": walk.failure(code), "icon": "error", "buttons": ["OK"],
            "owner": MAIN_WINDOW_CLASS}


def screen_pixels(rect):
    """The screen's pixels in a rectangle (left, top, right, bottom) as rows of (r, g, b)."""
    left, top, right, bottom = rect
    width, height = right - left, bottom - top
    data = subprocess.run(["import", "-window", "root", "-crop", f"{width}x{height}+{left}+{top}", "-depth", "8",
                           "rgb:-"], capture_output=True, check=True, timeout=TIMEOUT).stdout
    return [[tuple(data[(y * width + x) * 3:(y * width + x) * 3 + 3]) for x in range(width)] for y in range(height)]


def windows_path(path):
    """Wine's name for a Linux path: drive Z: is the root."""
    return "Z:" + str(path).replace("/", "\\")


# A registry value as reg query prints it: four blanks, name, type and data.
REGISTRY_VALUE = re.compile(r"^    (.*?)    (REG_\w+)    ?(.*)$")


def parse_registry(text):
    """reg query's output as {key as printed: {value name: data as printed}}."""
    keys, values = {}, None
    for line in text.splitlines():
        if line.startswith("HKEY_"):
            values = keys.setdefault(line.strip(), {})
        elif values is not None and (match := REGISTRY_VALUE.match(line)):
            values[match[1]] = match[3]
    return keys


class Account:
    """The user Wine runs as: the one running the test, unless an ordinary user is asked
    for while that is root. Wine run by root may write anywhere, so a folder made not
    writable would not stop the program: then, as when CI runs the tests, this is an
    ordinary user made for the run, given the X display's cookie, and removed with its
    home by close(). process holds the options of subprocess.run and Popen that run a
    program as this user."""

    def __init__(self, ordinary_user):
        self.created = ordinary_user and os.getuid() == 0
        if not self.created:
            self.name = pwd.getpwuid(os.getuid()).pw_name
            self.process = {}
            self.own_environment = None
            return
        self.name = f"tovira-wine-{os.getpid()}"
        run("useradd", "--create-home", "--shell", "/usr/sbin/nologin", self.name)
        entry = pwd.getpwnam(self.name)
        self.uid, self.gid = entry.pw_uid, entry.pw_gid
        cookie = Path(entry.pw_dir) / "Xauthority"
        shutil.copyfile(os.environ["XAUTHORITY"], cookie)
        self.own(cookie)
        self.process = dict(user=self.uid, group=self.gid, extra_groups=[])
        self.own_environment = dict(HOME=entry.pw_dir, USER=self.name, LOGNAME=self.name, XAUTHORITY=str(cookie))

    @property
    def environment(self):
        """Taken afresh from the test's own each time; a user made for the run gets only
        what it needs of it, with a home and a display cookie of its own."""
        if self.own_environment is None:
            return dict(os.environ)
        shared = {name: os.environ[name] for name in ("PATH", "LANG", "LC_ALL", "DISPLAY") if name in os.environ}
        return dict(shared, **self.own_environment)

    def own(self, path):
        """Gives a file or folder made by this test to the user."""
        if self.created:
            os.chown(path, self.uid, self.gid)

    def close(self):
        if self.created:
            run("userdel", "--remove", self.name)


class WinePrefix:
    """A Wine prefix of its own, made by wineboot and used by the account's user;
    close() ends its wineserver and removes it. Files its programs read are handed
    over with provide(), as the user may not be able to read the build tree."""

    def __init__(self, account):
        self.account = account
        self.path = Path(tempfile.mkdtemp(prefix="tovira-wine-"))
        self.wineserver = Path(WINE).with_name("wineserver")
        self.files = self.path / "provided"
        try:
            self._make()
        except BaseException:
            self.close()
            raise

    def _make(self):
        self.account.own(self.path)
        self.files.mkdir()
        self.account.own(self.files)
        # The probe the reader loads into the program lies beside it.
        self.reader = self.provide(READER)
        self.provide(READER.with_name("window_probe.dll"))
        started = time.monotonic()
        self.wine("wineboot", "-i")
        self._substitute_fonts(f'"{STAND_IN_FONT}"')
        # wineboot returns while Wine's services are still completing the prefix; until
        # they end, programs start slowly and unevenly.
        self._wineserver("--wait")
        self.boot_seconds = time.monotonic() - started
        # Kept running from now on: otherwise each reading of a window that finds no
        # program running starts the server and Wine's services anew.
        self._wineserver("--persistent")

    @property
    def process(self):
        """The options that run a program in the prefix as its user; the environment taken
        afresh for each program, so that it plays on a sound server entered since."""
        return dict(env=dict(self.account.environment, WINEPREFIX=str(self.path), **WINE_ENVIRONMENT),
                    **self.account.process)

    def _wineserver(self, option):
        subprocess.run([self.wineserver, option], check=True, timeout=BOOT_TIMEOUT, **self.process)

    def provide(self, source, name=None):
        """A copy of a file (under another name, if given) in a folder of the prefix's user; its path."""
        copy = self.files / (name or Path(source).name)
        shutil.copyfile(source, copy)
        self.account.own(copy)
        return copy

    def linux_path(self, path):
        """Where a path on the prefix's drive C: lies on Linux."""
        drive, _, rest = path.partition(":\\")
        if drive.upper() != "C":
            raise AssertionError(f"{path} is not on drive C:")
        return self.path.joinpath("drive_c", *rest.split("\\"))

    def wine(self, *args, timeout=BOOT_TIMEOUT):
        code, out, err = run_wine(*args, timeout=timeout, **self.process)
        if code != 0:
            raise AssertionError(f"wine {args} ended with {code}: {err!r}")
        return out

    def _substitute_fonts(self, data):
        """Each Japanese font's substitute set to the data as regedit reads it ("-" removes it)."""
        self.set_registry_data(r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes",
                               {font: data for font in JAPANESE_UI_FONTS})

    def set_registry_strings(self, key, values):
        """Sets string values, {name: data}, of a key given by its full name; names and data
        may hold any characters but quotes and backslashes."""
        self.set_registry_data(key, {name: f'"{data}"' for name, data in values.items()})

    def set_registry_data(self, key, values):
        """Sets values of a key given by its full name, {name: data as regedit reads it}:
        a string in quotes, or - to remove the value."""
        lines = ["Windows Registry Editor Version 5.00", "", f"[{key}]"]
        lines += [f'"{name}"={data}' for name, data in values.items()]
        registry_file = self.path / "values.reg"
        # regedit reads non-ASCII text only from a UTF-16 file with its byte order mark.
        registry_file.write_bytes("\r\n".join(lines + [""]).encode("utf-16"))
        self.account.own(registry_file)
        self.wine("regedit", "/S", windows_path(registry_file))

    @contextlib.contextmanager
    def without_japanese_ui_fonts(self):
        """As a Windows without its Japanese fonts: the stand-in font is only a face of its own name."""
        self._substitute_fonts("-")
        try:
            yield
        finally:
            self._substitute_fonts(f'"{STAND_IN_FONT}"')

    def registry(self, key):
        """Every value of a key and of the keys below it, {key: {name: data}} as reg
        query /s prints them; empty when the key does not exist."""
        return self._query(key, "/s")

    def registry_values(self, key):
        """The values of one key, {name: data}; empty when the key does not exist."""
        return next(iter(self._query(key).values()), {})

    def registry_value(self, key, name):
        """A value's data as reg prints it, or None when it is not set. (Its name is not
        compared: reg prints names in the console's code page.)"""
        values = [data for key_values in self._query(key, "/v", name).values() for data in key_values.values()]
        return values[0] if len(values) == 1 else None

    def _query(self, key, *options):
        code, out, _ = run_wine("reg", "query", key, *options, timeout=TIMEOUT, **self.process)
        return parse_registry(out.decode("utf-8", errors="replace")) if code == 0 else {}

    def set_registry_value(self, key, name, data, kind="REG_SZ"):
        self.wine("reg", "add", key, "/v", name, "/t", kind, "/d", data, "/f", timeout=TIMEOUT)

    def font_substitute(self, font):
        """The font drawn for the named one, or None. (reg prints names in the console's
        code page, so each is asked for by name rather than read from a listing.)"""
        return self.registry_value(r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes", font)

    @contextlib.contextmanager
    def app_data(self, windows_folder):
        """The user's roaming application data moved to a folder, as a folder redirection does."""
        key, name = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders", "AppData"
        before = self.registry_value(key, name)
        self.set_registry_value(key, name, windows_folder, "REG_EXPAND_SZ")
        try:
            yield
        finally:
            self.set_registry_value(key, name, before, "REG_EXPAND_SZ")

    def share(self, name, folder):
        r"""\\tovira\<name>, a share Wine finds at the folder."""
        server = self.path / "dosdevices" / "unc" / "tovira"
        server.mkdir(parents=True, exist_ok=True)
        (server / name).symlink_to(folder)
        return "\\\\tovira\\" + name

    def close(self):
        # --kill fails where no server runs, as after a failed boot.
        subprocess.run([self.wineserver, "--kill"], timeout=BOOT_TIMEOUT, **self.process)
        self._wineserver("--wait")
        shutil.rmtree(self.path, ignore_errors=True)


PREFIX = None


def open_prefix(ordinary_user=False):
    """Makes the test's prefix, used by an ordinary user when asked (Account). Whatever
    ends the test, close_prefix() runs: at exit too, and a SIGTERM (a cancelled CI job)
    ends the run as an interruption would, so that the user made for it goes again."""
    global PREFIX
    account = Account(ordinary_user)
    try:
        PREFIX = WinePrefix(account)
    except BaseException:
        account.close()
        raise
    atexit.register(close_prefix)
    signal.signal(signal.SIGTERM, signal.default_int_handler)
    return PREFIX


def close_prefix():
    """Removes the prefix and the user made for it; once only, however often called."""
    global PREFIX
    if PREFIX is None:
        return
    prefix, PREFIX = PREFIX, None
    try:
        prefix.close()
    finally:
        prefix.account.close()


def read(*arguments):
    """What window_reader.exe prints for these arguments, or None while it finds no such
    window or the window does not answer."""
    code, out, err = run_wine(PREFIX.reader, *arguments, timeout=TIMEOUT, **PREFIX.process)
    if code in (1, 3):
        return None
    if code != 0:
        raise AssertionError(f"window_reader {arguments} ended with {code}: {err!r}")
    return json.loads(out.decode("utf-8"))


@contextlib.contextmanager
def system_colors(**colors):
    """The main window's program given system colours as the display settings give them, e.g.
    COLOR_WINDOW="FFFFE0", and the old ones back afterwards."""
    def set_colors(settings):
        return read("--title", BASE_CAPTION, "--sys-colors", *settings)["previous"]
    previous = set_colors(f"{SYSTEM_COLORS[name]}={rgb}" for name, rgb in colors.items())
    try:
        yield
    finally:
        set_colors(previous)


@contextlib.contextmanager
def high_contrast(**colors):
    """The main window's program under a high-contrast scheme of these colours (see system_colors),
    as the user turns one on, and off again afterwards."""
    def turn(state):
        if not read("--title", BASE_CAPTION, "--high-contrast", state)["answered"]:
            raise AssertionError("the program asks nothing of the high-contrast scheme")
    with system_colors(**colors):
        turn("on")
        try:
            yield
        finally:
            turn("off")


SYSTEM_COLORS = dict(COLOR_WINDOW=5, COLOR_MENUTEXT=7, COLOR_WINDOWTEXT=8, COLOR_CAPTIONTEXT=9, COLOR_BTNFACE=15,
                     COLOR_BTNTEXT=18)


def activate(window_id):
    """Raises and focuses an X window. (xdotool's own --sync waits without a deadline.)"""
    xdotool("windowactivate", window_id)
    poll(lambda: xdotool("getactivewindow").strip() == str(window_id), "the window to be active")


def pointer():
    values = dict(line.split("=") for line in xdotool("getmouselocation", "--shell").split())
    return int(values["X"]), int(values["Y"])


def context_switches(pid):
    """Each thread's context switches so far, voluntary or not, {thread id: count}: each
    is a wait of the thread that ended, a wake-up."""
    counts = {}
    for task in Path(f"/proc/{pid}/task").iterdir():
        try:
            status = (task / "status").read_text()
        except OSError:  # the thread ended meanwhile
            continue
        counts[task.name] = sum(int(line.split()[1]) for line in status.splitlines() if "ctxt_switches:" in line)
    return counts


def wakeups(pid, seconds):
    """A process's wake-ups a second over the next seconds: of the threads it has then, those
    they had since the start (a thread that ends meanwhile takes its count with it)."""
    before = context_switches(pid)
    started = time.monotonic()
    time.sleep(seconds)
    after = context_switches(pid)
    return sum(count - before.get(thread, 0) for thread, count in after.items()) / (time.monotonic() - started)


def find_control(window, control_id):
    matches = [control for control in window["controls"] if control["id"] == control_id]
    if len(matches) != 1:
        raise AssertionError(f"{len(matches)} controls with id {control_id}")
    return matches[0]


def menu_item(menu, captions):
    """The item reached through the captions, menu bar title first."""
    items, item = menu, None
    for caption in captions:
        item = next((entry for entry in items if entry["text"] == caption), None)
        if item is None:
            raise AssertionError(f"no menu item {caption!r} among {[entry['text'] for entry in items]}")
        items = item.get("items", [])
    return item


def menu_keys(menu, captions):
    """The keys that choose a menu item from the keyboard: Alt to the menu bar, Right to
    the title, Down into it, then Down to each item and Right into its submenu, and
    Return. Separators are passed over by the arrows, so they are not counted."""
    def index(items, caption):
        selectable = [entry["text"] for entry in items if not entry["separator"]]
        return selectable.index(caption)

    title, *path = captions
    keys = ["alt"] + ["Right"] * index(menu, title) + ["Down"]
    items = menu_item(menu, [title])["items"]
    for level, caption in enumerate(path):
        keys += ["Down"] * index(items, caption)
        keys.append("Return" if level == len(path) - 1 else "Right")
        items = menu_item(items, [caption]).get("items", [])
    return keys


def protect(folder, protected):
    """Makes a folder and its files such that no file in it can be created or changed, as
    under C:\\Program Files, or undoes that. Root, whom Wine's server runs as under CI,
    may write anything a mode forbids, but not an immutable file."""
    paths = [*folder.iterdir(), folder]
    if os.geteuid() == 0:
        for path in paths:
            run("chattr", "+i" if protected else "-i", path)
    else:
        for path in paths:
            path.chmod((0o555 if path.is_dir() else 0o444) if protected else 0o755 if path.is_dir() else 0o644)


class Program(ProgramProcess):
    """The program in a temporary folder of its own: start, read, drive, close. The
    folder is `folder` inside a fresh temporary one (any name, any depth); tick_sound
    is True for the shipped tick.wav, False for none, or the bytes of one; a folder
    that is not writable is protected before the program starts."""

    timeout = TIMEOUT
    executable = PROGRAM_DIR / "ToviraWatch.exe"
    caption = BASE_CAPTION  # how the main window's title starts

    def __init__(self, test, settings=None, tick_sound=True, folder="program", writable=True):
        self.test = test
        self.settings = settings
        self.tick_sound = tick_sound
        self.folder_name = folder
        self.writable = writable
        self.process = None
        self.window_id = None

    # ---- lifetime -------------------------------------------------------------------------------

    def __enter__(self):
        self.root = Path(tempfile.mkdtemp(prefix="tovira-wine-run-"))
        self.folder = self._program_folder()
        if not self.writable:
            protect(self.folder, True)
        self.output = open(self.root / "output.log", "wb")
        self.process = subprocess.Popen([WINE, str(self.folder / self.executable.name)], cwd=self.folder,
                                        stdout=self.output, stderr=subprocess.STDOUT, **PREFIX.process)
        return self

    def _program_folder(self):
        """A folder of the run's own with the program, its sound and the prepared settings."""
        folder = self.root / self.folder_name
        folder.mkdir(parents=True)
        shutil.copy2(self.executable, folder)
        if self.tick_sound is True:
            shutil.copy2(PROGRAM_DIR / "tick.wav", folder)
        elif self.tick_sound is not False:
            (folder / "tick.wav").write_bytes(self.tick_sound)
        if self.settings is not None:
            (folder / walk.SETTINGS_FILE).write_bytes(self.settings)
        return folder


    def __exit__(self, *exc):
        if not self.writable:
            protect(self.folder, False)
        return super().__exit__(*exc)

    # ---- reading --------------------------------------------------------------------------------

    def read(self):
        """The main window as window_reader.exe describes it, once it is shown."""
        return poll(lambda: read("--title", self.caption), "the main window")

    def wait_for(self, condition, what):
        """The first reading of the window for which condition(window) holds."""
        def satisfied():
            window = read("--title", self.caption)
            return window if window and condition(window) else None
        return poll(satisfied, what)

    def topmost(self):
        return read("--title", self.caption, "--topmost")["topmost"]

    @staticmethod
    def number_signs_changed():
        """Tells the program that the registry's number signs are the user's now, as the Control Panel does."""
        return read("--title", BASE_CAPTION, "--number-signs-changed")

    @staticmethod
    def clip():
        return read("--clip")

    @staticmethod
    def boxes():
        return read("--boxes")["boxes"]

    def x_window(self):
        """The X window Wine made for the main window."""
        def named():
            found = run("xdotool", "search", "--onlyvisible", "--pid", str(self.process.pid), check=False).split()
            # Compared here: xdotool's --name also matched the box "ToviraWatch" to "^Tovira Watch".
            return [window for window in found
                    if run("xdotool", "getwindowname", window, check=False).startswith(self.caption)]
        if self.window_id is None:
            self.window_id = poll(named, "the X window")[0]
        return self.window_id

    # ---- input ----------------------------------------------------------------------------------

    @staticmethod
    def move_pointer(x, y):
        xdotool("mousemove", x, y)
        poll(lambda: pointer() == (x, y), "the pointer to arrive")

    def click(self, x, y, button=1):
        """A click at a point of the client area, in its own pixels."""
        client = self.read()["client"]
        self.move_pointer(client["left"] + x, client["top"] + y)
        xdotool("click", button)

    def click_control(self, control_id, button=1):
        window = self.read()
        rect = find_control(window, control_id)["rect"]
        self.click((rect["left"] + rect["right"]) // 2, (rect["top"] + rect["bottom"]) // 2, button)

    @staticmethod
    def pointer_held():
        """Whether the pointer is held in the window: a move to the screen's corner stops short of it."""
        xdotool("mousemove", 0, 0)
        time.sleep(0.05)  # the move is asynchronous; callers poll this answer
        return pointer() != (0, 0)

    def keys(self, *keys):
        activate(self.x_window())
        xdotool("key", "--delay", 80, *keys)

    def choose(self, *captions):
        """Chooses a menu item from the keyboard, e.g. choose("Conf", "Sonido", "On")."""
        self.keys(*menu_keys(self.read()["menu"], captions))

    def close_by_window_manager(self):
        run("wmctrl", "-i", "-c", hex(int(self.x_window())))

    def dismiss_box(self, expected):
        """Waits for one message box, checks what the reader says of it and closes it with
        Return, which the box takes as it holds the focus."""
        box = poll(self.boxes, "a message box")
        self.test.assertEqual(box, [expected])
        poll(lambda: xdotool("getactivewindow", "getwindowname").strip() == expected["title"],
             "the box to have the focus")
        xdotool("key", "Return")
        poll(lambda: not self.boxes(), "the box to close")


class InstalledProgram(Program):
    """The program where a package installed it, started in its folder as its shortcut
    starts it. Nothing is copied there, and the folder is left as it is."""

    def __init__(self, test, folder):
        super().__init__(test)
        self.installed_folder = folder

    def _program_folder(self):
        return self.installed_folder


def main():
    unittest.main(verbosity=2)
