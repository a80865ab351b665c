"""Two screens side by side, the second at twice the pixel density (QT_SCREEN_SCALE_FACTORS=1;2).

Moved from one to the other, the window's dial must be exactly the picture the
program composes at that screen's density: drawn sharp, not enlarged from the
other screen's picture (nor shrunk from it).
"""

import os
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

from harness import Program, main, poll, settings_text, xdotool

os.environ["QT_SCREEN_SCALE_FACTORS"] = "1;2"
REFERENCE = os.environ["TOVIRA_DIAL_REFERENCE"]
SHIPPED = dict(Showbutton=1, ShowDigital=1, ShowAnalog=1, LapType=1, AnalogScale=1, AnalogColor="C80000",
               WindowForceFront=0, BehaviorMode=0, PlaySound=0)
SCREEN_WIDTH = 1280


class ScreensTest(unittest.TestCase):
    def test_the_dial_is_drawn_for_the_density_of_the_screen_it_is_on(self):
        scratch = Path(tempfile.mkdtemp())
        self.addCleanup(shutil.rmtree, scratch, True)
        with Program(self, settings_text(**SHIPPED)) as p:
            window = p.main_window()
            for ratio, left in [(1, 100), (2, SCREEN_WIDTH + 100), (1, 200)]:
                xdotool("windowmove", "--sync", window.id, left, 60)
                shown = poll(lambda: self.look(p, ratio), f"the window at ratio {ratio}")
                reference = scratch / f"reference-{ratio}.png"
                subprocess.run([REFERENCE, str(ratio), SHIPPED["AnalogColor"], str(reference)], check=True)
                x, y = window.geometry()[:2]
                dx, dy, w, h = shown["imgWatch"]["inWindow"]
                crop = (w * ratio, h * ratio, x + dx * ratio, y + dy * ratio)
                on_screen = scratch / f"screen-{ratio}-{left}.png"

                def differing():
                    subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % crop, "+repage",
                                    str(on_screen)], check=True)
                    result = subprocess.run(["compare", "-metric", "AE", str(reference), str(on_screen), "null:"],
                                            capture_output=True, text=True)
                    return int(float(result.stderr.split()[0]))
                poll(lambda: differing() == 0, f"the dial on the screen at ratio {ratio} as composed for it")
                p.save_screenshot(f"ratio_{ratio}_at_{left}")
            p.close_by_window_manager()
            p.wait_exit()

    @staticmethod
    def look(program, ratio):
        """A fresh snapshot of the window once it has the ratio, else None."""
        before = len(program.snapshots())
        program.keys("shift")
        poll(lambda: len(program.snapshots()) > before, "a snapshot")
        shown = program.snapshots()[-1]
        return shown if shown["ratio"] == ratio else None


if __name__ == "__main__":
    main()
