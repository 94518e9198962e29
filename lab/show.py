"""`make run`: Vexo.exe under Wine. On a desktop it simply runs. With no
display, on a virtual one, where nobody can press Esc: it saves a screenshot
once the screen shows and ends the program.

Usage: python3 -m lab.show [ARGS FOR VEXO.EXE]
"""
import os
import subprocess
import sys
import time

from . import BUILD, WIN32_DIR, LabError, facts, wine, xscreen

EXE = WIN32_DIR / facts.EXE
SCREENSHOT = BUILD / "screenshot.png"


def on_desktop(args, env):
    return subprocess.run([wine.WINE32, str(EXE), *args], stdin=subprocess.DEVNULL, env=env).returncode


def on_virtual_display(args):
    desktop = wine.DEFAULT
    xvfb, display = xscreen.start_display(desktop.width, desktop.height, first=90)
    env = dict(wine.environment(), DISPLAY=display)
    try:
        wine.prepare()
        print(f"Starting {facts.EXE} on virtual display {display}...")
        vexo = subprocess.Popen([wine.WINE32, str(EXE), *args], stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
        wait_for_screen(display, desktop, vexo)
        xscreen.screenshot(display, SCREENSHOT)
        print(f"{facts.EXE} is showing its screen; screenshot: {SCREENSHOT.relative_to(BUILD.parent)}")
        return 0
    finally:
        wine.end_server(env)
        xvfb.kill()
        xvfb.wait(10)


def wait_for_screen(display, desktop, vexo):
    """The display is black before the virtual desktop comes up, so the screen
    counts as shown once the corners are black after the desktop was seen, or,
    should the desktop flash by unseen, black for 20 s with Vexo.exe running.
    Then the welcome box paints a moment later: a pixel of its face in the
    middle of the screen."""
    corners = [(4, 4), (desktop.width - 5, desktop.height - 5)]
    started = time.monotonic()
    seen_desktop = False
    while True:
        screen = xscreen.grab(display, desktop.width, desktop.height)
        colours = {screen.pixel(*p) for p in corners}
        seen_desktop = seen_desktop or colours == {wine.BACKGROUND}
        if colours == {facts.BLACK} and (seen_desktop or time.monotonic() - started >= 20):
            break
        if vexo.poll() is not None:
            raise LabError(f"{facts.EXE} ended before its screen showed")
        if time.monotonic() - started > 300:
            raise LabError(f"{facts.EXE} showed no black screen within 300 s")
        time.sleep(0.2)
    middle = (desktop.width // 2, desktop.height // 2)
    for _ in range(50):
        if xscreen.grab(display, desktop.width, desktop.height).pixel(*middle) != facts.BLACK:
            return
        time.sleep(0.1)


def main(args):
    if not EXE.exists():
        print(f"run: {EXE} missing: run make exe", file=sys.stderr)
        return 1
    try:
        held = wine.lock()
        try:
            if os.environ.get("DISPLAY") and xscreen.answers(os.environ["DISPLAY"]):
                wine.prepare()
                return on_desktop(args, wine.environment())
            return on_virtual_display(args)
        finally:
            held.close()
    except LabError as e:
        print(f"run: {e}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
