#!/usr/bin/env bash
# The benchmark (make bench): Vexo.exe beside bench/yardstick.c under Wine on
# a virtual X display of its own. Prints the table and writes build/bench.txt.
# BENCH_RUNS, BENCH_ANIM_SESSIONS, BENCH_RESTARTS, BENCH_CYCLES and BENCH_CYCLE_SECONDS
# shorten or lengthen it (see bench/bench.py).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine_env.sh

for f in build/win32/Vexo.exe build/win32/bench/yardstick.exe; do
  [ -f "$f" ] || { echo "bench: $f missing: run make exe" >&2; exit 1; }
done

mkdir -p build/bench
export XSAMPLE=$PWD/build/bench/xsample
if [ ! -x "$XSAMPLE" ] || [ bench/xsample.c -nt "$XSAMPLE" ]; then
  gcc -O2 -Wall -Wextra -Werror -o "$XSAMPLE" bench/xsample.c -lxcb
fi

started=$SECONDS
lock_prefix
start_xvfb
cleanup() {
  wineserver -k 2>/dev/null || true
  kill "$XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
# The sampler runs at real-time priority; so does the server that answers it.
if [ "${BENCH_RT:-1}" = 1 ] && ! chrt -f -p 20 "$XVFB_PID" 2>/dev/null; then
  echo "bench: no real-time priority here; sampling at normal priority" >&2
  export BENCH_RT=0
fi
make_prefix
echo "bench: display $DISPLAY, prefix $WINEPREFIX"
/usr/bin/python3 bench/bench.py
echo "bench: whole run $((SECONDS - started)) s"
