# Shared by the scripts that run Vexo.exe under Wine: a quiet 64-bit prefix
# with a 1024x768 virtual desktop, so that maximising behaves as on Windows.
#
# On machines where 32-bit Linux programs run only under qemu, Wine's 32-bit
# side is slow to start; the prefix's own programs are therefore run with
# wine64 directly, and only Vexo.exe itself takes the 32-bit path.
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
WINE64=/usr/lib/wine/wine64

# Where qemu runs the 32-bit side, preload the shim that gives mmap's
# no-replace flag its meaning back (see qemu_mmap_shim.c): a 32-bit start
# then takes about a second instead of a minute.
use_qemu_shim() {
  local binfmt=/proc/sys/fs/binfmt_misc/qemu-i386 top shim
  [ -r "$binfmt" ] && [ "$(head -n 1 "$binfmt")" = enabled ] || return 0
  top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  shim=$top/build/qemu-shim/mmap_shim.so
  if [ ! -f "$shim" ] || [ "$top/scripts/qemu_mmap_shim.c" -nt "$shim" ]; then
    mkdir -p "$(dirname "$shim")"
    gcc -m32 -O2 -fPIC -fno-stack-protector -nostdlib -shared \
      -o "$shim" "$top/scripts/qemu_mmap_shim.c"
  fi
  export QEMU_SET_ENV=LD_PRELOAD=$shim
}
use_qemu_shim

# make_prefix DIR [DESKTOP_RGB]: creates the prefix once; later calls reuse it.
make_prefix() {
  local dir=$1 rgb=${2:-"0 0 0"}
  export WINEPREFIX=$dir
  if [ ! -f "$dir/.velumen-ready" ]; then
    rm -rf "$dir"
    mkdir -p "$dir"
    echo "Making a Wine prefix in $dir (a few minutes the first time)..."
    timeout 900 "$WINE64" wineboot -i </dev/null >/dev/null 2>&1
    "$WINE64" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1
    "$WINE64" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f </dev/null >/dev/null 2>&1
    "$WINE64" reg add 'HKCU\Control Panel\Colors' /v Background /d "$rgb" /f </dev/null >/dev/null 2>&1
    wineserver -w
    touch "$dir/.velumen-ready"
  fi
}

# start_xvfb: sets DISPLAY to a new virtual display and XVFB_PID.
start_xvfb() {
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "Xvfb did not start on $DISPLAY" >&2
  return 1
}
