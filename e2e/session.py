"""The session: Xvfb, the prefix's wineserver and the probe for one desktop
at a time, a clean start for every scenario, and the programs it launches.
Every process the session starts is ended by close(), also after a failure,
Ctrl-C or a timeout."""
import json
import os
import queue
import subprocess
import time

from lab import LabError, procs, wine, xscreen
from lab.xscreen import rgb_hex
from lab.procs import Lines
from lab.waits import WaitTimeout, wait_until
from lab.xinput import XInput

from constants import (DEFAULT, LAUNCHER, LOG, OUT, PREFIX, PROBE, PROGRAM_KEY, STARTUP_KEY,
                       TASKBAR_CLASS, VEXO, WIN32_DIR, WM_DISPLAYCHANGE, BACKGROUND, HarnessError)
from probe_client import ProbeClient, as_bytes, describe


def prefix_processes():
    """Pids of the processes that run in this harness's Wine prefix: those we
    started, directly or through Wine, and no others."""
    return procs.in_prefix(PREFIX)


class Launched:
    """A program started by launcher.exe: its Windows pid and its exit code."""

    def __init__(self, session, cmdline, show):
        self.session, self.cmdline, self.show = session, cmdline, show
        self.exit_code = None
        show_word = "none" if show is None else str(show)
        self._proc = subprocess.Popen(
            [wine.WINE64, str(LAUNCHER), "--hex", show_word, cmdline.hex()],
            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=session.log,
            env=session.env, cwd=WIN32_DIR)
        session.launched.append(self)
        self._lines = Lines(self._proc.stdout)
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


class Session(ProbeClient):
    """Xvfb, the prefix's wineserver and a probe server, for one Desktop at a
    time; switch() starts them anew for another."""

    wine_loader = wine.WINE64

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
        self._lock = wine.lock()
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
        self._xvfb, self.display = xscreen.start_display(desktop.width, desktop.height, self.log,
                                                         second=desktop.second,
                                                         workdir=wine.WINE_DIR)
        self.x = XInput(self.display, self.log)
        (OUT / "xvfb.pid").write_text(f"{self._xvfb.pid} {self.display}")
        self.env = dict(wine.environment(), DISPLAY=self.display)
        try:
            wine.ensure_prefix(say=self.say)
        except LabError as e:
            raise HarnessError(str(e)) from None
        # The desktop's settings first: `reg` itself brings up a desktop, with
        # the settings it found, so the server is ended once they are in.
        try:
            wine.reg_import(wine.desktop_settings(desktop), self.env, "the desktop's settings")
        except LabError as e:
            raise HarnessError(str(e)) from None
        self._run([wine.WINESERVER, "-k"], "wineserver to save the settings", timeout=60, check=False)
        wait_until("the settings' wineserver to end", lambda: (not prefix_processes(), prefix_processes()), 30)
        # Started by us, not by the first client, so that it holds none of
        # our pipes open; persistent, so that scenarios don't restart it.
        self._run([wine.WINESERVER, "-p"], "wineserver to start", timeout=60, stdout=subprocess.DEVNULL)
        self._start_probe_server()
        self.taskbar = None
        if desktop.task_bar:
            self.taskbar = self.wait_taskbar(timeout=60)
        if not desktop.virtual:
            self._wait_monitors(desktop)
        self._wait_empty_desktop(timeout=60)

    def _wait_monitors(self, desktop):
        """Until Windows programs see both monitors. Wine can start with the
        monitors it knew from the last desktop (seen here after a virtual
        one); laying the outputs out again sends it the RandR change, on
        which it reads them anew."""
        def two():
            seen = self.monitors()
            return len(seen) == 2, [m.rect for m in seen]
        try:
            wait_until("Wine to see two monitors", two, 10)
        except WaitTimeout:
            xscreen.xdummy.lay_out(self.display, (desktop.width, desktop.height), desktop.second)
            wait_until("Wine to see two monitors after the outputs were laid out again", two, 20)

    def _wait_empty_desktop(self, timeout):
        # Without a virtual desktop nobody paints the background: no window
        # of the prefix's programs is shown instead.
        if self.desktop.virtual:
            self.wait_screen(BACKGROUND, box=self.free_area(), what="the empty virtual desktop",
                             timeout=timeout)
            return
        wait_until("no window shown on the desktop",
                   lambda: (not (shown := [describe(w) for w in self.windows()
                                           if w.visible and w.cls not in ("IME", "#32769")]),
                            shown), timeout)

    def _take_down(self):
        for app in self.launched:
            if app.running():
                app._proc.kill()
        self.launched = []
        self._stop_probe_server()
        if self.env:
            self._run([wine.WINESERVER, "-k"], "wineserver to end", timeout=60, check=False)
            for pid in prefix_processes():
                procs.kill(pid)
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
                procs.kill(pid)
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
            if procs.runs(int(pid), "Xvfb", display) or procs.runs(int(pid), "Xorg", display):
                procs.kill(int(pid))
            pidfile.unlink()
        if PREFIX.exists():
            try:
                wine.end_server(dict(os.environ, WINEPREFIX=str(PREFIX)))
            except subprocess.TimeoutExpired:
                pass  # the sweep below ends it
        for pid in prefix_processes():
            procs.kill(pid)

    # ---- scenarios -------------------------------------------------------

    def begin(self, name):
        """Resets what one scenario could leave for the next."""
        self.scenario = name
        self.launched = []
        if not self._probe_alive():
            self._start_probe_server()
        for key in (PROGRAM_KEY, STARTUP_KEY):
            self.regdel(key)
            if self.reg(key) is not None:
                raise HarnessError(f"HKCU\\{key} is still there after deleting it")
        self._wait_empty_desktop(timeout=30)

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
        return wine.win_path(VEXO)

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
        return self._run([wine.WINE64, *map(str, args)], f"wine {args[0]}", timeout, check)

    def launch(self, cmdline, show=None):
        """Starts a program with exactly this command line (bytes, or a str
        of one byte per character) and this show request (None: no
        STARTF_USESHOWWINDOW). Returns once the process exists."""
        return Launched(self, as_bytes(cmdline), show)

    # ---- the task bar, through the probe ---------------------------------

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
        return xscreen.cursor_image(self.display)

    # ---- X screen -----------------------------------------------------------

    def grab(self):
        return xscreen.grab(self.display, self.width, self.height, self.log)

    def screenshot(self, name):
        """Saves the screen as build/e2e/SCENARIO-NAME.png; returns the path."""
        return xscreen.screenshot(self.display, OUT / f"{self.scenario}-{name}.png", self.log)

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

    # ---- X input ------------------------------------------------------------
    # xdotool types through XTEST into the window under the pointer: the
    # virtual desktop, which covers the screen.

    def xdotool(self, *args):
        self.x.xdotool(*args)

    def mouse_move(self, x, y):
        self.x.mouse_move(x, y)

    def right_press(self, x, y):
        self.x.right_press(x, y)

    def right_release(self, x, y):
        self.x.right_release(x, y)

    def click(self, x, y, button=1):
        self.x.click(x, y, button)

    def key(self, *keys):
        """Presses and releases each key in turn (X names: Escape, Menu,
        shift+F10; a "+" chord's modifiers are let go before its key)."""
        self.x.key(*keys)

    def keydown(self, key):
        self.x.keydown(key)

    def keyup(self, key):
        self.x.keyup(key)

    def key_holding(self, modifiers, key):
        """Taps key while the modifiers stay held across its release."""
        self.x.key_holding(modifiers, key)
