"""Measures ToviraWatch.exe under Wine on the current X display (scripts/with-xvfb.sh
--wm gives it a private Xvfb with openbox), in a fresh prefix of its own, beside a
minimal Win32 window of the same kinds of controls (benchmarks/minimal_window.cpp)
measured in the same run:

  - launch: from starting the program to its window shown (viewable on the X server),
    the median of ROUNDS launches after one that warms the caches;
  - for each of the two, over 10 s, with the pointer resting on the window: stopped
    before any click; stopped after clicks (Reset, then Start and Stop, the pointer
    left on the Start button); running (started by a click on Start): the wake-ups
    of the program (context switches of all its threads, each a wait that ended) and
    the CPU of the program, the wineserver, Wine's other processes in the prefix and
    the X server, each in percent of one core.

scripts/benchmark-windows.sh runs it beside the Linux program's measurement. By hand,
from the build tree's environment, as ctest runs the walk:
  TOVIRA_WINE=/usr/lib/wine/wine64 TOVIRA_WINDOWS_PROGRAM_DIR=build-windows \\
  TOVIRA_WINDOW_READER=build-windows/tests/window_reader.exe \\
  scripts/with-xvfb.sh --wm -- python3 benchmarks/measure_under_wine.py
Prints a line for the summary per window, marked "result" (all of Wine's processes
and the X server together):
  result wine LAUNCH_MS STOPPED% AFTER_CLICKS% RUNNING% STOPPED_WAKEUPS AFTER_CLICKS_WAKEUPS RUNNING_WAKEUPS
  result minimal - STOPPED% AFTER_CLICKS% RUNNING% STOPPED_WAKEUPS AFTER_CLICKS_WAKEUPS RUNNING_WAKEUPS
"""

import os
import statistics
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "windows"))
import harness  # noqa: E402
from harness import Program, find_control, poll, settings_text  # noqa: E402

ROUNDS = 5
SAMPLE_SECONDS = 10
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")
SETTINGS = settings_text(Showbutton=1, ShowDigital=1, ShowAnalog=1, LapType=1, AnalogScale=1, AnalogColor="C80000",
                         WindowForceFront=0, BehaviorMode=0, PlaySound=0)


def cpu_ticks(pid):
    """utime + stime of a process, 0 once it is gone."""
    try:
        fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    except OSError:
        return 0
    return int(fields[11]) + int(fields[12])


def prefix_processes():
    """The processes running in the measurement's Wine prefix, by name."""
    found = {}
    wanted = f"WINEPREFIX={harness.PREFIX.path}".encode()
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            if wanted in (entry / "environ").read_bytes().split(b"\0"):
                found[int(entry.name)] = (entry / "comm").read_text().strip()
        except OSError:
            continue
    return found


def x_server_pid():
    display = os.environ["DISPLAY"].lstrip(":").split(".")[0]
    return int(Path(f"/tmp/.X{display}-lock").read_text().strip())


def shown(program):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(program.process.pid)],
                          capture_output=True, text=True).stdout.split()


def launch_ms(test):
    with Program(test, SETTINGS) as program:
        started = time.monotonic()
        poll(lambda: shown(program), "the window", interval=0.005)
        elapsed = (time.monotonic() - started) * 1000
        program.read()
        program.close_by_window_manager()
        program.wait_exit()
    return elapsed


def sample(program_pid):
    """Over SAMPLE_SECONDS: the program's wake-ups a second, and the CPU in percent of one
    core of the program, the wineserver, Wine's other processes and X."""
    processes = prefix_processes()
    # Debian's wineserver runs as wineserver64.
    groups = {"program": [program_pid], "wineserver": [p for p, n in processes.items() if n.startswith("wineserver")]}
    for pid, name in processes.items():  # Wine's own services: explorer.exe (the desktop), services.exe, ...
        if not name.startswith("wineserver") and pid != program_pid:
            groups.setdefault(name, []).append(pid)
    groups["X server"] = [x_server_pid()]
    before = {name: sum(map(cpu_ticks, pids)) for name, pids in groups.items()}
    started = time.monotonic()
    wakeups = harness.wakeups(program_pid, SAMPLE_SECONDS)
    seconds = time.monotonic() - started
    return wakeups, {name: 100.0 * (sum(map(cpu_ticks, pids)) - before[name]) / CLOCK_TICKS / seconds
                     for name, pids in groups.items()}


class MinimalWindow(Program):
    """benchmarks/minimal_window.cpp, built beside the window reader."""

    executable = harness.READER.with_name("minimal_window.exe")
    caption = "Minimal window"


PHASES = ("stopped", "stopped after clicks", "running")
START, RESET, LABEL = 1001, 1002, 1003


def measure_phases(program):
    """Each phase's wake-ups and CPU, the pointer resting on the window throughout."""
    window = program.read()
    pid = program.process.pid

    def click(control_id):
        text = find_control(program.read(), control_id)["text"]
        harness.xdotool("mousemove", *centre(find_control(window, control_id)["screen_rect"]), "click", 1)
        if control_id == START:
            program.wait_for(lambda w: find_control(w, START)["text"] != text, "the watch to start or stop")
        time.sleep(0.7)  # never a double click

    harness.Program.move_pointer(*centre(find_control(window, LABEL)["screen_rect"]))
    time.sleep(2)  # start-up's own work done
    figures = {"stopped": sample(pid)}
    for control_id in (RESET, START, START):
        click(control_id)
    time.sleep(1)
    figures["stopped after clicks"] = sample(pid)
    click(START)
    figures["running"] = sample(pid)
    program.close_by_window_manager()
    program.wait_exit()
    return figures


class Measure(harness.unittest.TestCase):
    def test_measure(self):
        launch_ms(self)  # warms the caches
        launches = [launch_ms(self) for _ in range(ROUNDS)]
        with Program(self, SETTINGS) as program:
            ours = measure_phases(program)
        with MinimalWindow(self) as program:
            minimal = measure_phases(program)
        print(f"\nlaunch to a shown window: median {statistics.median(launches):.0f} ms "
              f"(rounds: {', '.join(f'{ms:.0f}' for ms in launches)})")
        for name, figures in (("ToviraWatch", ours), ("minimal window", minimal)):
            for phase in PHASES:
                wakeups, cpu = figures[phase]
                print(f"{name}, {phase}: {wakeups:.1f} wake-ups/s; " +
                      ", ".join(f"{group} {value:.1f} %" for group, value in cpu.items()) +
                      f"; total {sum(cpu.values()):.1f} %")
        for name, launch, figures in (("wine", f"{statistics.median(launches):.1f}", ours), ("minimal", "-", minimal)):
            print(f"result {name} {launch} " + " ".join(f"{sum(figures[phase][1].values()):.2f}" for phase in PHASES) +
                  " " + " ".join(f"{figures[phase][0]:.1f}" for phase in PHASES))


def centre(rect):
    return (rect["left"] + rect["right"]) // 2, (rect["top"] + rect["bottom"]) // 2


def setUpModule():
    harness.open_prefix()


def tearDownModule():
    harness.close_prefix()


if __name__ == "__main__":
    harness.main()
