"""The settings file as the real program reads it at start-up and writes it at shut-down."""

from harness import (BASE_CAPTION, Program, failure, main, poll, settings_text, twips)
import unittest

SHIPPED = dict(Showbutton=1, ShowDigital=1, ShowAnalog=1, LapType=1, AnalogScale=1, AnalogColor="C80000",
               WindowForceFront=0, BehaviorMode=0, PlaySound=0)
ABOVE = "_NET_WM_STATE_ABOVE"
BLACK = (0, 0, 0)


def is_hand_red(rgb):
    r, g, b = rgb
    return r > 150 and g < 80 and b < 80


def hand_pixels(program):
    """Pixels of the hand colour C80000 where the dial stands when it is shown."""
    shot = program.screenshot()
    return sum(is_hand_red(program.client_pixel(shot, x, y)) for x in range(4, 254, 2) for y in range(4, 254, 2))


class SettingsFileTest(unittest.TestCase):
    def test_first_start_without_a_file(self):
        with Program(self) as p:
            p.dismiss_box(failure(106))
            window = p.main_window()
            self.assertEqual(window.caption(), BASE_CAPTION)
            self.assertNotIn(ABOVE, window.states())
            shot = p.screenshot()
            # Only the list is shown: no black time label, no dial hand.
            self.assertNotEqual(p.client_pixel(shot, 130, 20), BLACK)
            self.assertEqual(hand_pixels(p), 0)
            p.close_by_window_manager()
            p.wait_exit()
            written = p.saved_settings()
        self.assertEqual(written, b"[ToviraWatch]\nShowbutton=0\nShowDigital=0\nShowAnalog=0\nLapType=0\n"
                                  b"AnalogScale=0\nAnalogColor=\nWindowForceFront=0\nBehaviorMode=0\nPlaySound=0\n")
        # The next start reads every key of that file without a failure.
        with Program(self, written) as p:
            p.main_window()
            p.choose("Cerr")
            p.wait_exit()
            self.assertEqual(p.saved_settings(), written)

    def test_values_read_and_written_back(self):
        cases = [
            # (what, file, failure boxes, caption suffix, on top, written back)
            ("a fraction rounds half to even, blanks around a value are skipped",
             settings_text(**dict(SHIPPED, LapType="2.5", Showbutton="  1  ", BehaviorMode=" 0")),
             [], "[時分秒]", False, settings_text(**dict(SHIPPED, LapType=2))),
            ("a word stops the reading at its key",
             settings_text(**dict(SHIPPED, LapType=3, AnalogScale="abc", WindowForceFront=1, BehaviorMode=1,
                                  PlaySound=1)),
             [failure(106)], "[コマ数]", False,
             settings_text(**dict(SHIPPED, LapType=3, AnalogScale=0, AnalogColor="", WindowForceFront=0))),
            ("a missing AnalogColor key reads as ERROR, written as a new key at the section's end",
             settings_text(**SHIPPED).replace(b"AnalogColor=C80000\n", b""),
             [], "[秒]", False,
             settings_text(**SHIPPED).replace(b"AnalogColor=C80000\n", b"") + b"AnalogColor=ERROR\n"),
            ("on top from the start",
             settings_text(**dict(SHIPPED, WindowForceFront=1, LapType=4)),
             [], "[ﾌﾚｰﾑ:秒:ｺﾏ]", True, settings_text(**dict(SHIPPED, WindowForceFront=1, LapType=4))),
            ("quotes around values and CR line breaks, as an old editor writes them",
             settings_text(**dict(SHIPPED, Showbutton='"1"', LapType="'2'")).replace(b"\n", b"\r"),
             [], "[時分秒]", False, settings_text(**dict(SHIPPED, LapType=2)).replace(b"\n", b"\r")),
            ("an unknown display mode keeps the plain caption",
             settings_text(**dict(SHIPPED, LapType=7, ShowDigital=2)),
             [], "", False, settings_text(**dict(SHIPPED, LapType=7, ShowDigital=2))),
        ]
        for what, file, boxes, suffix, on_top, written in cases:
            with self.subTest(what), Program(self, file) as p:
                for text in boxes:
                    p.dismiss_box(text)
                window = p.main_window()
                self.assertEqual(window.caption(), BASE_CAPTION + suffix)
                if on_top:
                    poll(lambda: ABOVE in window.states(), "the window on top")
                else:
                    self.assertNotIn(ABOVE, window.states())
                p.choose("Cerr")
                p.wait_exit()
                self.assertEqual(p.saved_settings(), written)

    def test_showbutton_2_keeps_the_buttons_where_they_were_created(self):
        settings = settings_text(**dict(SHIPPED, Showbutton=2))
        with Program(self, settings) as p:
            p.main_window()
            start = (twips(60) + 40, twips(4500) + 16)
            p.click(*start)
            p.wait_running(True)
            p.click(*start)
            p.wait_running(False)
            p.close_by_window_manager()
            p.wait_exit()
            self.assertEqual(p.saved_settings(), settings)

    def test_hidden_elements_give_their_place_to_the_next(self):
        # (Showbutton, ShowDigital, ShowAnalog) -> top of the time label in pixels, or None when hidden.
        cases = [((0, 1, 0), twips(60)), ((0, 1, 1), twips(3900)), ((1, 0, 1), None), ((0, 0, 0), None)]
        for (buttons, digital, analog), label_top in cases:
            settings = settings_text(**dict(SHIPPED, Showbutton=buttons, ShowDigital=digital, ShowAnalog=analog))
            with self.subTest(show=(buttons, digital, analog)), Program(self, settings) as p:
                p.main_window()
                p.save_screenshot(f"show_{buttons}{digital}{analog}")
                if analog:
                    self.assertGreater(hand_pixels(p), 20, "the dial's hand")
                else:
                    self.assertEqual(hand_pixels(p), 0, "no dial")
                shot = p.screenshot()
                label_rows = [y for y in range(0, 420)
                              if all(p.client_pixel(shot, x, y) == BLACK for x in range(8, 250, 8))]
                self.assertEqual(label_rows[:1], [label_top] if label_top is not None else [], "the time label's top")
                p.close_by_window_manager()
                p.wait_exit()
                self.assertEqual(p.saved_settings(), settings)


if __name__ == "__main__":
    main()
