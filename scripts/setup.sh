#!/usr/bin/env bash
# Installs what the build and the test tiers need, once. Safe to run again.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

packages=(cmake make g++ libgtest-dev libgmock-dev
          g++-mingw-w64-i686-win32 binutils-mingw-w64-i686
          wine wine32:i386 xvfb xdotool imagemagick x11-utils
          python3 python3-pefile clang libclang-rt-14-dev
          wine64 qemu-user-static)
for p in "${packages[@]}"; do have "$p" || need+=("$p"); done
[ ${#need[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${need[*]}" >&2
  echo "Run: sudo dpkg --add-architecture i386 && sudo apt-get update && sudo apt-get install -y ${need[*]}" >&2
  exit 1
fi
echo "Installing: ${need[*]}"
dpkg --add-architecture i386
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}"
