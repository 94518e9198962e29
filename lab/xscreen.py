"""The X server: a virtual display, grabs of its root window, screenshots,
and the pointer's image. The only place the lab reads the root window."""
import ctypes
import os
import subprocess
import time
from pathlib import Path

from . import LabError, xdummy
from .waits import WaitTimeout


def run_x(argv, display, what, log=subprocess.DEVNULL, timeout=30):
    """Runs an X client on the display to its end; its stdout."""
    try:
        done = subprocess.run(argv, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=log,
                              env=dict(os.environ, DISPLAY=display), timeout=timeout)
    except subprocess.TimeoutExpired:
        raise WaitTimeout(f"waited {timeout:g} s for {what}: {argv}") from None
    if done.returncode != 0:
        raise LabError(f"{what} failed with exit code {done.returncode}: {argv}")
    return done.stdout


def start_display(width, height, log=subprocess.DEVNULL, first=20, second=(), workdir=None):
    """Starts Xvfb on the first free display from :first at width x height,
    or, with a second monitor (width, height, side), Xorg's dummy driver
    with two outputs (its files in workdir); returns (Popen, ":N") once it
    answers."""
    for n in range(first, first + 80):
        if Path(f"/tmp/.X{n}-lock").exists() or Path(f"/tmp/.X11-unix/X{n}").exists():
            continue
        argv = (xdummy.server_argv(n, workdir) if second else
                ["Xvfb", f":{n}", "-screen", "0", f"{width}x{height}x24", "-nolisten", "tcp",
                 "-noreset"])
        xvfb = subprocess.Popen(argv, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                start_new_session=True)
        deadline = time.monotonic() + 15
        while xvfb.poll() is None and time.monotonic() < deadline:
            if answers(f":{n}"):
                if second:
                    xdummy.lay_out(f":{n}", (width, height), second)
                return xvfb, f":{n}"
            time.sleep(0.1)
        xvfb.kill()  # lost a race for this display, or hung: take the next
        xvfb.wait(10)
    raise LabError("no X display could be started")


def answers(display):
    """Whether an X server answers on the display."""
    return subprocess.run(["xdpyinfo", "-display", display], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0


class Screen:
    """One grab of the whole X screen, 8-bit RGB."""

    def __init__(self, data, width, height):
        if len(data) != width * height * 3:
            raise LabError(f"screen grab has {len(data)} bytes, expected {width}x{height}x3")
        self.data, self.width, self.height = data, width, height

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def mismatch(self, rgb, box=None):
        """The first pixel in box (left, top, right, bottom; right and bottom
        excluded) that is not rgb, as (x, y, seen), or None."""
        left, top, right, bottom = box or (0, 0, self.width, self.height)
        want = bytes(rgb) * (right - left)
        for y in range(top, bottom):
            start = (y * self.width + left) * 3
            row = self.data[start:start + len(want)]
            if row != want:
                for x in range(left, right):
                    if self.pixel(x, y) != tuple(rgb):
                        return x, y, self.pixel(x, y)
        return None


def grab(display, width, height, log=subprocess.DEVNULL):
    return Screen(run_x(["import", "-window", "root", "-depth", "8", "rgb:-"], display,
                        "a screen grab", log), width, height)


def screenshot(display, path, log=subprocess.DEVNULL):
    run_x(["import", "-window", "root", str(path)], display, "a screenshot", log)
    return path


class _XFixesCursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short), ("width", ctypes.c_ushort),
                ("height", ctypes.c_ushort), ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong)),
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]


def cursor_image(display):
    """The pointer's picture as the X server shows it: (width, height, hot
    spot x, hot spot y, ARGB pixels)."""
    x11 = ctypes.CDLL("libX11.so.6")
    xfixes = ctypes.CDLL("libXfixes.so.3")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x11.XFree.argtypes = [ctypes.c_void_p]
    xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(_XFixesCursorImage)
    xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
    dpy = x11.XOpenDisplay(display.encode())
    if not dpy:
        raise LabError(f"cannot open the X display {display}")
    try:
        image = xfixes.XFixesGetCursorImage(dpy)
        if not image:
            raise LabError("XFixesGetCursorImage gave nothing")
        c = image.contents
        pixels = tuple(c.pixels[i] & 0xFFFFFFFF for i in range(c.width * c.height))
        result = (c.width, c.height, c.xhot, c.yhot, pixels)
        x11.XFree(image)
        return result
    finally:
        x11.XCloseDisplay(dpy)


def rgb_hex(rgb):
    """A colour for a message: #rrggbb, or none."""
    return "none" if rgb is None else "#%02x%02x%02x" % tuple(rgb)
