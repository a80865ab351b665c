"""The program in a desktop session: signals from the session, two side-by-side screens
of different pixel densities, a minimised window, and its ticks on a sound server."""

import os
import re
import signal
import subprocess
import time
import unittest

from harness import BASE_CAPTION, CLIENT_HEIGHT, Program, main, poll, run, settings_text, xdotool
from session import centre_on_screen, look, viewable
from sound import Recorder, SoundServer

SHIPPED = dict(Showbutton=1, ShowDigital=1, ShowAnalog=1, LapType=1, AnalogScale=1, AnalogColor="C80000",
               WindowForceFront=0, BehaviorMode=0, PlaySound=0)
SOUND_ON = dict(SHIPPED, PlaySound=1)
SCREEN_WIDTH, SCREEN_HEIGHT = 1280, 1024
RUNNING_CAPTION = "ストップ"
FRAME = 1 / 24

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


class SessionTest(unittest.TestCase):
    def test_a_signal_closes_the_window_as_its_close_button_does(self):
        with SoundServer(), Recorder() as heard:
            for name in ["SIGTERM", "SIGHUP", "SIGINT"]:
                for running in [False, True]:
                    with self.subTest(signal=name, running=running), Program(self, settings_text(**SOUND_ON)) as p:
                        p.main_window()
                        started = press_start(p)
                        p.wait_running(True)
                        heard.wait_ticks(1, since=started)
                        if not running:
                            press_start(p)
                            p.wait_running(False)
                        p.choose("24F")
                        p.wait_caption(BASE_CAPTION + "[コマ数]")
                        p.process.send_signal(getattr(signal, name))
                        try:
                            code = p.process.wait(1.0)
                        except subprocess.TimeoutExpired:
                            raise AssertionError(f"the program did not end within a second of {name}") from None
                        self.assertEqual(p.saved_settings(), settings_text(**dict(SOUND_ON, LapType=3)))
                        self.assertEqual(code, 0, "exit status")

    def test_the_pointer_is_held_in_the_window_on_either_screen(self):
        for factors in ["1;2", "2;1"]:
            os.environ["QT_SCREEN_SCALE_FACTORS"] = factors
            try:
                with self.subTest(factors=factors), Program(self, settings_text(**SHIPPED)) as p:
                    # Not main_window(): its check of the menu bar's height holds at ratio 1 only.
                    p.window = poll(lambda: p.windows(f"^{re.escape(BASE_CAPTION)}"), "the main window")[0]
                    for left in [SCREEN_WIDTH + 100, 100]:  # to the other screen and back
                        ratio = float(factors.split(";")[left >= SCREEN_WIDTH])
                        xdotool("windowmove", "--sync", p.window.id, left, 60)
                        poll(lambda: look(p)["ratio"] == ratio, f"the window at ratio {ratio}")
                        press_start(p)
                        poll(lambda: look(p)["cmdStart"]["text"] == RUNNING_CAPTION, "the stopwatch to run")
                        wx, wy, width, height = p.window.geometry()
                        top = wy + height - round(CLIENT_HEIGHT * ratio)  # the client area, below the menu bar

                        def inside():
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

    def test_a_restored_window_shows_the_running_time(self):
        with Program(self, settings_text(**SHIPPED)) as p:
            window = p.main_window()
            started = press_start(p)
            p.wait_running(True)
            xdotool("windowminimize", window.id)
            poll(lambda: not viewable(window), "the window minimised")
            time.sleep(2)  # long enough for a time left standing to show
            run("wmctrl", "-i", "-a", hex(window.id))
            poll(lambda: viewable(window), "the window restored")
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
