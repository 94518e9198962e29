"""The probe client: one `probe.exe serve` in the session's prefix, and one
method per probe command, in the probe's own command order (e2e/probe.c)."""
import json
import queue
import subprocess
import time
from types import SimpleNamespace

from lab.procs import Lines
from lab.waits import WaitTimeout, wait_until

from constants import LOG, PROBE, HarnessError


def as_bytes(text):
    """Command lines are bytes; a str is taken as one byte per character."""
    return text if isinstance(text, bytes) else text.encode("latin-1")


def describe(w):
    return f"{w.cls!r} {w.text!r} rect={w.rect} style={w.style:#x}{'' if w.visible else ' hidden'}"


def _window(obj):
    obj = dict(obj)
    obj["cls"] = obj.pop("class")
    obj["rect"] = tuple(obj["rect"])
    obj["children"] = [_window(c) for c in obj.get("children", [])]
    return SimpleNamespace(**obj)


class ProbeClient:
    """Mixed into the session, which gives it `env` (Wine's, with DISPLAY) and
    `log` (where Wine's output goes)."""

    _server = None

    def _start_probe_server(self):
        self._server = subprocess.Popen([self.wine_loader, str(PROBE), "serve"], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=self.log, env=self.env)
        self._server_lines = Lines(self._server.stdout)
        self._answer("the probe to start the virtual desktop", timeout=120)

    def _probe_alive(self):
        return self._server is not None and self._server.poll() is None

    def _stop_probe_server(self):
        if self._server:
            try:
                self._server.stdin.close()  # its end of file ends it
                self._server.wait(10)
            except (OSError, subprocess.TimeoutExpired):
                self._server.kill()
            self._server = None

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
        if not self._probe_alive():
            self._start_probe_server()
        self._server.stdin.write(b"\t".join(words) + b"\n")
        self._server.stdin.flush()
        return self._answer(f"probe {b' '.join(words).decode('latin-1')}", timeout)

    def _probe_ok(self, *words):
        rc, lines = self.probe(*words)
        if rc != 0:
            raise HarnessError(f"probe {words} failed: exit code {rc}, {lines}")
        return lines

    # ---- the commands, in the probe's order ----------------------------------

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

    # `startup` is a command line of its own (test_harness.py), `serve` is this.

    def regvolatile(self, key):
        self._probe_ok("regvolatile", key)

    def workarea(self, rect=None):
        """The work area (left, top, right, bottom), after setting it to rect."""
        return tuple(self._probe_ok("workarea", *(rect or ()))[0]["workarea"])

    def metrics(self):
        """The screen size, the work area and the DPI as Windows programs see them."""
        return SimpleNamespace(**self._probe_ok("workarea")[0])

    def monitors(self):
        """Every monitor as programs see it: rect, work (area), primary."""
        return [SimpleNamespace(rect=tuple(m["rect"]), work=tuple(m["work"]), primary=m["primary"])
                for m in self._probe_ok("monitors")]

    def move(self, hwnd, rect):
        """SetWindowPos to (left, top, right, bottom), as Windows+Shift+Arrow
        moves a window to another monitor."""
        self._probe_ok("move", hwnd, *rect)

    def foreground(self, hwnd):
        self._probe_ok("foreground", hwnd)

    def focus(self, tid):
        """The keyboard focus and the active window of a thread: hwnd or 0."""
        return SimpleNamespace(**self._probe_ok("focus", tid)[0])

    def type_keys(self, *vks):
        """Presses and releases each virtual key in turn through SendInput,
        which hands it to the foreground thread's focus as Windows does."""
        self._probe_ok("key", *vks)

    def right_click_input(self, x, y):
        """The pointer to (x, y) and a right click, through SendInput: as a
        mouse's would, it reaches the window under the pointer, also where
        X's own pointer events do not reach Wine (no window manager)."""
        self._probe_ok("rightclick", x, y)

    def textfit(self, hwnd, width=None):
        """How the window's text lays out in the message-box font at the
        window's width, or at `width`: client and need as [width, height],
        line height, the font's face and height."""
        words = ("textfit", hwnd) if width is None else ("textfit", hwnd, width)
        return SimpleNamespace(**self._probe_ok(*words)[0])

    def textlook(self, hwnd):
        """The window's pixels against its text drawn in the message-box font:
        pixels, ink (the text's own), differ; differ_system_font for the
        system font, to show the comparison tells fonts apart."""
        return SimpleNamespace(**self._probe_ok("textlook", hwnd)[0])

    def accessible(self, hwnd):
        """(exit code, answer): name and role through AccessibleObjectFromWindow."""
        rc, lines = self.probe("acc", hwnd)
        return rc, lines[0] if lines else None
