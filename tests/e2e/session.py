"""A desktop session's view of the real program: where a control is on the screen at
whatever pixel density the window's screen has, and whether the window can be seen
at all. Its sound is tests/walk/sound.py's.
"""

from harness import poll, run


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
