#!/usr/bin/env bash
# The benchmark (make bench): builds the pixel sampler, then runs Vexo.exe
# beside bench/yardstick.c under Wine on a virtual X display of its own
# (python3 -m bench). Prints the table and writes build/bench.txt.
# BENCH_RUNS, BENCH_ANIM_SESSIONS, BENCH_RESTARTS, BENCH_CYCLES and BENCH_CYCLE_SECONDS
# shorten or lengthen it (see bench/config.py); BENCH_RT=0 samples at normal priority.
set -euo pipefail
cd "$(dirname "$0")/.."

for f in build/win32/Vexo.exe build/win32/bench/yardstick.exe; do
  [ -f "$f" ] || { echo "bench: $f missing: run make exe" >&2; exit 1; }
done

mkdir -p build/bench
xsample=build/bench/xsample
if [ ! -x "$xsample" ] || [ bench/xsample.c -nt "$xsample" ]; then
  gcc -O2 -Wall -Wextra -Werror -o "$xsample" bench/xsample.c -lxcb
fi
exec /usr/bin/python3 -m bench
