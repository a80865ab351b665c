"""A desktop session's view of the real program: ALSA's null device as a machine
without a sound server; presses sent with XTest and the server's stamps of them;
the program's wake-ups; an X server and a session manager of a test's own, to end
the session with; where a control is on the screen at whatever pixel density the
window's screen has, and whether the window can be seen at all. Its sound server
is tests/walk/sound.py's.
"""

import os
import re
import shutil
import signal
import subprocess
import tempfile
import time
from pathlib import Path

from harness import poll, run
from sound import restore_environment

INJECTOR = os.environ.get("TOVIRA_PRESS_INJECTOR", "")
SESSION_MANAGER = os.environ.get("TOVIRA_SESSION_MANAGER", "")
WITH_XVFB = Path(__file__).resolve().parents[2] / "scripts" / "with-xvfb.sh"


class AlsaNullOutput:
    """While entered, programs started from this process play through ALSA's null
    device, as on a machine with a sound card and no sound server."""

    def __enter__(self):
        self.home = Path(tempfile.mkdtemp(prefix="tovira-alsa-"))
        (self.home / ".asoundrc").write_text("pcm.!default { type null }\n")
        self.saved = {name: os.environ.get(name) for name in ("HOME", "SDL_AUDIODRIVER")}
        os.environ.update(HOME=str(self.home), SDL_AUDIODRIVER="alsa")
        return self

    def __exit__(self, *exc):
        restore_environment(self.saved)
        shutil.rmtree(self.home, ignore_errors=True)
        return False


class PrivateDisplay:
    """An X server with openbox of its own, for taking away: while entered, programs
    started from this process use it. kill() ends the server, as a logout does."""

    def __enter__(self):
        self.saved = {name: os.environ.get(name) for name in ("DISPLAY", "XAUTHORITY")}
        self.wrapper = subprocess.Popen(
            [str(WITH_XVFB), "--wm", "--", "sh", "-c", 'echo "$DISPLAY $XAUTHORITY"; exec sleep 3600'],
            stdout=subprocess.PIPE, text=True, start_new_session=True)
        display, authority = self.wrapper.stdout.readline().split()
        os.environ.update(DISPLAY=display, XAUTHORITY=authority)
        lock = Path(f"/tmp/.X{display.lstrip(':')}-lock").read_text()
        self.server = int(re.match(r"\s*(\d+)", lock).group(1))
        return self

    def kill(self):
        os.kill(self.server, signal.SIGTERM)

    def __exit__(self, *exc):
        restore_environment(self.saved)
        os.killpg(self.wrapper.pid, signal.SIGTERM)
        self.wrapper.wait()
        self.wrapper.stdout.close()
        return False


class SessionManager:
    """An XSMP session manager: while entered, programs started from this process
    register with it. end() ends the session as a logout does."""

    def __enter__(self):
        self.process = subprocess.Popen([SESSION_MANAGER], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        name, _, ids = self.process.stdout.readline().strip().partition("=")
        assert name == "SESSION_MANAGER", f"the session manager said {name!r}"
        self.saved = {"SESSION_MANAGER": os.environ.get("SESSION_MANAGER")}
        os.environ["SESSION_MANAGER"] = ids
        return self

    def wait(self, step):
        """Waits for the manager to report the step ("registered", "saved", "closed")."""
        line = self.process.stdout.readline().strip()
        assert line == step, f"the session manager said {line!r}, not {step!r}"

    def end(self):
        self.process.stdin.write("end\n")
        self.process.stdin.flush()

    def __exit__(self, *exc):
        restore_environment(self.saved)
        self.process.kill()
        self.process.wait()
        self.process.stdin.close()
        self.process.stdout.close()
        return False


def inject(x, y, count, min_ms, max_ms, seed, priority=()):
    """Presses at (x, y) by XTest, count of them min_ms to max_ms apart; for each, the
    CLOCK_MONOTONIC time it was sent and the server's stamp of it in milliseconds."""
    out = run(*priority, INJECTOR, *map(str, [x, y, count, min_ms, max_ms, seed]))
    return [(float(fields[2]), int(fields[3])) for fields in map(str.split, out.splitlines())
            if fields[0] == "press"]


def context_switches(pid):
    """Voluntary and involuntary, summed over the threads the process has now."""
    total = 0
    for status in Path(f"/proc/{pid}/task").glob("*/status"):
        try:
            total += sum(int(line.split()[1]) for line in status.read_text().splitlines()
                         if line.startswith(("voluntary_ctxt_switches:", "nonvoluntary_ctxt_switches:")))
        except FileNotFoundError:  # a thread that ended meanwhile
            pass
    return total


def wakeups_per_second(pid, seconds):
    time.sleep(1)  # what the change of state set off is over
    start, before = time.monotonic(), context_switches(pid)
    time.sleep(seconds)
    return (context_switches(pid) - before) / (time.monotonic() - start)


# ---- the window at any pixel density ------------------------------------------------------------

def look(program):
    """A fresh snapshot of what the window shows: a Shift pressed and released makes the probe write one."""
    before = len(program.snapshots())
    program.keys("shift")
    poll(lambda: len(program.snapshots()) > before, "a snapshot of the window")
    return program.snapshots()[-1]


def centre_on_screen(program, shown, control):
    """The centre of a control in the screen's pixels, from a snapshot, at the window's pixel ratio."""
    left, top = program.window.geometry()[:2]
    x, y, width, height = shown[control]["inWindow"]
    ratio = shown["ratio"]
    return round(left + (x + width / 2) * ratio), round(top + (y + height / 2) * ratio)


def viewable(window):
    """Whether the window is mapped and all its ancestors are: not minimised, not on a workspace left."""
    return "IsViewable" in run("xwininfo", "-id", str(window.id))
