"""Wine for the lab: the environment it runs in, the one shared prefix and its
lock, and the virtual desktop a run gets.

The prefix is made once and made anew when PREFIX_SETTINGS change. What a
run may vary (the desktop's size, its name and the screen's DPI) is a
Desktop, written by desktop_settings() before the desktop starts.
"""
import fcntl
import os
import shutil
import subprocess
import time
from dataclasses import dataclass
from pathlib import Path

from . import BUILD, ROOT, LabError

# The 64-bit loader starts the prefix's own programs (64-bit: no emulated
# start) and hands a 32-bit program on to the 32-bit one, which Debian's
# `wine` runs.
WINE64 = "/usr/lib/wine/wine64"
WINE32 = "/usr/lib/wine/wine"
WINESERVER = "/usr/bin/wineserver"
# VELUMEN_WINE_DIR lets two runs go side by side, each with its own prefix.
WINE_DIR = Path(os.environ.get("VELUMEN_WINE_DIR", BUILD / "wine"))
PREFIX = WINE_DIR / "prefix"
LOG = WINE_DIR / "setup.log"
LOCK = WINE_DIR / "lock"
SHIM_SOURCE = ROOT / "scripts" / "qemu_mmap_shim.c"
SHIM = BUILD / "qemu-shim" / "mmap_shim.so"

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
    # A second monitor (width, height, side of the primary: "left", "right",
    # "above" or "below"). Wine's virtual desktop is one monitor, so this
    # runs without one, on Xorg's dummy driver with two RandR outputs.
    second: tuple = ()

    @property
    def task_bar(self):
        return self.name == "shell"

    @property
    def virtual(self):
        return not self.second

    def __str__(self):
        shell = ", task bar" if self.task_bar else ""
        second = f", a second monitor {self.second[0]}x{self.second[1]} {self.second[2]}" if self.second else ""
        return f"{self.width}x{self.height} at {self.dpi} DPI{shell}{second}"


DEFAULT = Desktop()


def desktop_settings(desktop):
    """The registry values that give the next desktop this shape."""
    settings = [
        (r"HKCU\Software\Wine\Explorer", "Desktop", "REG_SZ" if desktop.virtual else "DELETE",
         desktop.name),
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


def under_qemu():
    """Whether 32-bit x86 code runs under qemu-i386 (the kernel runs none)."""
    try:
        return Path("/proc/sys/fs/binfmt_misc/qemu-i386").read_text().splitlines()[0] == "enabled"
    except (OSError, IndexError):
        return False


def qemu_shim():
    """Where qemu runs the 32-bit side, the mmap shim (see qemu_mmap_shim.c)
    that makes a 32-bit start take a second instead of a minute; else None."""
    if not under_qemu():
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


class SetupError(LabError):
    """A step of Wine's set-up failed."""


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
        if kind == "DELETE":
            data = "-"
        elif kind == "REG_DWORD":
            data = f"dword:{int(value):08x}"
        else:
            data = '"%s"' % value.replace("\\", "\\\\")
        lines += [f"[{roots[root]}\\{rest}]", f'"{name}"={data}', ""]
    regfile = WINE_DIR / "settings.reg"
    regfile.write_text("\r\n".join(lines), encoding="utf-16")
    argv = [WINE64, "reg", "import", "Z:" + str(regfile).replace("/", "\\")]
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
    _run([WINE64, "wineboot", "-i"], env, 900, "wineboot -i")
    reg_import(PREFIX_SETTINGS + desktop_settings(DEFAULT), env, "the prefix's settings")
    # The registry reaches the disk when the server ends.
    _run([WINESERVER, "-w"], env, 180, "wineserver to save the prefix")
    STAMP.write_text(wanted)
    say(f"wine: prefix made in {time.monotonic() - started:.0f} s")
    return True


def prepare(say=print):
    """The shared prefix made if need be, with the default desktop's settings
    (a run of the tests may have left others). The caller holds the lock."""
    ensure_prefix(say)
    reg_import(desktop_settings(DEFAULT), environment(), "the desktop's settings")
    _run([WINESERVER, "-w"], environment(), 180, "wineserver to save the prefix")


def end_server(env):
    """Ends the prefix's wineserver and every program in it."""
    subprocess.run([WINESERVER, "-k"], env=env, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)


def win_path(path):
    """The Windows name of a file of this machine (Wine's Z: drive)."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def runs_32_bit():
    """Whether 32-bit programs start (natively, or under qemu-i386)."""
    return subprocess.run([WINE32, "--version"], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0
