"""The end-to-end harness: the real Vexo.exe under Wine, on a virtual X display.

One Session per run owns Xvfb, a wineserver and a long-running probe; every
scenario gets the same Session, reset by begin(). Every process the session
starts is ended by close(), also after a failure, Ctrl-C or a timeout.
"""
import ctypes
import json
import os
import queue
import signal
import subprocess
import sys
import threading
import time
from pathlib import Path
from types import SimpleNamespace

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "scripts"))
import winenv  # noqa: E402  the one Wine and X set-up, shared with run and bench

WIN32_DIR = ROOT / "build" / "win32"
# VELUMEN_E2E_VEXO runs the scenarios against another build, e.g. a broken one.
VEXO = Path(os.environ.get("VELUMEN_E2E_VEXO", WIN32_DIR / "Vexo.exe"))
LAUNCHER = WIN32_DIR / "e2e" / "launcher.exe"
PROBE = WIN32_DIR / "e2e" / "probe.exe"
# Screenshots and Wine's output of the scenarios.
OUT = Path(os.environ.get("VELUMEN_E2E_OUT", ROOT / "build" / "e2e"))
LOG = OUT / "wine.log"
PREFIX = winenv.PREFIX

WINE = winenv.WINE
WINESERVER = winenv.WINESERVER
DEFAULT = winenv.DEFAULT
SHELL = winenv.Desktop(name="shell")  # the same screen with Wine's task bar at the bottom
SCREEN_W, SCREEN_H = DEFAULT.width, DEFAULT.height
BACKGROUND = winenv.BACKGROUND

PROGRAM_KEY = r"Software\Korvanta\Velumen"
STARTUP_KEY = r"Software\VelumenE2E"  # where `probe.exe startup` reports

# Show commands and messages the scenarios use.
SW_HIDE, SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED = 0, 1, 2, 3
SW_SHOWMINNOACTIVE, SW_SHOWDEFAULT = 7, 10
WM_CLOSE, WM_DISPLAYCHANGE, WM_SYSCOMMAND = 0x0010, 0x007E, 0x0112
SC_MINIMIZE, SC_RESTORE, SC_CLOSE = 0xF020, 0xF120, 0xF060
REG_SZ, REG_BINARY, REG_DWORD = 1, 3, 4
WS_POPUP = 0x80000000
TASKBAR_CLASS = "Shell_TrayWnd"  # Wine's explorer's task bar, a window of its own process


class HarnessError(Exception):
    """The test machinery itself failed, not the program under test."""


class WaitTimeout(AssertionError):
    """A bounded wait ran out; the message names what was expected and seen."""


def wait_until(what, poll, timeout, interval=0.2):
    """Calls poll() -> (done, seen) until done; returns seen, or raises
    WaitTimeout naming `what` and the last thing seen."""
    deadline = time.monotonic() + timeout
    while True:
        done, seen = poll()
        if done:
            return seen
        if time.monotonic() >= deadline:
            raise WaitTimeout(f"waited {timeout:g} s for {what}; last seen: {seen}")
        time.sleep(interval)


def win_path(path):
    """The Windows name of a file of this machine (Wine's Z: drive)."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def as_bytes(text):
    """Command lines are bytes; a str is taken as one byte per character."""
    return text if isinstance(text, bytes) else text.encode("latin-1")


def rgb_hex(rgb):
    return "none" if rgb is None else "#%02x%02x%02x" % tuple(rgb)


class _Lines:
    """Reads a child's stdout on a thread, so that every read can be bounded."""

    def __init__(self, stream):
        self._queue = queue.Queue()
        threading.Thread(target=self._pump, args=(stream,), daemon=True).start()

    def _pump(self, stream):
        for line in iter(stream.readline, b""):
            self._queue.put(line)
        self._queue.put(None)

    def next(self, timeout):
        """The next line, None at end of file; raises queue.Empty on timeout."""
        return self._queue.get(timeout=timeout)


class Screen:
    """One grab of the whole X screen, 8-bit RGB."""

    def __init__(self, data, width, height):
        if len(data) != width * height * 3:
            raise HarnessError(f"screen grab has {len(data)} bytes, expected {width}x{height}x3")
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


class Launched:
    """A program started by launcher.exe: its Windows pid and its exit code."""

    def __init__(self, session, cmdline, show):
        self.session, self.cmdline, self.show = session, cmdline, show
        self.exit_code = None
        show_word = "none" if show is None else str(show)
        self._proc = subprocess.Popen(
            [WINE, str(LAUNCHER), "--hex", show_word, cmdline.hex()],
            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=session.log,
            env=session.env, cwd=WIN32_DIR)
        session.launched.append(self)
        self._lines = _Lines(self._proc.stdout)
        first = self._next(60, "the launcher to start the program")
        if "error" in first:
            self._proc.wait(30)
            raise HarnessError(f"launcher could not start {cmdline!r}: {first}")
        self.pid = first["pid"]
        if bytes.fromhex(first["cmdline"]) != cmdline:
            raise HarnessError(f"launcher passed {bytes.fromhex(first['cmdline'])!r}, not {cmdline!r}")

    def _next(self, timeout, what):
        try:
            line = self._lines.next(timeout)
        except queue.Empty:
            raise WaitTimeout(f"waited {timeout:g} s for {what}: {self}") from None
        if line is None:
            try:
                code = self._proc.wait(10)
            except subprocess.TimeoutExpired:
                code = "none yet"
            raise HarnessError(f"launcher ended without a word while waiting for {what}, "
                               f"exit code {code} (see {LOG})")
        return json.loads(line)

    def wait(self, timeout=30):
        """Waits for the program to end and returns its exit code."""
        if self.exit_code is None:
            self.exit_code = self._next(timeout, "the program to end")["exit"]
            self._proc.wait(30)
        return self.exit_code

    def running(self):
        return self.exit_code is None and self._proc.poll() is None

    def kill(self):
        """Ends the program at once (TerminateProcess) and its launcher."""
        if not self.running():
            return
        if hasattr(self, "pid"):
            self.session.wine("taskkill", "/f", "/pid", str(self.pid), timeout=60, check=False)
            try:
                self.wait(30)
                return
            except (WaitTimeout, HarnessError):
                pass
        self._proc.kill()  # the program itself, if it has started, ends with the session
        self._proc.wait(10)

    def __repr__(self):
        return f"<pid {getattr(self, 'pid', '?')}: {self.cmdline!r}, show {self.show}>"


class Session:
    """Xvfb, the prefix's wineserver and a probe server, for one Desktop at a
    time; switch() starts them anew for another."""

    def __init__(self, say=print):
        self.say = say
        self.desktop = None
        self.taskbar = None
        self.display = None
        self.env = None
        self.log = None
        self.scenario = "session"
        self.launched = []
        self._xvfb = None
        self._server = None
        self._lock = None

    @property
    def width(self):
        return self.desktop.width

    @property
    def height(self):
        return self.desktop.height

    # ---- life cycle ------------------------------------------------------

    def start(self, desktop=DEFAULT):
        """Takes the prefix and brings up a desktop; returns a one-line
        account of what runs where."""
        started = time.monotonic()
        OUT.mkdir(parents=True, exist_ok=True)
        for helper in (LAUNCHER, PROBE):
            if not helper.exists():
                raise HarnessError(f"{helper} is missing: build it with `make exe`")
        self._lock = winenv.lock()
        self.log = open(LOG, "ab")
        self._end_leftovers()
        self._bring_up(desktop)
        return (f"e2e: display {self.display}, desktop {desktop}, prefix {PREFIX}, "
                f"ready in {time.monotonic() - started:.1f} s; Wine's output in {LOG}")

    def _bring_up(self, desktop):
        try:
            self._bring_up_steps(desktop)
        except BaseException:
            # Half a desktop is no desktop: the next scenario starts anew.
            self._take_down()
            self.desktop = None
            raise

    def _bring_up_steps(self, desktop):
        self.desktop = desktop
        self._xvfb, self.display = winenv.start_display(desktop.width, desktop.height, self.log)
        (OUT / "xvfb.pid").write_text(f"{self._xvfb.pid} {self.display}")
        self.env = dict(winenv.environment(), DISPLAY=self.display)
        try:
            winenv.ensure_prefix(say=self.say)
        except winenv.SetupError as e:
            raise HarnessError(str(e)) from None
        # The desktop's settings first: `reg` itself brings up a desktop, with
        # the settings it found, so the server is ended once they are in.
        try:
            winenv.reg_import(winenv.desktop_settings(desktop), self.env, "the desktop's settings")
        except winenv.SetupError as e:
            raise HarnessError(str(e)) from None
        self._run([WINESERVER, "-k"], "wineserver to save the settings", timeout=60, check=False)
        wait_until("the settings' wineserver to end", lambda: (not prefix_processes(), prefix_processes()), 30)
        # Started by us, not by the first client, so that it holds none of
        # our pipes open; persistent, so that scenarios don't restart it.
        self._run([WINESERVER, "-p"], "wineserver to start", timeout=60, stdout=subprocess.DEVNULL)
        self._start_probe_server()
        self.taskbar = None
        if desktop.task_bar:
            self.taskbar = self.wait_taskbar(timeout=60)
        self.wait_screen(BACKGROUND, box=self.free_area(), what="the empty virtual desktop",
                         timeout=60)

    def _take_down(self):
        for app in self.launched:
            if app.running():
                app._proc.kill()
        self.launched = []
        if self._server:
            try:
                self._server.stdin.close()  # its end of file ends it
                self._server.wait(10)
            except (OSError, subprocess.TimeoutExpired):
                self._server.kill()
            self._server = None
        if self.env:
            self._run([WINESERVER, "-k"], "wineserver to end", timeout=60, check=False)
            for pid in prefix_processes():
                _kill(pid)
        if self._xvfb:
            self._xvfb.terminate()
            try:
                self._xvfb.wait(10)
            except subprocess.TimeoutExpired:
                self._xvfb.kill()
                self._xvfb.wait(10)
            self._xvfb = None
            (OUT / "xvfb.pid").unlink(missing_ok=True)

    def switch(self, desktop):
        """Brings up another desktop (size, DPI, name) in the same prefix."""
        if desktop == self.desktop:
            return
        self._take_down()
        try:
            wait_until("the old desktop's processes to end",
                       lambda: (not prefix_processes(), prefix_processes()), 10)
        except WaitTimeout:
            for pid in prefix_processes():
                _kill(pid)
        self._bring_up(desktop)

    def close(self):
        """Ends everything this session started. Safe to call more than once.
        Returns the pids of those that would not end."""
        if not self._lock:  # never started, or closed: nothing here is ours
            return []
        self._take_down()
        if self.log:
            self.log.close()
            self.log = None
        try:
            left = wait_until("every process of the session to end",
                              lambda: (not prefix_processes(), prefix_processes()), 10)
        except WaitTimeout:
            left = prefix_processes()
        self._lock.close()
        self._lock = None
        return left

    def _end_leftovers(self):
        """A run that was killed outright leaves its processes: end them."""
        pidfile = OUT / "xvfb.pid"
        if pidfile.exists():
            pid, display = pidfile.read_text().split()
            if _read(f"/proc/{pid}/cmdline").split(b"\0")[:2] == [b"Xvfb", display.encode()]:
                _kill(int(pid))
            pidfile.unlink()
        if PREFIX.exists():
            env = dict(os.environ, WINEPREFIX=str(PREFIX))
            try:
                subprocess.run([WINESERVER, "-k"], env=env, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
            except subprocess.TimeoutExpired:
                pass  # the sweep below ends it
        for pid in prefix_processes():
            _kill(pid)

    def _start_probe_server(self):
        self._server = subprocess.Popen([WINE, str(PROBE), "serve"], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=self.log, env=self.env)
        self._server_lines = _Lines(self._server.stdout)
        self._answer("the probe to start the virtual desktop", timeout=120)

    # ---- scenarios -------------------------------------------------------

    def begin(self, name):
        """Resets what one scenario could leave for the next."""
        self.scenario = name
        self.launched = []
        if not self._server or self._server.poll() is not None:
            self._start_probe_server()
        for key in (PROGRAM_KEY, STARTUP_KEY):
            self.regdel(key)
            if self.reg(key) is not None:
                raise HarnessError(f"HKCU\\{key} is still there after deleting it")
        self.wait_screen(BACKGROUND, box=self.free_area(), what="the empty virtual desktop",
                         timeout=30)

    def end(self):
        """Ends the programs a scenario left running."""
        for app in self.launched:
            app.kill()
        self.launched = []

    @property
    def vexo(self):
        """The Windows path of Vexo.exe, for a command line."""
        if not VEXO.exists():
            raise HarnessError(f"{VEXO} is missing: build it with `make exe`")
        return win_path(VEXO)

    # ---- processes -------------------------------------------------------

    def _run(self, argv, what, timeout, check=True, stdout=subprocess.PIPE):
        """Runs a command to its end; its stdout, or None when check is False
        and it failed."""
        try:
            done = subprocess.run(argv, stdin=subprocess.DEVNULL, stdout=stdout, stderr=self.log,
                                  env=self.env, timeout=timeout)
        except subprocess.TimeoutExpired:
            if check:
                raise WaitTimeout(f"waited {timeout:g} s for {what}: {argv}") from None
            return None
        if done.returncode != 0:
            if check:
                raise HarnessError(f"{what} failed with exit code {done.returncode}: {argv} (see {LOG})")
            return None
        return done.stdout or b""

    def wine(self, *args, timeout=60, check=True):
        """Runs a Windows program (a command of the prefix or a path) to its end."""
        return self._run([WINE, *map(str, args)], f"wine {args[0]}", timeout, check)

    def launch(self, cmdline, show=None):
        """Starts a program with exactly this command line (bytes, or a str
        of one byte per character) and this show request (None: no
        STARTF_USESHOWWINDOW). Returns once the process exists."""
        return Launched(self, as_bytes(cmdline), show)

    # ---- probe -----------------------------------------------------------

    def _answer(self, what, timeout):
        lines = []
        deadline = time.monotonic() + timeout
        while True:
            try:
                line = self._server_lines.next(max(0.0, deadline - time.monotonic()))
            except queue.Empty:
                self._server.kill()
                raise WaitTimeout(f"waited {timeout:g} s for {what}; the probe did not answer") from None
            if line is None:
                raise HarnessError(f"the probe ended while answering {what} (see {LOG})")
            obj = json.loads(line)
            if "done" in obj or "ready" in obj:
                return obj.get("done", 0), lines
            lines.append(obj)

    def probe(self, *words, timeout=30):
        """Asks the running probe; returns (exit code, list of JSON objects)."""
        words = [as_bytes(str(w)) if not isinstance(w, bytes) else w for w in words]
        if any(b"\t" in w or b"\n" in w for w in words):
            raise HarnessError(f"a probe word cannot hold a tab or a line break: {words}")
        if not self._server or self._server.poll() is not None:
            self._start_probe_server()
        self._server.stdin.write(b"\t".join(words) + b"\n")
        self._server.stdin.flush()
        return self._answer(f"probe {b' '.join(words).decode('latin-1')}", timeout)

    def _probe_ok(self, *words):
        rc, lines = self.probe(*words)
        if rc != 0:
            raise HarnessError(f"probe {words} failed: exit code {rc}, {lines}")
        return lines

    def windows(self, pid=None):
        """Top-level windows, of one process if pid is given. Each has hwnd,
        pid, tid, cls, text, rect (left, top, right, bottom), style, exstyle,
        enabled, visible, iconic, zoomed, foreground, topmost, owner and
        children (hwnd, cls, text, rect, style, id). Texts hold one
        character per ANSI byte."""
        words = ("windows",) if pid is None else ("windows", pid)
        return [_window(w) for w in self._probe_ok(*words)]

    def visible_windows(self, pid):
        return [w for w in self.windows(pid) if w.visible]

    def wait_window(self, pid, what, match=lambda w: w.visible, timeout=30):
        """Waits until a window of pid matches; returns it."""
        def poll():
            found = self.windows(pid)
            hits = [w for w in found if match(w)]
            return bool(hits), hits[0] if hits else [describe(w) for w in found if w.cls != "IME"]
        return wait_until(f"{what} (pid {pid})", poll, timeout)

    def reg(self, key):
        """The values under HKCU\\key as {name: value with type, size and the
        stored bytes as data}, or None when the key is missing."""
        rc, lines = self.probe("reg", key)
        if rc == 2:
            return None
        if rc != 0:
            raise HarnessError(f"probe reg {key} failed: exit code {rc}, {lines}")
        return {v["name"]: SimpleNamespace(type=v["type"], size=v["size"],
                                           data=bytes.fromhex(v["data"])) for v in lines}

    def regdel(self, key):
        self._probe_ok("regdel", key)

    def regset(self, key, name, text):
        self._probe_ok("regset", key, name, text)

    def pixels(self, points):
        """Screen colours through GetPixel in the prefix: [(r, g, b) or None]."""
        words = [str(c) for point in points for c in point]
        return [None if p["rgb"] is None else tuple(p["rgb"]) for p in self._probe_ok("pixel", *words)]

    def post(self, hwnd, msg, wparam=0, lparam=0):
        self._probe_ok("post", hwnd, msg, wparam, lparam)

    def send(self, hwnd, msg, wparam=0, lparam=0):
        """SendMessage: returns the window's answer once it has handled it."""
        return self._probe_ok("send", hwnd, msg, wparam, lparam)[0]["result"]

    def regvolatile(self, key):
        self._probe_ok("regvolatile", key)

    def workarea(self, rect=None):
        """The work area (left, top, right, bottom), after setting it to rect."""
        return tuple(self._probe_ok("workarea", *(rect or ()))[0]["workarea"])

    def metrics(self):
        """The screen size, the work area and the DPI as Windows programs see them."""
        return SimpleNamespace(**self._probe_ok("workarea")[0])

    def foreground(self, hwnd):
        self._probe_ok("foreground", hwnd)

    def type_keys(self, *vks):
        """Presses and releases each virtual key in turn through SendInput,
        which hands it to the foreground thread's focus as Windows does."""
        self._probe_ok("key", *vks)

    def focus(self, tid):
        """The keyboard focus and the active window of a thread: hwnd or 0."""
        return SimpleNamespace(**self._probe_ok("focus", tid)[0])

    def textfit(self, hwnd):
        """How the window's text lays out in the message-box font at the
        window's width: client and need as [width, height], line height."""
        return SimpleNamespace(**self._probe_ok("textfit", hwnd)[0])

    def accessible(self, hwnd):
        """(exit code, answer): name and role through AccessibleObjectFromWindow."""
        rc, lines = self.probe("acc", hwnd)
        return rc, lines[0] if lines else None

    def wait_taskbar(self, what="the task bar", match=lambda bar: True, timeout=10):
        """Waits for the task bar, shown and placed, to match; returns its
        window, whose children are its buttons: the first is Start, and each
        other's id is the window it stands for."""
        def poll():
            bars = [w for w in self.windows() if w.cls == TASKBAR_CLASS]
            shown = [w for w in bars if w.visible and w.rect[2] > w.rect[0] and w.rect[3] > w.rect[1]]
            return len(shown) == 1 and match(shown[0]), shown[0] if shown else bars
        return wait_until(what, poll, timeout)

    def refresh_taskbar(self):
        """Has the task bar lay out its buttons anew. Wine's bar does that by
        itself only when a top-level window is made or destroyed, not when
        one is shown; a change of display mode makes it too."""
        self.send(self.taskbar.hwnd, WM_DISPLAYCHANGE, 32, self.width | self.height << 16)

    def free_area(self):
        """The part of the screen that no task bar covers."""
        if self.taskbar is None:
            return (0, 0, self.width, self.height)
        return (0, 0, self.width, self.taskbar.rect[1])

    def end_session(self):
        """Ends the Windows session for every program of the prefix."""
        self.wine("wineboot", "--end-session", timeout=60)

    def cursor_image(self):
        """The pointer's picture as the X server shows it: (width, height,
        hot spot x, hot spot y, ARGB pixels)."""
        return _cursor_image(self.display)

    # ---- X screen ----------------------------------------------------------

    def _x(self, argv, what):
        return self._run(argv, what, timeout=30)

    def grab(self):
        return Screen(self._x(["import", "-window", "root", "-depth", "8", "rgb:-"], "a screen grab"),
                      self.width, self.height)

    def screenshot(self, name):
        """Saves the screen as build/e2e/SCENARIO-NAME.png; returns the path."""
        path = OUT / f"{self.scenario}-{name}.png"
        self._x(["import", "-window", "root", str(path)], "a screenshot")
        return path

    def wait_screen(self, rgb, box=None, what=None, timeout=20):
        """Waits until every pixel in box (default: the whole screen) is rgb."""
        what = what or f"{rgb_hex(rgb)} over {box or 'the whole screen'}"

        def poll():
            bad = self.grab().mismatch(rgb, box)
            return bad is None, bad and f"{rgb_hex(bad[2])} at ({bad[0]}, {bad[1]})"
        try:
            return wait_until(what, poll, timeout, interval=0.3)
        except WaitTimeout as e:
            raise WaitTimeout(f"{e}; screenshot {self.screenshot('timeout')}") from None

    # ---- X input -------------------------------------------------------------
    # xdotool types through XTEST into the window under the pointer: the
    # virtual desktop, which covers the screen.

    def xdotool(self, *args):
        self._x(["xdotool", *map(str, args)], f"xdotool {' '.join(map(str, args))}")

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


class _XFixesCursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short), ("width", ctypes.c_ushort),
                ("height", ctypes.c_ushort), ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong)),
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]


def _cursor_image(display):
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
        raise HarnessError(f"cannot open the X display {display}")
    try:
        image = xfixes.XFixesGetCursorImage(dpy)
        if not image:
            raise HarnessError("XFixesGetCursorImage gave nothing")
        c = image.contents
        pixels = tuple(c.pixels[i] & 0xFFFFFFFF for i in range(c.width * c.height))
        result = (c.width, c.height, c.xhot, c.yhot, pixels)
        x11.XFree(image)
        return result
    finally:
        x11.XCloseDisplay(dpy)


def describe(w):
    return f"{w.cls!r} {w.text!r} rect={w.rect} style={w.style:#x}{'' if w.visible else ' hidden'}"


def _window(obj):
    obj = dict(obj)
    obj["cls"] = obj.pop("class")
    obj["rect"] = tuple(obj["rect"])
    obj["children"] = [_window(c) for c in obj.get("children", [])]
    return SimpleNamespace(**obj)


def _read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return b""


def prefix_processes():
    """Pids of the processes that run in this harness's Wine prefix: those we
    started, directly or through Wine, and no others."""
    mark = b"WINEPREFIX=" + str(PREFIX).encode()
    return [int(d) for d in os.listdir("/proc")
            if d.isdigit() and int(d) != os.getpid() and mark in _read(f"/proc/{d}/environ").split(b"\0")]


def _kill(pid):
    try:
        os.kill(pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
