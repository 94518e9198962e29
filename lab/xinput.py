"""X input through xdotool (XTEST): the only place the lab drives it. Keys go
to the window that holds the X focus, the pointer's buttons to the window
under it."""
import subprocess

from .xscreen import run_x


class XInput:
    def __init__(self, display, log=subprocess.DEVNULL):
        self.display, self.log = display, log

    def xdotool(self, *args):
        run_x(["xdotool", *map(str, args)], self.display, f"xdotool {' '.join(map(str, args))}",
              self.log)

    def mouse_move(self, x, y):
        self.xdotool("mousemove", x, y)

    def right_press(self, x, y):
        self.xdotool("mousemove", x, y, "mousedown", 3)

    def right_release(self, x, y):
        self.xdotool("mousemove", x, y, "mouseup", 3)

    def click(self, x, y, button=1):
        self.xdotool("mousemove", x, y, "click", button)

    def key(self, *keys):
        """Presses and releases each key in turn (X names: Escape, Menu,
        shift+F10; a "+" chord's modifiers are let go before its key)."""
        self.xdotool("key", *keys)

    def keydown(self, key):
        self.xdotool("keydown", key)

    def keyup(self, key):
        self.xdotool("keyup", key)

    def key_holding(self, modifiers, key):
        """Taps key while the modifiers stay held across its release."""
        for m in modifiers:
            self.keydown(m)
        self.key(key)
        for m in reversed(modifiers):
            self.keyup(m)
