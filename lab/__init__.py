"""The lab around Vexo.exe: what the end-to-end tier (e2e/), the benchmark
(bench/), `make run` and the shell scripts share.

    wine     the environment Wine runs in, the shared prefix, its lock, the
             virtual desktop's settings
    xscreen  the X server: a virtual display, grabs of the root window,
             screenshots, the pointer's image
    xinput   X input through xdotool
    procs    processes seen through /proc: those of a prefix, a program's
             runner, CPU time
    waits    bounded waits that say what they waited for
    facts    the program as seen from outside: colours, window classes, the
             menu's entries, the texts, its registry key
    menu     where the open menu draws its entries, measured from the screen
    show     `make run`: Vexo.exe on a desktop, a screenshot without a display

`python3 -m lab` gives the shell scripts the same set-up (see __main__.py).
"""
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
BUILD = ROOT / "build"
WIN32_DIR = BUILD / "win32"


class LabError(Exception):
    """The lab's machinery failed (a display, Wine's set-up, a tool), not the
    program under test."""
