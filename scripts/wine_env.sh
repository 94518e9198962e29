# Shared by the scripts that run Vexo.exe under Wine: a quiet 32-bit prefix
# with a 1024x768 virtual desktop, so that maximising behaves as on Windows.
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="

# make_prefix DIR [DESKTOP_RGB]: creates the prefix once; later calls reuse it.
make_prefix() {
  local dir=$1 rgb=${2:-"0 0 0"}
  export WINEPREFIX=$dir
  if [ ! -f "$dir/.velumen-ready" ]; then
    mkdir -p "$dir"
    wineboot -i </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Control Panel\Colors' /v Background /d "$rgb" /f </dev/null >/dev/null 2>&1
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
