"""Options changed from the menus, a missing tick sound, and both ways of closing."""

from harness import (BASE_CAPTION, Program, failure, main, poll, settings_text)
import unittest

SHIPPED = dict(Showbutton=1, ShowDigital=1, ShowAnalog=1, LapType=1, AnalogScale=1, AnalogColor="C80000",
               WindowForceFront=0, BehaviorMode=0, PlaySound=0)
ABOVE = "_NET_WM_STATE_ABOVE"
BLACK = (0, 0, 0)


class ShutDownTest(unittest.TestCase):
    def test_menu_choices_are_written_back(self):
        changed = dict(SHIPPED, Showbutton=0, ShowAnalog=0, LapType=4, WindowForceFront=1, BehaviorMode=1,
                       PlaySound=1)
        for close in ["Cerr", "window manager"]:
            with self.subTest(close=close), Program(self, settings_text(**SHIPPED)) as p:
                window = p.main_window()
                for item in ["Lap", "On", "SEC KEY", "Btn", "Analogo", "Encima de Todo"]:
                    p.choose(item)
                p.wait_caption(BASE_CAPTION + "[ﾌﾚｰﾑ:秒:ｺﾏ]")
                poll(lambda: ABOVE in window.states(), "the window on top")
                p.save_screenshot("changed")
                if close == "Cerr":
                    p.choose("Cerr")
                else:
                    p.close_by_window_manager()
                p.wait_exit()
                self.assertEqual(p.saved_settings(), settings_text(**changed))

    def test_back_to_ordinary_stacking(self):
        with Program(self, settings_text(**dict(SHIPPED, WindowForceFront=1))) as p:
            window = p.main_window()
            poll(lambda: ABOVE in window.states(), "the window on top")
            p.choose("Normal")
            poll(lambda: ABOVE not in window.states(), "the window off the top")
            p.close_by_window_manager()
            p.wait_exit()
            self.assertEqual(p.saved_settings(), settings_text(**SHIPPED))

    def test_missing_tick_sound(self):
        # The options still apply; a Start with the sound on reports and runs all the same.
        settings = settings_text(**dict(SHIPPED, Showbutton=0, ShowAnalog=0, LapType=2, PlaySound=1))
        with Program(self, settings, tick_sound=False) as p:
            p.dismiss_box(failure(4))
            window = p.main_window()
            self.assertEqual(window.caption(), BASE_CAPTION + "[時分秒]")
            shot = p.screenshot()
            self.assertEqual(p.client_pixel(shot, 130, 20), BLACK, "the time label at the top")
            p.click(130, 20)
            p.dismiss_box(failure(1))
            p.wait_running(True)
            p.click(130, 20)
            p.wait_running(False)
            p.main_window()
            p.choose("Cerr")
            p.wait_exit()
            self.assertEqual(p.saved_settings(), settings)


if __name__ == "__main__":
    main()
