"""Laps recorded through the buttons and the mouse bindings, shown in every display mode."""

from harness import (BASE_CAPTION, Program, main, poll, selection_band, settings_text, twips)
import unittest

CAPTIONS = {"SC": "[秒]", "HMS": "[時分秒]", "24F": "[コマ数]", "SEC KEY": "[ﾌﾚｰﾑ:秒:ｺﾏ]"}

# Buttons shown, label and dial hidden: the buttons stand at the top and the list below them.
BUTTONS_Y = twips(60) + 16
START_X, LAP_X = twips(60) + 40, twips(2040) + 40
LIST_TOP = twips(600)
BAND_X = 240  # right of every line's text
BOTTOM = 419


class LapsTest(unittest.TestCase):
    def band(self, program):
        return selection_band(program, BAND_X, LIST_TOP, BOTTOM)

    def test_laps_in_every_mode(self):
        initial = dict(Showbutton=1, ShowDigital=0, ShowAnalog=0, LapType=1, AnalogScale=1, AnalogColor="C80000",
                       WindowForceFront=0, BehaviorMode=0, PlaySound=0)
        with Program(self, settings_text(**initial)) as p:
            window = p.main_window()
            self.assertEqual(window.caption(), BASE_CAPTION + CAPTIONS["SC"])
            self.assertIsNone(self.band(p), "no line before the first record")
            p.save_screenshot("start")

            p.click(START_X, BUTTONS_Y)
            p.wait_running(True)

            first = None

            def expect_newest_selected(records, what):
                nonlocal first
                if first is None:
                    first = poll(lambda: self.band(p), f"the first line selected ({what})")
                    self.assertLessEqual(first[0] - LIST_TOP, 8, "the first line stands at the list's top")
                    return
                height = first[1] - first[0] + 1
                want = (first[0] + (records - 1) * height, first[1] + (records - 1) * height)
                poll(lambda: self.band(p) == want, f"line {records} selected after {what}")

            # Normal mode: the Lap button, then right presses on the list below its lines.
            p.click(LAP_X, BUTTONS_Y)
            expect_newest_selected(1, "the Lap button")
            p.click(130, 400, button=3)
            expect_newest_selected(2, "a right press below the lines")
            p.click(130, 400, button=3)
            expect_newest_selected(3, "a second right press")
            p.save_screenshot("three_laps")

            # Lap mode, chosen from the keyboard while the pointer is held: a left press records.
            p.choose("Lap")
            p.click(130, 400)
            expect_newest_selected(4, "a left press in Lap mode")
            self.assertTrue(p.pointer_held(), "still running")

            p.click(START_X, BUTTONS_Y)
            expect_newest_selected(5, "Stop")
            p.wait_running(False)
            p.save_screenshot("stopped")

            for mode in ["HMS", "24F", "SC", "SEC KEY"]:
                p.choose(mode)
                p.wait_caption(BASE_CAPTION + CAPTIONS[mode])
                expect_newest_selected(5, f"switching to {mode}")
                p.save_screenshot(f"mode_{mode}")

            p.choose("Cerr")
            p.wait_exit()
            self.assertEqual(p.saved_settings(), settings_text(**dict(initial, LapType=4, BehaviorMode=1)))

    def test_press_on_a_line_keeps_the_newest_selected(self):
        # The press records a lap, and the list shows it selected, wherever the pointer was.
        initial = dict(Showbutton=1, ShowDigital=0, ShowAnalog=0, LapType=3, AnalogScale=1, AnalogColor="",
                       WindowForceFront=0, BehaviorMode=1, PlaySound=0)
        with Program(self, settings_text(**initial)) as p:
            p.main_window()
            p.click(130, 400)  # Lap mode: a left press starts ...
            p.wait_running(True)
            p.click(130, 400)  # ... and the next one records
            first = poll(lambda: self.band(p), "the first line selected")
            height = first[1] - first[0] + 1
            p.click(130, first[0] + height // 2)
            poll(lambda: self.band(p) == (first[0] + height, first[1] + height),
                 "the second line selected after a press on the first")
            p.close_by_window_manager()
            p.wait_exit()

    def test_full_session(self):
        # All elements shown; the screenshots of this run show each stage when TOVIRA_E2E_SHOTS is set.
        settings = settings_text(Showbutton=1, ShowDigital=1, ShowAnalog=1, LapType=1, AnalogScale=1,
                                 AnalogColor="C80000", WindowForceFront=0, BehaviorMode=0, PlaySound=0)
        start, lap = (START_X, twips(4450) + 16), (LAP_X, twips(4450) + 16)
        list_top = twips(4980)

        def dial():
            shot = p.screenshot()
            return [p.client_pixel(shot, x, y)[0] for x in range(4, 254, 3) for y in range(4, 254, 3)]

        def differing(a, b):
            return sum(x != y for x, y in zip(a, b))

        with Program(self, settings) as p:
            p.main_window()
            p.save_screenshot("start")
            at_zero = dial()
            p.click(*start)
            p.wait_running(True)
            poll(lambda: differing(dial(), at_zero) > 10, "the hand to move")
            p.save_screenshot("running")
            p.click(*lap)
            poll(lambda: selection_band(p, BAND_X, list_top, BOTTOM), "the lap in the list")
            p.save_screenshot("lap")
            p.click(*start)
            p.wait_running(False)
            p.save_screenshot("stopped")
            p.click(*lap)
            poll(lambda: selection_band(p, BAND_X, list_top, BOTTOM) is None, "the list cleared by Reset")
            # A few samples at the hub may differ by antialiasing; a moved hand changes dozens.
            poll(lambda: differing(dial(), at_zero) <= 4, "the hand back at zero")
            p.save_screenshot("reset")
            p.choose("Cerr")
            p.wait_exit()
            self.assertEqual(p.saved_settings(), settings)


if __name__ == "__main__":
    main()
