#!/usr/bin/env bash
# Starts Vexo.exe under Wine. With no display, on a virtual one: there nobody
# can press Esc, so it saves a screenshot once the screen shows and ends it.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine_env.sh
exe=build/win32/Vexo.exe

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  make_prefix "$PWD/build/run-prefix"
  exec wine "$exe" "$@" </dev/null
fi

start_xvfb
cleanup() { WINEPREFIX="$PWD/build/run-prefix" wineserver -k 2>/dev/null || true; kill "$XVFB_PID" 2>/dev/null || true; }
trap cleanup EXIT
make_prefix "$PWD/build/run-prefix"
wine "$exe" "$@" </dev/null >/dev/null 2>&1 &
sleep 4
import -window root build/screenshot.png
echo "Vexo.exe ran on a virtual display; screenshot: build/screenshot.png"
