"""Velumen's benchmark: Vexo.exe beside the yardstick, a minimal Win32 program
of the benchmark's own, under Wine on a virtual X display of its own.

Every figure is measured for both programs in the same run, runs alternating
between them, so that the machine's state (other work on it, the emulator's
caches) weighs on both alike. Prints the table and writes it, with every
single run, to build/bench.txt. Run from the tree as `python3 -m bench`
(bench/run.sh builds the sampler first).
"""
import datetime
import os
import statistics
import subprocess
import sys
import time
from pathlib import Path

from lab import ROOT, LabError, wine, xscreen

from .config import (ANIM_SESSIONS, CYCLE_SECONDS, CYCLES, NAMES, OUT, REAL_TIME, REPORT, RUNS,
                     VEXO, YARDSTICK, BenchError)
from .measurements import anim_session, file_figures, gdi_vexo, gdi_yardstick, startup_series
from .programs import Keeper, wait_wineserver_gone
from .report import build_table, machine_line
from .sampler import SAMPLER_PRIORITY, Pixels


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


def on_its_own_display():
    """Takes the prefix, starts a display of its own and runs main() there;
    ends Wine and the display after. The sampler runs at real-time priority,
    and so does the server that answers it."""
    held = wine.lock()
    xvfb, display = xscreen.start_display(wine.DEFAULT.width, wine.DEFAULT.height, first=90)
    os.environ.update(wine.environment(), DISPLAY=display)
    try:
        if REAL_TIME and subprocess.run(["chrt", "-f", "-p", "20", str(xvfb.pid)],
                                        stderr=subprocess.DEVNULL).returncode != 0:
            print("bench: no real-time priority here; sampling at normal priority", file=sys.stderr)
            SAMPLER_PRIORITY.clear()
        wine.prepare()
        print(f"bench: display {display}, prefix {wine.PREFIX}")
        main()
    finally:
        wine.end_server(dict(os.environ))
        xvfb.kill()
        xvfb.wait(10)
        held.close()


try:
    on_its_own_display()
except LabError as error:
    print(f"bench: {error}", file=sys.stderr)
    sys.exit(1)
