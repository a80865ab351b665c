"""The real window with the real pointer, the real stacking and a real sound device."""

import os
import re
import subprocess
import tempfile
import time
from pathlib import Path

from harness import (CLIENT_HEIGHT, CLIENT_WIDTH, Program, main, poll, run, selection_band, settings_text, twips,
                     xdotool)
import unittest

SHIPPED = dict(Showbutton=1, ShowDigital=1, ShowAnalog=1, LapType=1, AnalogScale=1, AnalogColor="C80000",
               WindowForceFront=0, BehaviorMode=0, PlaySound=0)
START = (twips(60) + 20, twips(4450) + 10)
LAP = (twips(2040) + 20, twips(4450) + 10)
LIST_TOP = twips(4980)
ABOVE = "_NET_WM_STATE_ABOVE"


def root_property(name):
    out = run("xprop", "-root", "-notype", name)
    return [int(v, 16) for v in re.findall(r"0x[0-9a-f]+", out)]


class PlatformTest(unittest.TestCase):
    def test_the_pointer_is_held_in_the_client_area_while_running(self):
        with Program(self, settings_text(**SHIPPED)) as p:
            p.main_window()
            left, top = p.to_screen(0, 0)
            inside = lambda x, y: left <= x < left + CLIENT_WIDTH and top <= y < top + CLIENT_HEIGHT
            p.click(*START)
            p.wait_running(True)
            for corner in [(0, 0), (1279, 0), (0, 1023), (1279, 1023), (left - 50, top + 100), (left + 100, 0)]:
                xdotool("mousemove", *corner)
                poll(lambda: inside(*p.pointer()), f"the pointer held inside after a move to {corner}")
            p.click(*LAP)  # a click inside still reaches the buttons
            poll(lambda: selection_band(p, 30, LIST_TOP, CLIENT_HEIGHT - 4), "the lap's line")
            p.click(*START)
            p.wait_running(False)
            xdotool("mousemove", 5, 5)
            poll(lambda: p.pointer() == (5, 5), "the pointer free after Stop")

            p.click(*START)
            p.wait_running(True)
            p.close_by_window_manager()  # closing while running lets the pointer go
            p.wait_exit()
            xdotool("mousemove", 7, 7)
            poll(lambda: p.pointer() == (7, 7), "the pointer free after closing")

    def test_always_on_top_neither_moves_nor_activates_the_window(self):
        other = subprocess.Popen(["xmessage", "-geometry", "600x600+0+0", "another window"])
        try:
            with Program(self, settings_text(**SHIPPED)) as p:
                window = p.main_window()
                other_id = poll(lambda: run("xdotool", "search", "--name", "^xmessage$", check=False).split(),
                                "the other window")[0]
                geometry = window.geometry()
                xdotool("windowactivate", "--sync", window.id)
                active = root_property("_NET_ACTIVE_WINDOW")
                p.choose("Encima de Todo")
                poll(lambda: ABOVE in window.states(), "the window on top")
                self.assertEqual(root_property("_NET_ACTIVE_WINDOW"), active)
                xdotool("windowactivate", "--sync", other_id)
                stacking = poll(lambda: (s := root_property("_NET_CLIENT_LIST_STACKING")) and
                                s.index(window.id) > s.index(int(other_id)) and s, "the window above the other")
                self.assertGreater(stacking.index(window.id), stacking.index(int(other_id)))
                self.assertEqual(window.geometry(), geometry)
                xdotool("windowactivate", "--sync", window.id)  # back to the program for the keyboard menu
                active = root_property("_NET_ACTIVE_WINDOW")
                p.choose("Normal")
                poll(lambda: ABOVE not in window.states(), "the window off the top")
                self.assertEqual(root_property("_NET_ACTIVE_WINDOW"), active)
                self.assertEqual(window.geometry(), geometry)
                p.close_by_window_manager()
                p.wait_exit()
        finally:
            other.kill()
            other.wait()

    def test_the_tick_sound_flows_while_running_and_stops_with_stop(self):
        device = Path(tempfile.mkdtemp()) / "device.raw"
        os.environ.update(SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE=str(device))
        try:
            with Program(self, settings_text(**dict(SHIPPED, PlaySound=1))) as p:
                p.main_window()
                p.click(*START)
                p.wait_running(True)
                poll(lambda: device.exists() and any(device.read_bytes()), "ticks written to the device")
                p.click(*START)
                p.wait_running(False)
                stopped_at = device.stat().st_size
                time.sleep(0.5)
                # Stop closes the device, so nothing keeps running to feed it silence.
                self.assertEqual(device.read_bytes()[stopped_at + 48000 * 4 // 10:], b"", "output after Stop")
                p.close_by_window_manager()
                p.wait_exit()
        finally:
            del os.environ["SDL_AUDIODRIVER"], os.environ["SDL_DISKAUDIOFILE"]

    def test_without_a_sound_device_the_program_runs_silently(self):
        os.environ["SDL_AUDIODRIVER"] = "no-such-driver"
        try:
            with Program(self, settings_text(**dict(SHIPPED, PlaySound=1))) as p:
                p.main_window()
                p.click(*START)
                p.wait_running(True)
                p.click(*START)
                p.wait_running(False)
                p.main_window()  # no failure box
                p.close_by_window_manager()
                p.wait_exit()
        finally:
            del os.environ["SDL_AUDIODRIVER"]


if __name__ == "__main__":
    main()
