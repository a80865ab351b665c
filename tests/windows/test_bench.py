"""The Wine bench proven on the placeholder window: a fresh prefix with its fonts,
finding and reading the window, clicks, menus from the keyboard, the pointer held,
always on top, message boxes, closing, and the settings file saved."""

import harness
from harness import BASE_CAPTION, BOX_TITLE, Program, find_control, menu_item, poll

START_STOP, RESET_LAP, TIME_LABEL, LAP_LIST = 1001, 1002, 1003, 1004
CLIENT_WIDTH, CLIENT_HEIGHT = 258, 420

SHIPPED_SETTINGS = (b"[ToviraWatch]\nShowbutton=1\nShowDigital=1\nShowAnalog=1\nLapType=1\nAnalogScale=1\n"
                    b"AnalogColor=C80000\nWindowForceFront=0\nBehaviorMode=0\nPlaySound=0\n")


def setUpModule():
    harness.open_prefix()


def tearDownModule():
    harness.close_prefix()


def captions(menu):
    return [(item["text"], captions(item["items"])) if "items" in item else item["text"] for item in menu]


def inside(rect, outer):
    return (outer["left"] <= rect["left"] <= rect["right"] <= outer["right"]
            and outer["top"] <= rect["top"] <= rect["bottom"] <= outer["bottom"])


class Prefix(harness.unittest.TestCase):
    def test_japanese_ui_fonts_are_drawn_with_ipagothic(self):
        for font in harness.JAPANESE_UI_FONTS:
            self.assertEqual(harness.PREFIX.font_substitute(font), harness.STAND_IN_FONT, font)


class Reading(harness.unittest.TestCase):
    def test_window_menus_and_controls(self):
        with Program(self, SHIPPED_SETTINGS) as program:
            window = program.read()
            self.assertEqual(window["title"], BASE_CAPTION)
            client = window["client"]
            self.assertEqual((client["right"] - client["left"], client["bottom"] - client["top"]),
                             (CLIENT_WIDTH, CLIENT_HEIGHT))
            self.assertFalse(window["topmost"])

            self.assertEqual(captions(window["menu"]), [("Arch", ["Cerr"]), ("Conf", [("Sonido", ["On", "Off"])]),
                                                        ("Window", ["Normal", "Encima de Todo"])])
            self.assertTrue(menu_item(window["menu"], ["Conf", "Sonido", "Off"])["checked"])
            self.assertFalse(menu_item(window["menu"], ["Conf", "Sonido", "On"])["checked"])
            self.assertTrue(menu_item(window["menu"], ["Window", "Normal"])["radio"])

            expected = {START_STOP: ("Button", "スタート"), RESET_LAP: ("Button", "リセット"),
                        TIME_LABEL: ("Static", "0"), LAP_LIST: ("ListBox", "")}
            self.assertEqual({c["id"]: (c["class"], c["text"]) for c in window["controls"]}, expected)
            area = {"left": 0, "top": 0, "right": CLIENT_WIDTH, "bottom": CLIENT_HEIGHT}
            for control in window["controls"]:
                with self.subTest(control=control["id"]):
                    self.assertTrue(control["visible"])
                    self.assertTrue(inside(control["rect"], area), control["rect"])
                    self.assertEqual(control["screen_rect"]["left"] - control["rect"]["left"], client["left"])
                    self.assertEqual(control["screen_rect"]["top"] - control["rect"]["top"], client["top"])
                    self.assertEqual(control["font"]["missing_glyphs"], 0)
            self.assertEqual(find_control(window, LAP_LIST)["lines"], [])
            self.assertEqual(find_control(window, LAP_LIST)["selection"], -1)

            program.close_by_window_manager()
            program.wait_exit()


class Driving(harness.unittest.TestCase):
    def test_clicks_hold_the_pointer_and_fill_the_list(self):
        with Program(self, SHIPPED_SETTINGS) as program:
            client = program.read()["client"]
            program.click_control(START_STOP)
            program.wait_for(lambda w: find_control(w, START_STOP)["text"] == "ストップ", "the watch to run")
            clip = program.clip()
            self.assertTrue(clip["clipped"])
            self.assertEqual(clip["clip"], client)
            poll(program.pointer_held, "the pointer to be held")

            program.click_control(START_STOP)
            window = program.wait_for(lambda w: find_control(w, LAP_LIST)["lines"] == ["Lap 1"], "a line")
            self.assertEqual(find_control(window, TIME_LABEL)["text"], "1")
            self.assertEqual(find_control(window, START_STOP)["text"], "スタート")
            self.assertFalse(program.clip()["clipped"])
            poll(lambda: not program.pointer_held(), "the pointer to be let go")

            list_rect = find_control(window, LAP_LIST)["rect"]
            program.click(list_rect["left"] + 20, list_rect["top"] + 5)
            program.wait_for(lambda w: find_control(w, LAP_LIST)["selection"] == 0, "the line to be selected")

            program.click_control(RESET_LAP)
            program.wait_for(lambda w: find_control(w, LAP_LIST)["lines"] == [], "the list to empty")
            program.close_by_window_manager()
            program.wait_exit()

    def test_menus_from_the_keyboard_and_the_settings_saved(self):
        with Program(self, SHIPPED_SETTINGS) as program:
            program.read()
            program.choose("Conf", "Sonido", "On")
            program.wait_for(lambda w: menu_item(w["menu"], ["Conf", "Sonido", "On"])["checked"], "Sound On checked")
            program.choose("Window", "Encima de Todo")
            poll(program.topmost, "the window to stay on top")
            program.close_by_window_manager()
            program.wait_exit()
            self.assertEqual(program.saved_settings(), SHIPPED_SETTINGS.replace(b"WindowForceFront=0", b"WindowForceFront=1")
                             .replace(b"PlaySound=0", b"PlaySound=1").replace(b"\n", b"\r\n"))

    def test_close_from_the_menu(self):
        with Program(self, SHIPPED_SETTINGS) as program:
            program.read()
            program.choose("Arch", "Cerr")
            program.wait_exit()

    def test_message_box_for_an_unreadable_setting(self):
        with Program(self, SHIPPED_SETTINGS.replace(b"PlaySound=0", b"PlaySound=x")) as program:
            program.dismiss_box({"title": BOX_TITLE, "text": "(CODE:106)致命的なエラー発生", "icon": "error",
                                 "buttons": ["OK"]})
            self.assertFalse(menu_item(program.read()["menu"], ["Conf", "Sonido", "On"])["checked"])
            program.close_by_window_manager()
            program.wait_exit()


if __name__ == "__main__":
    harness.main()
