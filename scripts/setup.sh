#!/usr/bin/env bash
# Installs what the build and the test tiers need, once. Safe to run again.
# Says in a few lines what it installs and how long it took; apt's own output
# goes to build/setup.log, whose tail is shown when a step fails.
set -euo pipefail
cd "$(dirname "$0")/.."

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

packages=(git cmake make g++ libgtest-dev libgmock-dev
          g++-mingw-w64-i686-win32 binutils-mingw-w64-i686
          wine wine32:i386 xvfb xdotool imagemagick x11-utils
          xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
          python3 python3-pefile python3-pytest python3-pytest-timeout python3-pytest-repeat
          clang libclang-rt-14-dev
          wine64 qemu-user-static libx11-dev libxcb1-dev)
for p in "${packages[@]}"; do have "$p" || need+=("$p"); done

log=build/setup.log

# step TEXT CMD...: runs CMD with its output in the log; on failure shows the
# log's tail and stops.
step() {
  local what=$1; shift
  echo "== $what: $*" >>"$log"
  if ! "$@" >>"$log" 2>&1 </dev/null; then
    echo "setup: $what failed; the end of $log:" >&2
    tail -n 25 "$log" >&2
    exit 1
  fi
}

# Some kernels run no 32-bit x86 code at all (exec gives ENOEXEC); Wine's
# 32-bit side then runs under qemu's user-mode emulator through binfmt_misc.
register_qemu_i386() {
  /usr/lib/wine/wine --version >/dev/null 2>&1 && return 0
  [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "This kernel runs no 32-bit programs; run this as root to register qemu-i386." >&2
    return 1
  fi
  mountpoint -q /proc/sys/fs/binfmt_misc || mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
    > /proc/sys/fs/binfmt_misc/register
  /usr/lib/wine/wine --version >/dev/null 2>&1 || { echo "32-bit Wine does not start, not even under qemu-i386" >&2; return 1; }
  echo "setup: 32-bit programs run under qemu-i386 (registered with binfmt_misc)"
}

if [ ${#need[@]} -eq 0 ]; then
  register_qemu_i386
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${need[*]}" >&2
  echo "Run: sudo dpkg --add-architecture i386 && sudo apt-get update && sudo apt-get install -y ${need[*]}" >&2
  exit 1
fi
mkdir -p build
: >"$log"
started=$SECONDS
echo "setup: installing Debian packages (apt's output: $log): ${need[*]}"
step "adding the i386 architecture" dpkg --add-architecture i386
step "apt-get update" apt-get -o DPkg::Lock::Timeout=300 update
step "apt-get install" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 install -y --no-install-recommends "${need[@]}"
echo "setup: installed in $((SECONDS - started)) s"
register_qemu_i386
