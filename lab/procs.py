"""Processes as /proc shows them: the only place the lab reads it."""
import os
import queue
import signal
import threading
from pathlib import Path


def read(path):
    """A /proc file's bytes, or b"" once the process is gone."""
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return b""


def _pids():
    return [int(d) for d in os.listdir("/proc") if d.isdigit()]


def in_prefix(prefix):
    """Pids of the processes that run in this Wine prefix (those started,
    directly or through Wine, with its WINEPREFIX), this one excepted."""
    mark = b"WINEPREFIX=" + str(prefix).encode()
    return [pid for pid in _pids()
            if pid != os.getpid() and mark in read(f"/proc/{pid}/environ").split(b"\0")]


def runners(program, prefix):
    """Pids of the processes that run `program` (a file name) in the prefix:
    Wine's loader, or qemu-i386 running it where the kernel runs no 32-bit
    code itself."""
    found = []
    for pid in in_prefix(prefix):
        try:
            runner = os.path.basename(os.readlink(f"/proc/{pid}/exe"))
        except OSError:
            continue
        cmdline = read(f"/proc/{pid}/cmdline").split(b"\0")
        if ((runner.startswith("qemu-i386") or runner in ("wine", "wine-preloader"))
                and any(program.encode() in a for a in cmdline)):
            found.append(pid)
    return found


def runs(pid, *argv):
    """Whether pid is alive with a command line that starts with argv."""
    words = [a.encode() for a in argv]
    return read(f"/proc/{pid}/cmdline").split(b"\0")[:len(words)] == words


def cpu_ticks(pid):
    """utime + stime of the process, in clock ticks."""
    stat = Path(f"/proc/{pid}/stat").read_text()
    fields = stat[stat.rindex(")") + 2:].split()
    return int(fields[11]) + int(fields[12])


def kill(pid):
    try:
        os.kill(pid, signal.SIGKILL)
    except ProcessLookupError:
        pass


class Lines:
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
