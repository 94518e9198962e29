#!/usr/bin/env bash
# The end-to-end tier: Vexo.exe and the helpers under Wine on Xvfb.
# Arguments go to e2e/runner.py: scenario name filters, --list, --timeout.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ ! -f build/win32/e2e/launcher.exe ] || [ ! -f build/win32/e2e/probe.exe ]; then
  echo "e2e: build/win32/e2e/{launcher,probe}.exe missing: run make exe" >&2
  exit 1
fi

# 32-bit programs must start (scripts/setup.sh registers qemu-i386 where the
# kernel runs none itself).
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo "e2e: 32-bit Wine does not start: run make setup (as root)" >&2
  exit 1
fi

# The mmap shim that lets 32-bit programs start quickly under qemu.
source scripts/wine_env.sh

# The runner ends every process it started, on failure and on signals too.
exec /usr/bin/python3 e2e/runner.py "$@"
