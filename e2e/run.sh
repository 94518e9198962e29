#!/usr/bin/env bash
# The end-to-end tier: Vexo.exe and the helpers under Wine on Xvfb, under
# pytest. Arguments go to pytest: -k NAME, -x, -v, a file or a file::test.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ ! -f build/win32/e2e/launcher.exe ] || [ ! -f build/win32/e2e/probe.exe ]; then
  echo "e2e: build/win32/e2e/{launcher,probe}.exe missing: run make exe" >&2
  exit 1
fi

# 32-bit programs must start (scripts/setup.sh registers qemu-i386 where the
# kernel runs none itself).
if ! /usr/bin/python3 -m lab runs-32-bit; then
  echo "e2e: 32-bit Wine does not start: run make setup (as root)" >&2
  exit 1
fi

# The session fixture ends every process it started, on failure and on
# Ctrl-C or SIGTERM too. Names are relative to e2e/: test_boxes.py::test_x.
cd e2e
exec /usr/bin/python3 -m pytest "$@"
