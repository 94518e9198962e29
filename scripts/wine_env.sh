# Shared by the shell scripts that run Vexo.exe under Wine (make run, make
# bench): the environment, the prefix and the virtual display all come from
# scripts/winenv.py, which the end-to-end tests use too.
_winenv=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/winenv.py
eval "$(/usr/bin/python3 "$_winenv" env)"
WINE64=/usr/lib/wine/wine64

# lock_prefix: holds the shared prefix until this shell ends, or fails.
lock_prefix() {
  local lock
  lock=$(dirname "$WINEPREFIX")/lock
  mkdir -p "$(dirname "$lock")"
  exec 9>"$lock"
  flock -w 15 9 || { echo "wine: $WINEPREFIX is in use by another run ($lock)" >&2; return 1; }
}

# make_prefix: makes the shared prefix if it is missing or stale, with the
# default 1024x768 virtual desktop.
make_prefix() {
  /usr/bin/python3 "$_winenv" prefix
}

# start_xvfb [WxH]: sets DISPLAY to a new virtual display and XVFB_PID.
start_xvfb() {
  local line
  line=$(/usr/bin/python3 "$_winenv" display "${1:-1024x768}") || return 1
  export "${line%% *}"
  XVFB_PID=${line##*=}
}
