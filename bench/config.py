"""What the benchmark runs, where, and how long: the programs, the points it
watches, the menu's place, and the BENCH_* settings."""
import os

from lab import BUILD, WIN32_DIR, LabError, facts, wine

VEXO = WIN32_DIR / facts.EXE
YARDSTICK = WIN32_DIR / "bench" / "yardstick.exe"
OUT = BUILD / "bench"
REPORT = BUILD / "bench.txt"
XSAMPLE = OUT / "xsample"
NAMES = {VEXO: facts.EXE, YARDSTICK: "yardstick"}

RUNS = int(os.environ.get("BENCH_RUNS", "11"))
ANIM_SESSIONS = int(os.environ.get("BENCH_ANIM_SESSIONS", "3"))
RESTARTS = int(os.environ.get("BENCH_RESTARTS", "5"))  # of Vexo.exe's animation, per run
CYCLES = int(os.environ.get("BENCH_CYCLES", "2000"))
CYCLE_SECONDS = float(os.environ.get("BENCH_CYCLE_SECONDS", "300"))
# Real-time priority keeps the sampler's pace while Wine and qemu load both
# cores; the Xvfb that answers the sampler gets the same.
REAL_TIME = os.environ.get("BENCH_RT", "1") == "1"

W, H = wine.DEFAULT.width, wine.DEFAULT.height
# Colours as the sampler spells them.
DESKTOP = facts.hex(wine.BACKGROUND)  # never one of the programs' colours
BLACK, WHITE, GREEN = facts.hex(facts.BLACK), facts.hex(facts.WHITE), facts.hex(facts.GREEN)
MENU_EDGE = facts.hex(facts.MENU_EDGE)
# Corners, edge middles, centre and two inner points.
POINTS = [(0, 0), (W - 1, 0), (0, H - 1), (W - 1, H - 1), (W // 2, H // 2),
          (W // 2, 0), (0, H // 2), (W - 1, H // 2), (W // 2, H - 1),
          (W // 4, H // 4), (3 * W // 4, 3 * H // 4)]
FLIP_POINT = (700, 500)  # clear of the menu, which opens at MENU_AT
MENU_AT = (100, 100)
MENU_PROBE = (MENU_AT[0], MENU_AT[1] + 50)  # on the menu's left border
ENTRY_BLACK, ENTRY_WHITE, ENTRY_ANIMATION = "Black", "White", "White-Green animation"


class BenchError(LabError):
    pass
