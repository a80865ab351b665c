"""The program in a desktop session: the ways a session ends (signals alone, in pairs and
bursts, ignored; the X server going away; a failure box showing), two side-by-side
screens of different pixel densities, presses handled late, a minimised or hidden
window, and its ticks on a sound server or ALSA's null device."""

import os
import re
import signal
import subprocess
import time
import unittest

from harness import BASE_CAPTION, BOX_TITLE, CLIENT_HEIGHT, Program, failure, main, poll, run, settings_text, xdotool
from session import (AlsaNullOutput, PrivateDisplay, SessionManager, centre_on_screen, inject, look, viewable,
                     wakeups_per_second)
from sound import Recorder, SoundServer

SHIPPED = dict(Showbutton=1, ShowDigital=1, ShowAnalog=1, LapType=1, AnalogScale=1, AnalogColor="C80000",
               WindowForceFront=0, BehaviorMode=0, PlaySound=0)
SOUND_ON = dict(SHIPPED, PlaySound=1)
FIRST_START = dict(Showbutton=0, ShowDigital=0, ShowAnalog=0, LapType=0, AnalogScale=0, AnalogColor="",
                   WindowForceFront=0, BehaviorMode=0, PlaySound=0)
SCREEN_WIDTH, SCREEN_HEIGHT = 1280, 1024
RUNNING_CAPTION = "ストップ"
FRAME = 1 / 24
# Resting: no timer, no thread of its own that wakes (a second's measurement may catch one stray event).
RESTING = 1.0
# Signals as sessions send them: alone, in pairs (systemd-logind stops a session with
# SIGTERM and at once SIGHUP) and in bursts.
SIGNAL_SEQUENCES = [["SIGTERM"], ["SIGHUP"], ["SIGINT"], ["SIGTERM", "SIGHUP"], ["SIGHUP", "SIGTERM"],
                    ["SIGINT", "SIGHUP"], ["SIGTERM", "SIGHUP", "SIGINT", "SIGTERM"]]

# The program meets the signals as a session sends them, whatever this test was started
# under: a shell's background job ignores SIGINT, nohup SIGHUP, and children inherit that.
signal.signal(signal.SIGINT, signal.default_int_handler)
signal.signal(signal.SIGHUP, signal.SIG_DFL)


def press_start(program):
    """Clicks Start/Stop where the window shows it, at whatever density; the time just before."""
    x, y = centre_on_screen(program, look(program), "cmdStart")
    xdotool("mousemove", x, y)
    poll(lambda: program.pointer() == (x, y), "the pointer on the button")
    pressed = time.monotonic()
    xdotool("click", 1)
    return pressed


# A second, but for the leak check a sanitized build makes at exit.
EXIT_SECONDS = float(os.environ.get("TOVIRA_E2E_EXIT_SECONDS", "1"))


def ended_within_a_second(program, what):
    try:
        return program.process.wait(EXIT_SECONDS)
    except subprocess.TimeoutExpired:
        raise AssertionError(f"the program did not end within {EXIT_SECONDS} s of {what}") from None


def seconds_of(line):
    """The time of a lap line in the seconds display, "  3,723.456 秒"."""
    return float(line.replace(",", "").replace("秒", ""))


def mark_hidden(window, hidden):
    """Sets or clears _NET_WM_STATE_HIDDEN on the window, as a window manager does."""
    states = window.states() - {"_NET_WM_STATE_HIDDEN"} | ({"_NET_WM_STATE_HIDDEN"} if hidden else set())
    run("xprop", "-id", str(window.id), "-f", "_NET_WM_STATE", "32a", "-set", "_NET_WM_STATE", ",".join(sorted(states)))


class SessionTest(unittest.TestCase):
    def test_signals_close_the_window_as_its_close_button_does(self):
        with SoundServer(), Recorder() as heard:
            for names in SIGNAL_SEQUENCES:
                for running in [False, True] if len(names) == 1 else [True]:
                    with self.subTest(signals=names, running=running), Program(self, settings_text(**SOUND_ON)) as p:
                        p.main_window()
                        started = press_start(p)
                        p.wait_running(True)
                        heard.wait_ticks(1, since=started)
                        if not running:
                            press_start(p)
                            p.wait_running(False)
                        p.choose("24F")
                        p.wait_caption(BASE_CAPTION + "[コマ数]")
                        for name in names:
                            os.kill(p.process.pid, getattr(signal, name))
                        code = ended_within_a_second(p, "+".join(names))
                        self.assertEqual(p.saved_settings(), settings_text(**dict(SOUND_ON, LapType=3)))
                        # A further signal ends the program by its own action once the settings are
                        # written (the signals may come in another order than they were sent).
                        ends = [0] if len(names) == 1 else [-getattr(signal, name) for name in names]
                        self.assertIn(code, ends, "exit status")

    def test_a_signal_ignored_at_start_stays_ignored(self):
        for name in ["SIGHUP", "SIGINT"]:  # nohup; a shell's background job
            number = getattr(signal, name)
            with self.subTest(signal=name), Program(self, settings_text(**SHIPPED), ignored_signals=[number]) as p:
                p.main_window()
                p.process.send_signal(number)
                time.sleep(1)
                self.assertIsNone(p.process.poll(), f"ended by an ignored {name}")
                p.choose("24F")
                p.wait_caption(BASE_CAPTION + "[コマ数]")
                p.process.send_signal(signal.SIGTERM)
                self.assertEqual(ended_within_a_second(p, "SIGTERM"), 0)
                self.assertEqual(p.saved_settings(), settings_text(**dict(SHIPPED, LapType=3)))

    def test_a_signal_ends_the_program_whatever_failure_boxes_show_or_are_due(self):
        # A first start without settings or tick.wav: CODE:106 shows, CODE:004 is due after it.
        with Program(self, settings=None, tick_sound=False) as p:
            poll(lambda: p.windows(f"^{BOX_TITLE}$"), "the first failure box")
            p.process.send_signal(signal.SIGTERM)
            self.assertEqual(ended_within_a_second(p, "SIGTERM with a box showing"), 0)
            self.assertEqual(p.box_texts(), [failure(106)], "boxes shown")
            p.output.flush()
            self.assertIn(failure(4), (p.root / "output.log").read_text(encoding="utf-8"), "the due failure, reported")
            self.assertEqual(p.saved_settings(), settings_text(**FIRST_START))

    def test_the_session_managers_end_of_the_session_writes_the_settings(self):
        with SessionManager() as manager, Program(self, settings_text(**SHIPPED)) as p:
            p.main_window()
            manager.wait("registered")
            p.choose("24F")
            p.wait_caption(BASE_CAPTION + "[コマ数]")
            manager.end()
            manager.wait("saved")
            self.assertEqual(ended_within_a_second(p, "the session manager's Die"), 0, "exit status")
            manager.wait("closed")
            self.assertEqual(p.saved_settings(), settings_text(**dict(SHIPPED, LapType=3)))

    def test_the_settings_are_written_when_the_x_server_goes_away(self):
        with PrivateDisplay() as display, Program(self, settings_text(**SHIPPED)) as p:
            p.main_window()
            p.choose("24F")
            p.wait_caption(BASE_CAPTION + "[コマ数]")
            display.kill()
            self.assertEqual(ended_within_a_second(p, "the X server's end"), 1, "exit status")
            self.assertEqual(p.saved_settings(), settings_text(**dict(SHIPPED, LapType=3)))

    def test_presses_handled_late_are_recorded_at_their_own_stamps(self):
        # Lap mode: a left press on the time starts, then records laps.
        with Program(self, settings_text(**dict(SHIPPED, BehaviorMode=1))) as p:
            p.main_window()
            x, y = centre_on_screen(p, look(p), "lblTime")
            [(_, started)] = inject(x, y, 1, 450, 450, 1)
            poll(lambda: look(p)["cmdStart"]["text"] == RUNNING_CAPTION, "the stopwatch to run")
            p.process.send_signal(signal.SIGSTOP)  # as a stalled event loop or a machine swapping
            try:
                laps = inject(x, y, 3, 1000, 1000, 1)
            finally:
                p.process.send_signal(signal.SIGCONT)
            lines = poll(lambda: (lambda shown: shown if len(shown) == 3 else None)(look(p)["lstLap"]["lines"]),
                         "three records")
            for line, (_, stamp) in zip(lines, laps):
                self.assertAlmostEqual(seconds_of(line), (stamp - started) / 1000, delta=0.0011, msg=line)
            p.close_by_window_manager()
            p.wait_exit()

    def test_the_pointer_is_held_in_the_window_on_either_screen_however_it_moves(self):
        for factors in ["1;2", "2;1"]:
            os.environ["QT_SCREEN_SCALE_FACTORS"] = factors
            try:
                with self.subTest(factors=factors), Program(self, settings_text(**SHIPPED)) as p:
                    # Not main_window(): its check of the menu bar's height holds at ratio 1 only.
                    p.window = poll(lambda: p.windows(f"^{re.escape(BASE_CAPTION)}"), "the main window")[0]
                    started = False
                    # Started on one screen, then moved while running to the other and back.
                    for left in [100, SCREEN_WIDTH + 100, 100]:
                        ratio = float(factors.split(";")[left >= SCREEN_WIDTH])
                        xdotool("windowmove", "--sync", p.window.id, left, 60)
                        poll(lambda: look(p)["ratio"] == ratio, f"the window at ratio {ratio}")
                        if not started:
                            press_start(p)
                            poll(lambda: look(p)["cmdStart"]["text"] == RUNNING_CAPTION, "the stopwatch to run")
                            started = True

                        def inside():
                            wx, wy, width, height = p.window.geometry()
                            top = wy + height - round(CLIENT_HEIGHT * ratio)  # the client area, below the menu bar
                            x, y = p.pointer()
                            return wx <= x < wx + width and top <= y < wy + height
                        for corner in [(0, 0), (2 * SCREEN_WIDTH - 1, 0), (0, SCREEN_HEIGHT - 1),
                                       (2 * SCREEN_WIDTH - 1, SCREEN_HEIGHT - 1)]:
                            xdotool("mousemove", *corner)
                            poll(inside, f"the pointer held in the window at ratio {ratio} after a move to {corner}")
                    press_start(p)
                    poll(lambda: look(p)["cmdStart"]["text"] != RUNNING_CAPTION, "the stopwatch to stop")
                    p.close_by_window_manager()
                    p.wait_exit()
            finally:
                del os.environ["QT_SCREEN_SCALE_FACTORS"]

    def test_a_hidden_window_rests_and_shows_the_running_time_when_shown_again(self):
        hide_ways = {
            "minimised": (lambda w: xdotool("windowminimize", w.id), lambda w: run("wmctrl", "-i", "-a", hex(w.id))),
            # As a window manager that keeps minimised windows mapped marks them.
            "marked hidden": (lambda w: mark_hidden(w, True), lambda w: mark_hidden(w, False)),
        }
        for way, (hide, show) in hide_ways.items():
            with self.subTest(way=way), Program(self, settings_text(**SHIPPED)) as p:
                window = p.main_window()
                started = press_start(p)
                p.wait_running(True)
                hide(window)
                self.assertLess(wakeups_per_second(p.process.pid, 2), RESTING, f"wake-ups a second, {way}")
                show(window)
                poll(lambda: viewable(window) and "_NET_WM_STATE_HIDDEN" not in window.states(), "the window shown")
                restored = time.monotonic()
                shown = float(look(p)["lblTime"]["name"].replace(",", ""))
                self.assertGreater(shown, restored - started - 0.5, "the time shown right after the restore")
                p.close_by_window_manager()
                p.wait_exit()

    def test_ticks_come_a_second_apart_while_running_and_stop_with_stop(self):
        with SoundServer(), Recorder() as heard, Program(self, settings_text(**SOUND_ON)) as p:
            p.main_window()
            started = press_start(p)
            ticks = heard.wait_ticks(3, since=started)
            for earlier, later in zip(ticks, ticks[1:]):
                self.assertAlmostEqual(later - earlier, 1.0, delta=FRAME, msg="time between ticks")
            time.sleep(max(0.0, ticks[-1] + 0.5 - time.monotonic()))  # Stop halfway to the next tick
            stopped = press_start(p)
            p.wait_running(False)
            heard.wait_recorded(stopped + 1.5)
            self.assertEqual(heard.ticks_since(stopped), [], "ticks after Stop")
            self.assertTrue(heard.silent_since(stopped), f"peak level {heard.peak_since(stopped)} after Stop")
            p.close_by_window_manager()
            p.wait_exit()

    def test_a_stopped_watch_rests_after_a_run_with_the_tick(self):
        for output, sound in [("ALSA's null device", AlsaNullOutput), ("PulseAudio", SoundServer)]:
            with self.subTest(output=output), sound(), Program(self, settings_text(**SOUND_ON)) as p:
                p.main_window()
                press_start(p)
                p.wait_running(True)
                time.sleep(0.5)
                press_start(p)
                p.wait_running(False)
                self.assertLess(wakeups_per_second(p.process.pid, 2), RESTING, "wake-ups a second, stopped")
                p.close_by_window_manager()
                p.wait_exit()

    def test_a_sound_server_that_comes_up_later_is_used_at_the_next_start(self):
        with SoundServer(running=False) as server, Program(self, settings_text(**SOUND_ON)) as p:
            p.main_window()
            press_start(p)  # no server to play on: the stopwatch runs silently
            p.wait_running(True)
            press_start(p)
            p.wait_running(False)
            server.start()
            with Recorder() as heard:
                started = press_start(p)
                p.wait_running(True)
                heard.wait_ticks(1, since=started)
            p.close_by_window_manager()
            p.wait_exit()


if __name__ == "__main__":
    main()
