#!/usr/bin/python3
"""The one Wine and X set-up of `make run`, the end-to-end tests and the
benchmark: the environment Wine runs in, the shared prefix and the virtual
display.

Python callers import it; the shell scripts call it through
scripts/wine_env.sh:

    winenv.py env              export lines for the shell (WINEPREFIX, ...)
    winenv.py prefix           makes the prefix if it is missing or stale
    winenv.py display WxH      starts Xvfb in the background: DISPLAY=:N XVFB_PID=P

The prefix is made once and made anew when PREFIX_SETTINGS change. What a
run may vary (the desktop's size, its name and the screen's DPI) is a
Desktop, written by desktop_settings() before the desktop starts.
"""
import fcntl
import os
import shutil
import subprocess
import sys
import time
from dataclasses import dataclass
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
WINE = "/usr/lib/wine/wine64"  # the prefix's own programs are 64-bit: no emulated start
WINE32 = "/usr/lib/wine/wine"
WINESERVER = "/usr/bin/wineserver"
# VELUMEN_WINE_DIR lets two runs go side by side, each with its own prefix.
WINE_DIR = Path(os.environ.get("VELUMEN_WINE_DIR", ROOT / "build" / "wine"))
PREFIX = WINE_DIR / "prefix"
LOG = WINE_DIR / "setup.log"
LOCK = WINE_DIR / "lock"
SHIM_SOURCE = ROOT / "scripts" / "qemu_mmap_shim.c"
SHIM = ROOT / "build" / "qemu-shim" / "mmap_shim.so"

# A colour Vexo never shows: a missing or late fill stays visible.
BACKGROUND = (255, 0, 255)

# Written once into a new prefix; changing this list makes a new prefix.
PREFIX_SETTINGS = [
    (r"HKCU\Control Panel\Colors", "Background", "REG_SZ", " ".join(map(str, BACKGROUND))),
]
STAMP = PREFIX / ".velumen-settings"
IMPORT_TRIES = 3


@dataclass(frozen=True)
class Desktop:
    """The virtual desktop a run gets. Without a window manager maximising
    does nothing; Wine's virtual desktop behaves like Windows. The name
    "shell" makes Wine's explorer draw a task bar."""
    width: int = 1024
    height: int = 768
    dpi: int = 96
    name: str = "Default"

    @property
    def task_bar(self):
        return self.name == "shell"

    def __str__(self):
        shell = ", task bar" if self.task_bar else ""
        return f"{self.width}x{self.height} at {self.dpi} DPI{shell}"


DEFAULT = Desktop()


def desktop_settings(desktop):
    """The registry values that give the next desktop this shape."""
    settings = [
        (r"HKCU\Software\Wine\Explorer", "Desktop", "REG_SZ", desktop.name),
        (r"HKCU\Software\Wine\Explorer\Desktops", desktop.name, "REG_SZ",
         f"{desktop.width}x{desktop.height}"),
        (r"HKCU\Control Panel\Desktop", "LogPixels", "REG_DWORD", str(desktop.dpi)),
    ]
    if desktop.task_bar:
        # The name alone is not enough here: Wine's explorer draws the task
        # bar only where the desktop's own key asks for it.
        settings.append((rf"HKCU\Software\Wine\Explorer\Desktops\{desktop.name}", "EnableShell",
                         "REG_DWORD", "1"))
    return settings


def qemu_shim():
    """Where qemu runs the 32-bit side, the mmap shim (see qemu_mmap_shim.c)
    that makes a 32-bit start take a second instead of a minute; else None."""
    binfmt = Path("/proc/sys/fs/binfmt_misc/qemu-i386")
    try:
        if binfmt.read_text().splitlines()[0] != "enabled":
            return None
    except (OSError, IndexError):
        return None
    if not SHIM.exists() or SHIM_SOURCE.stat().st_mtime > SHIM.stat().st_mtime:
        SHIM.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(["gcc", "-m32", "-O2", "-fPIC", "-fno-stack-protector", "-nostdlib",
                        "-shared", "-o", str(SHIM), str(SHIM_SOURCE)], check=True)
    return SHIM


def environment(base=None):
    """Wine's environment: quiet, no Mono or Gecko (they cannot be fetched),
    the shared prefix, and the qemu shim where it is needed."""
    env = dict(os.environ if base is None else base)
    env.setdefault("WINEDEBUG", "-all")
    env.update(WINEDLLOVERRIDES="mscoree,mshtml=", WINEPREFIX=str(PREFIX), WINEARCH="win64")
    shim = qemu_shim()
    if shim:
        env["QEMU_SET_ENV"] = f"LD_PRELOAD={shim}"
    return env


class SetupError(Exception):
    pass


class SetupTimeout(SetupError):
    """A set-up step that did not end: a hang, never worth a second try."""


def _log_tail(lines=15):
    try:
        return "\n".join(LOG.read_text(errors="replace").splitlines()[-lines:])
    except OSError:
        return "(no log)"


def _run(argv, env, timeout, what):
    with open(LOG, "ab") as log:
        log.write(f"--- {what}: {' '.join(argv)}\n".encode())
        log.flush()
        try:
            done = subprocess.run(argv, env=env, stdin=subprocess.DEVNULL, stdout=log,
                                  stderr=log, timeout=timeout)
        except subprocess.TimeoutExpired:
            raise SetupTimeout(f"{what}: no end after {timeout} s; log {LOG}:\n{_log_tail()}") from None
    if done.returncode != 0:
        raise SetupError(f"{what}: exit code {done.returncode}; log {LOG}:\n{_log_tail()}")


def reg_import(settings, env, what):
    """Writes (key, name, type, value) rows with one `reg import`."""
    lines = ["Windows Registry Editor Version 5.00", ""]
    roots = {"HKCU": "HKEY_CURRENT_USER", "HKLM": "HKEY_LOCAL_MACHINE"}
    for key, name, kind, value in settings:
        root, rest = key.split("\\", 1)
        data = f"dword:{int(value):08x}" if kind == "REG_DWORD" else '"%s"' % value.replace("\\", "\\\\")
        lines += [f"[{roots[root]}\\{rest}]", f'"{name}"={data}', ""]
    regfile = WINE_DIR / "settings.reg"
    regfile.write_text("\r\n".join(lines), encoding="utf-16")
    argv = [WINE, "reg", "import", "Z:" + str(regfile).replace("/", "\\")]
    # Now and then a Wine program dies as it ends (seen: glibc's "_dl_fini"
    # assertion, exit code 127). An import writes the same values again, so
    # a failed one is tried anew; the third failure is reported. A hang is not.
    for attempt in range(1, IMPORT_TRIES + 1):
        try:
            _run(argv, env, 120, what)
            return
        except SetupTimeout:
            raise
        except SetupError:
            if attempt == IMPORT_TRIES:
                raise
            with open(LOG, "ab") as log:
                log.write(f"--- {what}: failed, trying again\n".encode())


def lock(wait=15):
    """Holds the prefix for this process: returns the open lock file. Two
    runs cannot share one prefix's desktop."""
    WINE_DIR.mkdir(parents=True, exist_ok=True)
    held = open(LOCK, "w")
    deadline = time.monotonic() + wait
    while True:
        try:
            fcntl.flock(held, fcntl.LOCK_EX | fcntl.LOCK_NB)
            return held
        except BlockingIOError:
            if time.monotonic() >= deadline:
                held.close()
                raise SetupError(f"{PREFIX} is in use by another run (lock {LOCK})") from None
            time.sleep(0.2)


def ensure_prefix(say=print):
    """Makes the prefix unless one with these settings exists. The caller
    holds the lock, and no wineserver of the prefix runs."""
    wanted = repr(PREFIX_SETTINGS)
    if STAMP.exists() and STAMP.read_text() == wanted:
        return False
    WINE_DIR.mkdir(parents=True, exist_ok=True)
    LOG.write_text("")
    shutil.rmtree(PREFIX, ignore_errors=True)
    started = time.monotonic()
    say(f"wine: making the prefix {PREFIX} (once, about half a minute; log {LOG})")
    env = environment()
    _run([WINE, "wineboot", "-i"], env, 900, "wineboot -i")
    reg_import(PREFIX_SETTINGS + desktop_settings(DEFAULT), env, "the prefix's settings")
    # The registry reaches the disk when the server ends.
    _run([WINESERVER, "-w"], env, 180, "wineserver to save the prefix")
    STAMP.write_text(wanted)
    say(f"wine: prefix made in {time.monotonic() - started:.0f} s")
    return True


def start_display(width, height, log=subprocess.DEVNULL, first=20):
    """Starts Xvfb on the first free display from :first at width x height;
    returns (Popen, ":N") once it answers."""
    for n in range(first, first + 80):
        if Path(f"/tmp/.X{n}-lock").exists() or Path(f"/tmp/.X11-unix/X{n}").exists():
            continue
        xvfb = subprocess.Popen(
            ["Xvfb", f":{n}", "-screen", "0", f"{width}x{height}x24", "-nolisten", "tcp",
             "-noreset"], stdin=subprocess.DEVNULL, stdout=log, stderr=log, start_new_session=True)
        deadline = time.monotonic() + 15
        while xvfb.poll() is None and time.monotonic() < deadline:
            if subprocess.run(["xdpyinfo", "-display", f":{n}"], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode == 0:
                return xvfb, f":{n}"
            time.sleep(0.1)
        xvfb.kill()  # lost a race for this display, or hung: take the next
        xvfb.wait(10)
    raise SetupError("no X display could be started")


def main(argv):
    if argv[1:2] == ["env"]:
        for name in ("WINEDEBUG", "WINEDLLOVERRIDES", "WINEPREFIX", "WINEARCH", "QEMU_SET_ENV"):
            value = environment().get(name)
            if value is not None:
                print(f"export {name}='{value}'")
        return 0
    if argv[1:2] == ["prefix"]:
        try:
            ensure_prefix()
            # A run of the tests may have left other desktop settings.
            reg_import(desktop_settings(DEFAULT), environment(), "the desktop's settings")
            _run([WINESERVER, "-w"], environment(), 180, "wineserver to save the prefix")
        except SetupError as e:
            print(f"wine: {e}", file=sys.stderr)
            return 1
        return 0
    if argv[1:2] == ["display"] and len(argv) == 3:
        width, height = map(int, argv[2].split("x"))
        try:
            xvfb, display = start_display(width, height, first=90)
        except SetupError as e:
            print(f"wine: {e}", file=sys.stderr)
            return 1
        print(f"DISPLAY={display} XVFB_PID={xvfb.pid}")
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
