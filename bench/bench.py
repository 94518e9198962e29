"""Velumen's benchmark: Vexo.exe beside the yardstick, a minimal Win32 program
of the benchmark's own, under Wine on a virtual X display.

Started by bench/run.sh, which makes the display, the Wine prefix and the
pixel sampler and passes them in the environment. Every figure is measured
for both programs in the same run, runs alternating between them, so that
the machine's state (other work on it, the emulator's caches) weighs on both
alike. Prints the table and writes it, with every single run, to
build/bench.txt.
"""
import datetime
import os
import platform
import re
import signal
import statistics
import subprocess
import sys
import threading
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "scripts"))
sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "e2e"))
import winenv  # noqa: E402  the shared Wine and X set-up
import menu_geometry  # noqa: E402  where the menu draws its entries, as the scenarios find it

ROOT = Path(__file__).resolve().parent.parent
VEXO = ROOT / "build" / "win32" / "Vexo.exe"
YARDSTICK = ROOT / "build" / "win32" / "bench" / "yardstick.exe"
OUT = ROOT / "build" / "bench"
REPORT = ROOT / "build" / "bench.txt"
XSAMPLE = Path(os.environ.get("XSAMPLE", OUT / "xsample"))
PREFIX = os.environ["WINEPREFIX"]
WINE = "wine"  # the 32-bit programs take Debian's wrapper, as scripts/run.sh does
WINE64 = "/usr/lib/wine/wine64"

RUNS = int(os.environ.get("BENCH_RUNS", "11"))
ANIM_SESSIONS = int(os.environ.get("BENCH_ANIM_SESSIONS", "3"))
RESTARTS = int(os.environ.get("BENCH_RESTARTS", "5"))  # of Vexo.exe's animation, per run
CYCLES = int(os.environ.get("BENCH_CYCLES", "2000"))
CYCLE_SECONDS = float(os.environ.get("BENCH_CYCLE_SECONDS", "300"))
# Real-time priority keeps the sampler's pace while Wine and qemu load both
# cores; run.sh gives the same to its Xvfb, which answers the sampler.
SAMPLER_PRIORITY = ["chrt", "-f", "20"] if os.environ.get("BENCH_RT", "1") == "1" else []

W, H = 1024, 768
DESKTOP = "%02X%02X%02X" % winenv.BACKGROUND  # never one of the programs' colours
BLACK, WHITE, GREEN = "000000", "FFFFFF", "408080"
MENU_EDGE = "A6A6A6"  # the pop-up menu's left border under Wine's default theme
# Corners, edge middles, centre and two inner points.
POINTS = [(0, 0), (W - 1, 0), (0, H - 1), (W - 1, H - 1), (W // 2, H // 2),
          (W // 2, 0), (0, H // 2), (W - 1, H // 2), (W // 2, H - 1),
          (W // 4, H // 4), (3 * W // 4, 3 * H // 4)]
FLIP_POINT = (700, 500)  # clear of the menu, which opens at MENU_AT
MENU_AT = (100, 100)
MENU_PROBE = (MENU_AT[0], MENU_AT[1] + 50)  # on the menu's left border
ENTRY_BLACK, ENTRY_WHITE, ENTRY_ANIMATION = "Black", "White", "White-Green animation"

NAMES = {VEXO: "Vexo.exe", YARDSTICK: "yardstick"}


class BenchError(Exception):
    pass


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
            grab = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"],
                                  capture_output=True, check=True, timeout=30).stdout

            def pixel(x, y):
                i = (y * W + x) * 3
                return tuple(grab[i:i + 3])
            rect = menu_geometry.menu_rect(pixel, *MENU_AT, rgb, W, H)
            rows = menu_geometry.caption_rows(pixel, rect)
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
    xdotool("mousemove", *MENU_AT, "click", "3")
    pixels.wait(*MENU_PROBE, MENU_EDGE, 10000)
    point = entry_point(entry, behind)
    clicked = time.monotonic()
    xdotool("mousemove", *point, "click", "1")
    return clicked


def xdotool(*args):
    subprocess.run(["xdotool", *map(str, args)], check=True, timeout=20,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)


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
        self.proc = subprocess.Popen([WINE, str(exe), *args], stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL,
                                     stderr=self.log or subprocess.DEVNULL, env=env)
        self._pid = None

    def pid(self):
        """The wine process whose command line names the program, in this
        prefix: Wine's loader, or qemu-i386 running it where the kernel runs
        no 32-bit code."""
        if self._pid is not None:
            return self._pid
        found = []
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                cmdline = Path(f"/proc/{entry}/cmdline").read_bytes().split(b"\0")
                environ = Path(f"/proc/{entry}/environ").read_bytes().split(b"\0")
                runner = os.path.basename(os.readlink(f"/proc/{entry}/exe"))
            except OSError:
                continue
            if ((runner.startswith("qemu-i386") or runner in ("wine", "wine-preloader"))
                    and any(self.exe.name.encode() in a for a in cmdline)
                    and f"WINEPREFIX={PREFIX}".encode() in environ):
                found.append(int(entry))
        if self.proc.pid in found:
            found = [self.proc.pid]
        if len(found) != 1:
            raise BenchError(f"expected one wine process of {self.exe.name}, found {found}")
        self._pid = found[0]
        return self._pid

    def cpu_ticks(self):
        """utime + stime of the process, in clock ticks."""
        stat = Path(f"/proc/{self.pid()}/stat").read_text()
        fields = stat[stat.rindex(")") + 2:].split()
        return int(fields[11]) + int(fields[12])

    def quit(self, presses=3, timeout=10):
        """Presses and releases Esc, as a user ends either program, again if
        it goes on; the exit code. self.presses tells how many it took."""
        try:
            for self.presses in range(1, presses + 1):
                xdotool("key", "Escape")
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
        self.proc = subprocess.Popen([WINE64, "cmd"], stdin=subprocess.PIPE,
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


# ---- start-up and flash -------------------------------------------------------

def startup_run(exe, pixels, cold):
    watch = Watch(POINTS, "-t", "120", "-b", DESKTOP)
    program = Program(exe, args_of(exe))
    try:
        end = watch.wait_end(130)
        if end is None or end["reason"] != "black":
            raise BenchError(f"{exe.name}: no black screen after the desktop: {end}")
        # The process's own CPU time until then: less swayed than the wall
        # clock by the other work on the machine.
        cpu = program.cpu_ticks()
        flashes = sorted({c for t, _, c in watch.changes
                          if t >= program.t_launch and c not in (DESKTOP, BLACK)})
        result = {"startup": end["t"] - program.t_launch, "flashes": flashes,
                  "gaps": watch.gaps(), "cpu": cpu}
        # Where the longest gap ended, in ms before the black frame.
        result["maxgap_before_black"] = (end["t"] - result["gaps"][2]) * 1000
        result["exit"] = program.quit()
        result["presses"] = program.presses
    finally:
        watch.stop()
        program.kill()
    if cold:
        wait_wineserver_gone()
    else:
        pixels.wait_all(DESKTOP, 30)
    return result


def startup_series(pixels, cold, log):
    """One warm-up start of each, then RUNS alternating pairs (the order swaps
    every pair, so that a slow drift of the machine weighs on both alike)."""
    results = {VEXO: [], YARDSTICK: []}
    for exe in (VEXO, YARDSTICK):
        startup_run(exe, pixels, cold)
    for i in range(RUNS):
        for exe in ((VEXO, YARDSTICK) if i % 2 == 0 else (YARDSTICK, VEXO)):
            r = startup_run(exe, pixels, cold)
            results[exe].append(r)
            log(f"  {'cold' if cold else 'warm'} start {i + 1}/{RUNS} {NAMES[exe]:9s} "
                f"{r['startup'] * 1000:7.1f} ms  cpu {r['cpu']} ticks  flash {r['flashes'] or '-'}  "
                f"gap p99/max {r['gaps'][0]}/{r['gaps'][1]} us, the longest "
                f"{r['maxgap_before_black']:.1f} ms before black, {r['gaps'][3]} over 1 ms  "
                f"exit {r['exit']} after {r['presses']} Esc")
    return results


# ---- flips and CPU ---------------------------------------------------------------

def colour_changes(watch):
    """The point's colour when the sampler began, then every change."""
    return [(t, c) for t, _, c in watch.snapshot()]


def timer_flips(changes, exe):
    """The flips that the timer makes: after the window's black, the first
    white is the yardstick's first tick but Vexo.exe's menu choice."""
    i_black = next((i for i, (_, c) in enumerate(changes) if c == BLACK), None)
    if i_black is None:
        return None, []
    i_white = next((i for i in range(i_black, len(changes)) if changes[i][1] == WHITE), None)
    if i_white is None:
        return None, []
    if exe == VEXO:
        return changes[i_white][0], changes[i_white + 1:]
    return None, changes[i_white:]


def anim_session(exe, pixels):
    """Still colour for 5 s, then the animation: CPU over 6 s of it and the
    times of 21 flips at one point."""
    result = {}
    # The yardstick shows a still colour only without its timer: two starts.
    program = Program(exe, args_of(exe))
    try:
        pixels.wait(*POINTS[4], BLACK, 60000)
        time.sleep(1.0)
        t0 = program.cpu_ticks()
        time.sleep(5.0)
        result["still"] = program.cpu_ticks() - t0
        if exe == YARDSTICK:
            result["exit_still"] = program.quit()
            pixels.wait_all(DESKTOP, 30)
        watch = Watch([FLIP_POINT], "-t", "120")
        try:
            if exe == YARDSTICK:
                program = Program(exe, ["flip"])
            choice_click = None
            if exe == VEXO:
                choice_click = choose(pixels, ENTRY_ANIMATION, BLACK)
            deadline = time.monotonic() + 60
            flips = []
            while not flips:
                if time.monotonic() > deadline:
                    raise BenchError(f"{exe.name}: no animation within 60 s")
                time.sleep(0.01)
                choice_white, flips = timer_flips(colour_changes(watch), exe)
            c0 = program.cpu_ticks()
            time.sleep(6.0)
            result["anim"] = program.cpu_ticks() - c0
            while len(flips) < 21:
                if time.monotonic() > deadline:
                    raise BenchError(f"{exe.name}: only {len(flips)} flips within 60 s")
                time.sleep(0.05)
                choice_white, flips = timer_flips(colour_changes(watch), exe)
        finally:
            watch.stop()
        flips = flips[:21]
        times = [t for t, _ in flips]
        result["intervals"] = [(b - a) * 1000 for a, b in zip(times, times[1:])]
        result["drift"] = ((times[20] - times[0]) - 20 * 0.5) * 1000
        # The same over a straight line through all 21: a single late flip
        # at either end moves it by 1/20 of what it moves the above.
        mean_i, mean_t = 10, statistics.mean(times)
        slope = (sum((i - mean_i) * (t - mean_t) for i, t in enumerate(times))
                 / sum((i - mean_i) ** 2 for i in range(21)))
        result["drift_fit"] = (slope - 0.5) * 20 * 1000
        result["strays"] = [c for _, c in flips if c not in (WHITE, GREEN)]
        result["alternates"] = all(a[1] != b[1] for a, b in zip(flips, flips[1:]))
        result["gaps"] = watch.gaps()
        if choice_white is not None:
            result["choice_to_white"] = [(choice_white - choice_click) * 1000]
            result["first_phase"] = [(times[0] - choice_white) * 1000]
            for _ in range(RESTARTS):
                restart_animation(pixels, result)
        result["exit"] = program.quit()
        result["presses"] = program.presses
    finally:
        program.kill()
    pixels.wait_all(DESKTOP, 30)
    return result


def restart_animation(pixels, result):
    """Black (which stops the timer), then the animation again: how long the
    first white lasts."""
    choose(pixels, ENTRY_BLACK, None)  # over the animation: measured before
    pixels.wait(*FLIP_POINT, BLACK, 10000)
    pixels.wait(*MENU_PROBE, BLACK, 10000)
    watch = Watch([FLIP_POINT], "-t", "30")
    try:
        clicked = choose(pixels, ENTRY_ANIMATION, BLACK)
        deadline = time.monotonic() + 10
        while True:
            changes = [(t, c) for t, c in colour_changes(watch) if t >= clicked]
            if len(changes) >= 2:
                break
            if time.monotonic() > deadline:
                raise BenchError(f"no restart of the animation within 10 s: {changes}")
            time.sleep(0.05)
    finally:
        watch.stop()
    (white_at, white), (flip_at, flipped) = changes[:2]
    if (white, flipped) != (WHITE, GREEN):
        raise BenchError(f"the restarted animation showed {white} then {flipped}")
    result["choice_to_white"].append((white_at - clicked) * 1000)
    result["first_phase"].append((flip_at - white_at) * 1000)


# ---- GDI objects -----------------------------------------------------------------

GDI_LINE = re.compile(rb"(allocated|freed) NTGDI_OBJ_(\w+) \S+ (\d+)/65536")


def gdi_count(path):
    """The live count in the last allocation or release the log shows."""
    with open(path, "rb") as f:
        f.seek(0, 2)
        size = f.tell()
        f.seek(max(0, size - (1 << 20)))
        matches = GDI_LINE.findall(f.read())
    return int(matches[-1][2]) if matches else None


def gdi_types(path, start, stop):
    """Allocations minus releases per object type between two file offsets."""
    with open(path, "rb") as f:
        f.seek(start)
        data = f.read(stop - start)
    net = {}
    for kind, obj, _ in GDI_LINE.findall(data):
        net[obj.decode()] = net.get(obj.decode(), 0) + (1 if kind == b"allocated" else -1)
    return {k: v for k, v in net.items() if v}


def gdi_vexo(pixels, log):
    path = OUT / "gdi-vexo.log"
    program = Program(VEXO, ["no_welcome"], gdi_log=path)
    result = {"trend": []}
    try:
        pixels.wait(*POINTS[4], BLACK, 120000)
        time.sleep(1.0)
        result["start"] = gdi_count(path)
        start_offset = path.stat().st_size
        colour = BLACK
        began = time.monotonic()
        done = 0
        result["error"] = None
        while done < CYCLES and time.monotonic() - began < CYCLE_SECONDS:
            target, entry = (WHITE, ENTRY_WHITE) if colour == BLACK else (BLACK, ENTRY_BLACK)
            try:
                choose(pixels, entry, colour)
                pixels.wait(*FLIP_POINT, target, 10000)
                pixels.wait(*MENU_PROBE, target, 10000)  # the menu is gone
            except BenchError as error:
                result["error"] = f"cycle {done + 1}: {error}"
                break
            colour = target
            done += 1
            if done == 1:
                first_offset = path.stat().st_size
                result["after_first"] = gdi_count(path)
            if done in (10, 100) or done % 250 == 0:
                result["trend"].append((done, gdi_count(path)))
        result["seconds"] = time.monotonic() - began
        result["cycles"] = done
        time.sleep(1.0)
        result["end"] = gdi_count(path)
        end_offset = path.stat().st_size
        if done >= 1:
            result["first_types"] = gdi_types(path, start_offset, first_offset)
            result["later_types"] = gdi_types(path, first_offset, end_offset)
        result["log_mb"] = end_offset / 1e6
        result["exit"] = program.quit()
    finally:
        program.kill()
    pixels.wait_all(DESKTOP, 30)
    return result


def gdi_yardstick(pixels, seconds):
    """The yardstick's count at its first flip and after `seconds` of flips."""
    path = OUT / "gdi-yardstick.log"
    program = Program(YARDSTICK, ["flip"], gdi_log=path)
    result = {}
    try:
        pixels.wait(*FLIP_POINT, WHITE, 120000)
        time.sleep(0.2)
        result["start"] = gdi_count(path)
        watch = Watch([FLIP_POINT], "-i", "1000", "-t", str(seconds + 30))
        time.sleep(seconds)
        watch.stop()
        result["changes"] = len(watch.changes) - 1
        result["end"] = gdi_count(path)
        result["exit"] = program.quit()
    finally:
        program.kill()
    pixels.wait_all(DESKTOP, 30)
    return result


# ---- the file ---------------------------------------------------------------------

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "advapi32.dll",
               "msvcrt.dll", "comctl32.dll", "ole32.dll", "oleaut32.dll", "shlwapi.dll",
               "comdlg32.dll", "version.dll", "ntdll.dll", "ws2_32.dll", "winmm.dll"}


def file_figures(exe):
    import pefile
    pe = pefile.PE(str(exe), fast_load=True)
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_IMPORT"]])
    dlls = sorted(e.dll.decode().lower() for e in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []))
    functions = sum(len(e.imports) for e in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []))
    pe.close()
    return {"size": exe.stat().st_size, "dlls": dlls, "functions": functions}


# ---- the table --------------------------------------------------------------------

def worse_p(v, y, rounds=20000):
    """One-sided permutation test: the chance that Vexo.exe's mean absolute
    deviation from 500 ms exceeds the yardstick's by at least the margin seen,
    were the two the same timer."""
    import random
    dv = [abs(x - 500) for x in v]
    dy = [abs(x - 500) for x in y]
    seen = statistics.mean(dv) - statistics.mean(dy)
    pool = dv + dy
    rng = random.Random(1)
    hits = 0
    for _ in range(rounds):
        rng.shuffle(pool)
        if statistics.mean(pool[:len(dv)]) - statistics.mean(pool[len(dv):]) >= seen:
            hits += 1
    return hits / rounds


def machine_line():
    model = "unknown CPU"
    for line in Path("/proc/cpuinfo").read_text().splitlines():
        if line.startswith("model name"):
            model = line.split(":", 1)[1].strip()
            break
    wine = subprocess.run([WINE64, "--version"], capture_output=True, text=True).stdout.strip()
    binfmt = Path("/proc/sys/fs/binfmt_misc/qemu-i386")
    qemu = ("32-bit x86 code (the programs and Wine's 32-bit side) runs under "
            "qemu-i386-static, user-mode emulation"
            if binfmt.exists() else "32-bit code runs natively")
    return (f"{os.cpu_count()} cores ({model}), Linux {platform.release()}; {qemu}; "
            f"{wine}; Xvfb 1024x768x24")


def ms(x):
    return f"{x:.1f} ms"


def yes(flag):
    return "yes" if flag else "NO"


def build_table(data):
    rows = []
    add = lambda *r: rows.append(r)  # noqa: E731

    cpu_rows = []
    for kind in ("warm", "cold"):
        s = data.get(f"startup_{kind}")
        if not s:
            continue
        v = statistics.median(r["startup"] for r in s[VEXO])
        y = statistics.median(r["startup"] for r in s[YARDSTICK])
        what = ("start-up, desktop up: launch to all-black, median of "
                f"{len(s[VEXO])}" if kind == "warm" else
                f"start-up, cold (Wine's server and desktop start too), median of {len(s[VEXO])}")
        diffs = [(a["startup"] - b["startup"]) * 1000 for a, b in zip(s[VEXO], s[YARDSTICK])]
        cv = statistics.median(r["cpu"] for r in s[VEXO])
        cy = statistics.median(r["cpu"] for r in s[YARDSTICK])
        cpu_rows.append((f"CPU time of the process until that black frame, "
                         f"{'desktop up' if kind == 'warm' else 'cold'}, median",
                         f"{cv:g} ticks", f"{cy:g} ticks", "none set", f"ratio {cv / cy:.2f}"))
        add(what, ms(v * 1000), ms(y * 1000), "ratio <= 1.10",
            f"{yes(v / y <= 1.10)} (ratio {v / y:.3f}; Vexo.exe slower in "
            f"{sum(d > 0 for d in diffs)} of {len(diffs)} pairs, median difference "
            f"{statistics.median(diffs):+.0f} ms)")
    rows.extend(cpu_rows)
    for kind in ("warm", "cold"):
        s = data.get(f"startup_{kind}")
        if not s:
            continue
        rv, ry = s[VEXO], s[YARDSTICK]
        fv = sorted({c for r in rv for c in r["flashes"]})
        fy = sorted({c for r in ry for c in r["flashes"]})
        nv = sum(bool(r["flashes"]) for r in rv)
        ny = sum(bool(r["flashes"]) for r in ry)
        add(f"flash, {'desktop up' if kind == 'warm' else 'cold'}: starts showing a colour other "
            "than desktop and black, launch to black",
            f"{nv} of {len(rv)} {' '.join('#' + c for c in fv)}".strip(),
            f"{ny} of {len(ry)} {' '.join('#' + c for c in fy)}".strip(), "0 for Vexo.exe",
            yes(nv == 0))
    rv = [r for k in ("warm", "cold") for r in data.get(f"startup_{k}", {}).get(VEXO, [])]
    ry = [r for k in ("warm", "cold") for r in data.get(f"startup_{k}", {}).get(YARDSTICK, [])]
    if rv:
        def worst(runs):
            p99 = max(r["gaps"][0] for r in runs) / 1000
            longest = max(runs, key=lambda r: r["gaps"][1])
            at_frame = sum(r["maxgap_before_black"] < 1.0 for r in runs)
            return (f"p99 {p99:.2f}, max {longest['gaps'][1] / 1000:.1f} ms; the longest gap "
                    f"ends at the black frame in {at_frame} of {len(runs)}")
        add(f"sampling gap at {len(POINTS)} points during those starts (worst run)", worst(rv),
            worst(ry), "every <= 1 ms", yes(max(r["gaps"][1] for r in rv + ry) <= 1000))
    a = data.get("anim")
    if a:
        def pooled(exe, key):
            return [x for r in a[exe] for x in r[key]]
        iv, iy = pooled(VEXO, "intervals"), pooled(YARDSTICK, "intervals")
        mv, my = statistics.median(iv), statistics.median(iy)
        n = len(a[VEXO])
        add(f"flip interval, median of {len(iv)} ({n} runs x 20)", ms(mv), ms(my), "500 +- 5 ms",
            yes(abs(mv - 500) <= 5))
        dv = statistics.mean(abs(x - 500) for x in iv)
        dy = statistics.mean(abs(x - 500) for x in iy)
        p = worse_p(iv, iy)
        add("flip interval, mean abs(x - 500 ms)", ms(dv), ms(dy),
            "<= yardstick's (not worse at p < 0.05)",
            f"{yes(dv <= dy or p >= 0.05)} (p = {p:.2f} that it is worse by chance)")
        drv = [r["drift"] for r in a[VEXO]]
        dry = [r["drift"] for r in a[YARDSTICK]]
        fmt = lambda d: "worst " + ms(max(d, key=abs)) + " (" + ", ".join(f"{x:+.1f}" for x in d) + ")"  # noqa: E731
        add("drift: 20th flip - 20 x 500 ms from the first", fmt(drv), fmt(dry), "abs(drift) < 10 ms",
            yes(max(abs(x) for x in drv) < 10))
        fv = [r["drift_fit"] for r in a[VEXO]]
        fy = [r["drift_fit"] for r in a[YARDSTICK]]
        add("drift from a straight line fitted through the 21 flips", fmt(fv), fmt(fy), "none set", "-")
        fp = [x for r in a[VEXO] for x in r.get("first_phase", [])]
        cw = [x for r in a[VEXO] for x in r.get("choice_to_white", [])]
        if fp:
            add(f"first white after choosing the animation, until its first flip ({len(fp)} choices)",
                f"median {ms(statistics.median(fp))} ({min(fp):.0f} to {max(fp):.0f})",
                "n/a (no menu)", "500 +- 5 ms", yes(abs(statistics.median(fp) - 500) <= 5))
            add("click on the menu entry to white on screen", "median " + ms(statistics.median(cw)),
                "n/a", "none set", "-")
        strays_v = sum(len(r["strays"]) + (not r["alternates"]) for r in a[VEXO])
        strays_y = sum(len(r["strays"]) + (not r["alternates"]) for r in a[YARDSTICK])
        add("flips that are not a strict white/green alternation", str(strays_v), str(strays_y), "0",
            yes(strays_v == 0))
        sv = [r["still"] for r in a[VEXO]]
        sy = [r["still"] for r in a[YARDSTICK]]
        tick = os.sysconf("SC_CLK_TCK")
        lst = lambda v: f"{statistics.median(v):g} ticks (" + ", ".join(map(str, v)) + ")"  # noqa: E731
        add(f"CPU over 5 s of a still colour, median (1 tick = {1000 // tick} ms)", lst(sv), lst(sy),
            "<= yardstick's", yes(statistics.median(sv) <= statistics.median(sy)))
        av = [r["anim"] for r in a[VEXO]]
        ay = [r["anim"] for r in a[YARDSTICK]]
        add("CPU over 6 s of the animation, median", lst(av), lst(ay), "none set",
            f"ratio {statistics.median(av) / max(statistics.median(ay), 1):.2f}")
    g = data.get("gdi")
    if g:
        v, y = g[VEXO], g[YARDSTICK]
        add("GDI objects live after start", str(v["start"]), f"{y['start']} (at its first flip)",
            "none set", "-")
        growth = v["end"] - v["after_first"]
        add(f"GDI objects after {v['cycles']} menu openings / colour changes in {v['seconds']:.0f} s "
            f"({v['cycles'] / v['seconds']:.1f}/s); yardstick: after {y['changes']} flips",
            f"{v['end']} (after the first: {v['after_first']})", str(y["end"]),
            "no growth after the first opening", yes(growth <= 0 and v["cycles"] >= 1))
    quits_v = [r for k in ("warm", "cold") for r in data.get(f"startup_{k}", {}).get(VEXO, [])]
    quits_y = [r for k in ("warm", "cold") for r in data.get(f"startup_{k}", {}).get(YARDSTICK, [])]
    quits_v += (a or {}).get(VEXO, [])
    quits_y += (a or {}).get(YARDSTICK, [])
    if quits_v:
        def quits(runs):
            codes = ",".join(sorted({str(r["exit"]) for r in runs}))
            again = sum(r["presses"] > 1 for r in runs)
            return f"{codes}; {again} of {len(runs)} needed a second Esc"
        add("exit code on Esc release", quits(quits_v), quits(quits_y), "0, at the first Esc",
            yes({r["exit"] for r in quits_v} == {0} and all(r["presses"] == 1 for r in quits_v)))
    f = data["file"]
    fv, fy = f[VEXO], f[YARDSTICK]
    add("file size", f"{fv['size'] / 1024:.0f} KiB", f"{fy['size'] / 1024:.0f} KiB", "none set",
        f"ratio {fv['size'] / fy['size']:.1f}")
    add("imported DLLs (functions)", f"{' '.join(fv['dlls'])} ({fv['functions']})",
        f"{' '.join(fy['dlls'])} ({fy['functions']})", "system DLLs only",
        yes(set(fv["dlls"]) <= SYSTEM_DLLS))

    head = ("figure", "Vexo.exe", "yardstick", "target", "met?")
    widths = [max(len(str(r[i])) for r in rows + [head]) for i in range(5)]
    line = lambda r: "| " + " | ".join(str(c).ljust(w) for c, w in zip(r, widths)) + " |"  # noqa: E731
    sep = "|" + "|".join("-" * (w + 2) for w in widths) + "|"
    return "\n".join([line(head), sep] + [line(r) for r in rows])


def main():
    began = time.monotonic()
    phases = []
    details = []

    def log(text):
        print(text, flush=True)
        details.append(text)

    def phase(name, since):
        phases.append((name, time.monotonic() - since))
        log(f"{name}: {time.monotonic() - since:.0f} s")

    for exe in (VEXO, YARDSTICK):
        if not exe.exists():
            raise BenchError(f"{exe} missing: run make exe")
    data = {"file": {exe: file_figures(exe) for exe in (VEXO, YARDSTICK)}}
    today = datetime.datetime.now().strftime("%Y-%m-%d %H:%M")
    load_before = Path("/proc/loadavg").read_text().split()[:3]
    pixels = Pixels()
    keeper = None
    try:
        t = time.monotonic()
        log(f"cold starts: {RUNS} pairs after one warm-up each")
        wait_wineserver_gone()
        data["startup_cold"] = startup_series(pixels, True, log)
        phase("cold starts", t)

        t = time.monotonic()
        keeper = Keeper(pixels)
        log(f"warm starts (desktop kept up): {RUNS} pairs after one warm-up each")
        data["startup_warm"] = startup_series(pixels, False, log)
        phase("warm starts", t)

        t = time.monotonic()
        log(f"still colour and animation: {ANIM_SESSIONS} runs each")
        data["anim"] = {VEXO: [], YARDSTICK: []}
        for i in range(ANIM_SESSIONS):
            for exe in ((VEXO, YARDSTICK) if i % 2 == 0 else (YARDSTICK, VEXO)):
                r = anim_session(exe, pixels)
                data["anim"][exe].append(r)
                extra = (" choice->white " + " ".join(f"{x:.0f}" for x in r["choice_to_white"])
                         + " ms, first white " + " ".join(f"{x:.0f}" for x in r["first_phase"])
                         + " ms" if "first_phase" in r else "")
                log(f"  anim {i + 1}/{ANIM_SESSIONS} {NAMES[exe]:9s} still {r['still']} ticks, "
                    f"anim {r['anim']} ticks, median {statistics.median(r['intervals']):.1f} ms, "
                    f"drift {r['drift']:+.1f} ms, intervals "
                    f"{' '.join(f'{x:.0f}' for x in r['intervals'])}{extra}, gap p99/max "
                    f"{r['gaps'][0]}/{r['gaps'][1]} us")
        phase("still colour and animation", t)

        t = time.monotonic()
        log(f"GDI objects: up to {CYCLES} menu cycles or {CYCLE_SECONDS:.0f} s (WINEDEBUG=+gdi)")
        gv = gdi_vexo(pixels, log)
        gy = gdi_yardstick(pixels, 20)
        data["gdi"] = {VEXO: gv, YARDSTICK: gy}
        log(f"  Vexo.exe: start {gv['start']}, after the first {gv.get('after_first')}, "
            f"trend {gv['trend']}, end {gv['end']} after {gv['cycles']} cycles in "
            f"{gv['seconds']:.0f} s; net per type in the first cycle {gv.get('first_types')}, "
            f"after it {gv.get('later_types')}; log {gv['log_mb']:.0f} MB"
            + (f"; stopped: {gv['error']}" if gv["error"] else ""))
        log(f"  yardstick: at its first flip {gy['start']}, after {gy['changes']} flips {gy['end']}")
        phase("GDI objects", t)
        if os.environ.get("BENCH_KEEP_LOGS") != "1":
            for name in ("gdi-vexo.log", "gdi-yardstick.log"):
                (OUT / name).unlink(missing_ok=True)
    finally:
        if keeper:
            keeper.close()
        pixels.close()

    table = build_table(data)
    total = time.monotonic() - began
    header = (f"Velumen benchmark, {today}\nMachine: {machine_line()}\n"
              f"Sampler: xsample at {'real-time' if SAMPLER_PRIORITY else 'normal'} priority\n"
              f"Load average (1, 5, 15 min) before: {' '.join(load_before)}, after: "
              f"{' '.join(Path('/proc/loadavg').read_text().split()[:3])} "
              "(other work on the machine weighs on both programs alike: runs alternate)\n")
    timing = "Time: " + ", ".join(f"{n} {s:.0f} s" for n, s in phases) + f"; total {total:.0f} s"
    text = header + "\n" + table + "\n\n" + timing + "\n"
    print("\n" + text)
    REPORT.write_text(text + "\nEvery run:\n" + "\n".join(details) + "\n")
    print(f"written to {REPORT.relative_to(ROOT)}")


if __name__ == "__main__":
    try:
        main()
    except BenchError as error:
        print(f"bench: {error}", file=sys.stderr)
        sys.exit(1)
