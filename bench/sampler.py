"""The pixel sampler's two clients (bench/xsample.c): `watch`, colour changes
at points read on a thread, and `serve`, single pixels and bounded waits."""
import signal
import subprocess
import threading
import time

from .config import POINTS, REAL_TIME, XSAMPLE, BenchError

SAMPLER_PRIORITY = ["chrt", "-f", "20"] if REAL_TIME else []


class Watch:
    """xsample watch: colour changes at points, read on a thread."""

    def __init__(self, points, *options):
        args = [*SAMPLER_PRIORITY, str(XSAMPLE), "watch", *options,
                *(f"{x},{y}" for x, y in points)]
        self.points = len(points)
        self.proc = subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                     text=True)
        self.changes = []  # (time, (x, y), colour)
        self.end = None
        self._lock = threading.Lock()
        self._first_round = threading.Event()
        self._thread = threading.Thread(target=self._read, daemon=True)
        self._thread.start()
        if not self._first_round.wait(10):
            self.stop()
            raise BenchError("the sampler showed no first round within 10 s")

    def _read(self):
        for line in self.proc.stdout:
            fields = line.split()
            if line.startswith("# end"):
                self.end = dict(zip(fields[3::2], fields[4::2]))
                self.end["t"] = float(fields[2])
                continue
            x, y = map(int, fields[1].split(","))
            with self._lock:
                self.changes.append((float(fields[0]), (x, y), fields[2]))
                if len(self.changes) >= self.points:
                    self._first_round.set()
        self._first_round.set()

    def snapshot(self):
        with self._lock:
            return list(self.changes)

    def wait_end(self, timeout):
        try:
            self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.stop()
            raise BenchError(f"the sampler did not finish within {timeout} s")
        self._thread.join(5)
        return self.end

    def stop(self):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self._thread.join(5)
        return self.end

    def gaps(self):
        """p99 and longest gap between rounds (us), the longest one's end
        time, and how many gaps were over 1 ms."""
        if not self.end:
            return None
        e = self.end
        return (int(e["p99gap_us"]), int(e["maxgap_us"]), float(e["maxgap_end"]),
                int(e["gaps_over_1ms"]))


class Pixels:
    """xsample serve: single pixels, and bounded waits for a colour."""

    def __init__(self):
        self.proc = subprocess.Popen([str(XSAMPLE), "serve"], stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, text=True, bufsize=1)

    def _ask(self, command):
        self.proc.stdin.write(command + "\n")
        self.proc.stdin.flush()
        answer = self.proc.stdout.readline()
        if not answer:
            raise BenchError("the pixel server ended")
        return answer.split()

    def get(self, x, y):
        return self._ask(f"get {x} {y}")[0]

    def wait(self, x, y, colour, ms, absent=False):
        """The time the point showed colour (or, absent, showed another one);
        raises BenchError after ms milliseconds."""
        answer = self._ask(f"wait {x} {y} {'!' if absent else ''}{colour} {ms}")
        if answer[0] != "ok":
            what = f"another colour than {colour}" if absent else colour
            raise BenchError(f"({x},{y}) showed {answer[2]}, not {what}, for {ms} ms")
        return float(answer[1])

    def wait_all(self, colour, seconds):
        deadline = time.monotonic() + seconds
        while True:
            seen = [self.get(x, y) for x, y in POINTS]
            if all(c == colour for c in seen):
                return
            if time.monotonic() > deadline:
                raise BenchError(f"the screen did not turn {colour} within {seconds} s: {seen}")
            time.sleep(0.05)

    def close(self):
        self.proc.stdin.close()
        self.proc.wait(timeout=5)
