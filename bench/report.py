"""The report: the machine, and one table of every figure beside its target."""
import os
import platform
import statistics
import subprocess
from pathlib import Path

from lab import wine

from .config import POINTS, VEXO, YARDSTICK
from .measurements import SYSTEM_DLLS


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
    version = subprocess.run([wine.WINE64, "--version"], capture_output=True, text=True).stdout.strip()
    qemu = ("32-bit x86 code (the programs and Wine's 32-bit side) runs under "
            "qemu-i386-static, user-mode emulation"
            if wine.under_qemu() else "32-bit code runs natively")
    return (f"{os.cpu_count()} cores ({model}), Linux {platform.release()}; {qemu}; "
            f"{version}; Xvfb 1024x768x24")


def ms(x):
    return f"{x:.1f} ms"


def yes(flag):
    return "yes" if flag else "NO"


class Target:
    """A figure's target: what the table says, and the test of what was measured."""

    def __init__(self, text, met):
        self.text, self._met = text, met

    def met(self, *measured):
        return yes(self._met(*measured))


# Every target of the benchmark; a figure without one says NONE_SET.
NONE_SET = "none set"
TARGETS = {
    "startup": Target("ratio <= 1.10", lambda vexo, yardstick: vexo / yardstick <= 1.10),
    "flash": Target("0 for Vexo.exe", lambda starts_with_flash: starts_with_flash == 0),
    "sampling gap": Target("every <= 1 ms", lambda longest_us: longest_us <= 1000),
    "flip interval": Target("500 +- 5 ms", lambda median: abs(median - 500) <= 5),
    "flip deviation": Target("<= yardstick's (not worse at p < 0.05)",
                             lambda vexo, yardstick, p: vexo <= yardstick or p >= 0.05),
    "drift": Target("abs(drift) < 10 ms", lambda worst: abs(worst) < 10),
    "first white": Target("500 +- 5 ms", lambda median: abs(median - 500) <= 5),
    "alternation": Target("0", lambda strays: strays == 0),
    "still CPU": Target("<= yardstick's", lambda vexo, yardstick: vexo <= yardstick),
    "GDI growth": Target("no growth after the first opening",
                         lambda growth, cycles: growth <= 0 and cycles >= 1),
    "exit": Target("0, at the first Esc", lambda codes, all_first: codes == {0} and all_first),
    "imports": Target("system DLLs only", lambda dlls: set(dlls) <= SYSTEM_DLLS),
}


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
                         f"{cv:g} ticks", f"{cy:g} ticks", NONE_SET, f"ratio {cv / cy:.2f}"))
        add(what, ms(v * 1000), ms(y * 1000), TARGETS["startup"].text,
            f"{TARGETS['startup'].met(v, y)} (ratio {v / y:.3f}; Vexo.exe slower in "
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
            f"{ny} of {len(ry)} {' '.join('#' + c for c in fy)}".strip(), TARGETS["flash"].text,
            TARGETS["flash"].met(nv))
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
            worst(ry), TARGETS["sampling gap"].text,
            TARGETS["sampling gap"].met(max(r["gaps"][1] for r in rv + ry)))
    a = data.get("anim")
    if a:
        def pooled(exe, key):
            return [x for r in a[exe] for x in r[key]]
        iv, iy = pooled(VEXO, "intervals"), pooled(YARDSTICK, "intervals")
        mv, my = statistics.median(iv), statistics.median(iy)
        n = len(a[VEXO])
        add(f"flip interval, median of {len(iv)} ({n} runs x 20)", ms(mv), ms(my),
            TARGETS["flip interval"].text, TARGETS["flip interval"].met(mv))
        dv = statistics.mean(abs(x - 500) for x in iv)
        dy = statistics.mean(abs(x - 500) for x in iy)
        p = worse_p(iv, iy)
        add("flip interval, mean abs(x - 500 ms)", ms(dv), ms(dy),
            TARGETS["flip deviation"].text,
            f"{TARGETS['flip deviation'].met(dv, dy, p)} (p = {p:.2f} that it is worse by chance)")
        drv = [r["drift"] for r in a[VEXO]]
        dry = [r["drift"] for r in a[YARDSTICK]]
        fmt = lambda d: "worst " + ms(max(d, key=abs)) + " (" + ", ".join(f"{x:+.1f}" for x in d) + ")"  # noqa: E731
        add("drift: 20th flip - 20 x 500 ms from the first", fmt(drv), fmt(dry),
            TARGETS["drift"].text, TARGETS["drift"].met(max(drv, key=abs)))
        fv = [r["drift_fit"] for r in a[VEXO]]
        fy = [r["drift_fit"] for r in a[YARDSTICK]]
        add("drift from a straight line fitted through the 21 flips", fmt(fv), fmt(fy), NONE_SET, "-")
        fp = [x for r in a[VEXO] for x in r.get("first_phase", [])]
        cw = [x for r in a[VEXO] for x in r.get("choice_to_white", [])]
        if fp:
            add(f"first white after choosing the animation, until its first flip ({len(fp)} choices)",
                f"median {ms(statistics.median(fp))} ({min(fp):.0f} to {max(fp):.0f})",
                "n/a (no menu)", TARGETS["first white"].text,
                TARGETS["first white"].met(statistics.median(fp)))
            add("click on the menu entry to white on screen", "median " + ms(statistics.median(cw)),
                "n/a", NONE_SET, "-")
        strays_v = sum(len(r["strays"]) + (not r["alternates"]) for r in a[VEXO])
        strays_y = sum(len(r["strays"]) + (not r["alternates"]) for r in a[YARDSTICK])
        add("flips that are not a strict white/green alternation", str(strays_v), str(strays_y),
            TARGETS["alternation"].text, TARGETS["alternation"].met(strays_v))
        sv = [r["still"] for r in a[VEXO]]
        sy = [r["still"] for r in a[YARDSTICK]]
        tick = os.sysconf("SC_CLK_TCK")
        lst = lambda v: f"{statistics.median(v):g} ticks (" + ", ".join(map(str, v)) + ")"  # noqa: E731
        add(f"CPU over 5 s of a still colour, median (1 tick = {1000 // tick} ms)", lst(sv), lst(sy),
            TARGETS["still CPU"].text,
            TARGETS["still CPU"].met(statistics.median(sv), statistics.median(sy)))
        av = [r["anim"] for r in a[VEXO]]
        ay = [r["anim"] for r in a[YARDSTICK]]
        add("CPU over 6 s of the animation, median", lst(av), lst(ay), NONE_SET,
            f"ratio {statistics.median(av) / max(statistics.median(ay), 1):.2f}")
    g = data.get("gdi")
    if g:
        v, y = g[VEXO], g[YARDSTICK]
        add("GDI objects live after start", str(v["start"]), f"{y['start']} (at its first flip)",
            NONE_SET, "-")
        growth = v["end"] - v["after_first"]
        add(f"GDI objects after {v['cycles']} menu openings / colour changes in {v['seconds']:.0f} s "
            f"({v['cycles'] / v['seconds']:.1f}/s); yardstick: after {y['changes']} flips",
            f"{v['end']} (after the first: {v['after_first']})", str(y["end"]),
            TARGETS["GDI growth"].text, TARGETS["GDI growth"].met(growth, v["cycles"]))
    quits_v = [r for k in ("warm", "cold") for r in data.get(f"startup_{k}", {}).get(VEXO, [])]
    quits_y = [r for k in ("warm", "cold") for r in data.get(f"startup_{k}", {}).get(YARDSTICK, [])]
    quits_v += (a or {}).get(VEXO, [])
    quits_y += (a or {}).get(YARDSTICK, [])
    if quits_v:
        def quits(runs):
            codes = ",".join(sorted({str(r["exit"]) for r in runs}))
            again = sum(r["presses"] > 1 for r in runs)
            return f"{codes}; {again} of {len(runs)} needed a second Esc"
        add("exit code on Esc release", quits(quits_v), quits(quits_y), TARGETS["exit"].text,
            TARGETS["exit"].met({r["exit"] for r in quits_v}, all(r["presses"] == 1 for r in quits_v)))
    f = data["file"]
    fv, fy = f[VEXO], f[YARDSTICK]
    add("file size", f"{fv['size'] / 1024:.0f} KiB", f"{fy['size'] / 1024:.0f} KiB", NONE_SET,
        f"ratio {fv['size'] / fy['size']:.1f}")
    add("imported DLLs (functions)", f"{' '.join(fv['dlls'])} ({fv['functions']})",
        f"{' '.join(fy['dlls'])} ({fy['functions']})", TARGETS["imports"].text,
        TARGETS["imports"].met(fv["dlls"]))

    head = ("figure", "Vexo.exe", "yardstick", "target", "met?")
    widths = [max(len(str(r[i])) for r in rows + [head]) for i in range(5)]
    line = lambda r: "| " + " | ".join(str(c).ljust(w) for c, w in zip(r, widths)) + " |"  # noqa: E731
    sep = "|" + "|".join("-" * (w + 2) for w in widths) + "|"
    return "\n".join([line(head), sep] + [line(r) for r in rows])
