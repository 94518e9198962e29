"""The measurements: start-up and flash, flips and CPU, GDI objects, the file."""
import re
import statistics
import time

from .config import (BLACK, CYCLE_SECONDS, CYCLES, DESKTOP, ENTRY_ANIMATION,
                     ENTRY_BLACK, ENTRY_WHITE, FLIP_POINT, GREEN, MENU_PROBE, NAMES, OUT, POINTS,
                     RESTARTS, RUNS, VEXO, WHITE, YARDSTICK, BenchError)
from .programs import Program, args_of, choose, wait_wineserver_gone
from .sampler import Watch


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
