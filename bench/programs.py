"""The two programs under Wine: one start of either, the keeper that holds
Wine's desktop up between starts, and choosing from Vexo.exe's menu."""
import os
import subprocess
import time

from lab import menu, procs, wine, xscreen
from lab.xinput import XInput

from .config import H, MENU_AT, MENU_EDGE, MENU_PROBE, VEXO, W, DESKTOP, BenchError


def x_input():
    return XInput(os.environ["DISPLAY"])


_menu_rows = {}


def entry_point(entry, behind):
    """Where to click an entry of the menu open at MENU_AT over a screen of
    the colour `behind` (hex); measured from a screen grab the first time,
    which needs a screen of one colour."""
    if not _menu_rows:
        if behind is None:
            raise BenchError("the menu's rows are measured over a screen of one colour first")
        rgb = tuple(bytes.fromhex(behind))
        deadline = time.monotonic() + 5
        while True:  # the menu draws a moment after it opens
            pixel = xscreen.grab(os.environ["DISPLAY"], W, H).pixel
            rect = menu.menu_rect(pixel, *MENU_AT, rgb, W, H)
            rows = menu.caption_rows(pixel, rect)
            if rows:
                break
            if time.monotonic() > deadline:
                raise BenchError(f"no entry rows in the menu at {rect}")
            time.sleep(0.1)
        _menu_rows.update(rows)
    return MENU_AT[0] + 40, MENU_AT[1] + _menu_rows[entry]


def choose(pixels, entry, behind):
    """Opens Vexo.exe's menu with the right button over a screen of the colour
    `behind` and clicks an entry; the time of the click."""
    x_input().click(*MENU_AT, 3)
    pixels.wait(*MENU_PROBE, MENU_EDGE, 10000)
    point = entry_point(entry, behind)
    clicked = time.monotonic()
    x_input().click(*point, 1)
    return clicked


class Program:
    """One start of Vexo.exe or the yardstick under Wine."""

    def __init__(self, exe, args, gdi_log=None):
        self.exe, self.args = exe, args
        env = dict(os.environ)
        self.log = None
        if gdi_log is not None:
            env["WINEDEBUG"] = "+gdi"
            self.log = open(gdi_log, "wb")
        self.t_launch = time.monotonic()
        self.proc = subprocess.Popen([wine.WINE32, str(exe), *args], stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL,
                                     stderr=self.log or subprocess.DEVNULL, env=env)
        self._pid = None

    def pid(self):
        """The wine process whose command line names the program, in this
        prefix: Wine's loader, or qemu-i386 running it where the kernel runs
        no 32-bit code."""
        if self._pid is not None:
            return self._pid
        found = procs.runners(self.exe.name, wine.PREFIX)
        if self.proc.pid in found:
            found = [self.proc.pid]
        if len(found) != 1:
            raise BenchError(f"expected one wine process of {self.exe.name}, found {found}")
        self._pid = found[0]
        return self._pid

    def cpu_ticks(self):
        """utime + stime of the process, in clock ticks."""
        return procs.cpu_ticks(self.pid())

    def quit(self, presses=3, timeout=10):
        """Presses and releases Esc, as a user ends either program, again if
        it goes on; the exit code. self.presses tells how many it took."""
        try:
            for self.presses in range(1, presses + 1):
                x_input().key("Escape")
                try:
                    return self.proc.wait(timeout=timeout)
                except subprocess.TimeoutExpired:
                    pass
            self.kill()
            raise BenchError(f"{self.exe.name} did not end after {presses} presses of Esc")
        finally:
            if self.log:
                self.log.close()

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()


def wait_wineserver_gone():
    subprocess.run(["wineserver", "-w"], timeout=120, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class Keeper:
    """Holds the prefix's desktop up between runs: a 64-bit cmd that waits for
    input that never comes, until closed."""

    def __init__(self, pixels):
        self.proc = subprocess.Popen([wine.WINE64, "cmd"], stdin=subprocess.PIPE,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        pixels.wait_all(DESKTOP, 120)

    def close(self):
        self.proc.stdin.close()
        try:
            self.proc.wait(timeout=30)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()


def args_of(exe):
    return ["no_welcome"] if exe == VEXO else []
