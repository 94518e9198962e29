#!/usr/bin/env bash
# Starts Vexo.exe under Wine. With no display, on a virtual one: there nobody
# can press Esc, so it saves a screenshot once the screen shows and ends it.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine_env.sh
exe=build/win32/Vexo.exe
lock_prefix

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  make_prefix
  exec wine "$exe" "$@" </dev/null
fi

start_xvfb
cleanup() {
  wineserver -k 2>/dev/null || true
  kill "$XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
make_prefix

pixel() { import -window root -crop "1x1+$1+$2" txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -1; }

echo "Starting Vexo.exe on virtual display $DISPLAY..."
wine "$exe" "$@" </dev/null >/dev/null 2>&1 &
vexo=$!
# The display is black before the virtual desktop comes up, so the screen
# counts as shown once the corners are black after the desktop (magenta) was
# seen, or, should the desktop flash by unseen, black for 20 s with Vexo.exe
# running.
started=$SECONDS
deadline=$((SECONDS + 300))
seen_desktop=
while :; do
  corners="$(pixel 4 4) $(pixel 1019 763)"
  [ "$corners" = "#FF00FF #FF00FF" ] && seen_desktop=1
  if [ "$corners" = "#000000 #000000" ] && { [ -n "$seen_desktop" ] || [ $((SECONDS - started)) -ge 20 ]; }; then
    break
  fi
  if ! kill -0 "$vexo" 2>/dev/null; then echo "Vexo.exe ended before its screen showed" >&2; exit 1; fi
  if [ $SECONDS -ge $deadline ]; then echo "Vexo.exe showed no black screen within 300 s" >&2; exit 1; fi
  sleep 0.2
done
# The welcome box paints a moment after the black screen: wait for a pixel of
# its face (the system's button colour) in the middle of the screen.
for _ in $(seq 50); do
  [ "$(pixel 512 384)" != "#000000" ] && break
  sleep 0.1
done
import -window root build/screenshot.png
echo "Vexo.exe is showing its screen; screenshot: build/screenshot.png"
