"""What the end-to-end tier runs and where: the built files, the desktops,
the registry keys, and the Windows numbers the scenarios use."""
import os
from pathlib import Path

from lab import WIN32_DIR, BUILD, LabError, facts, wine

# VELUMEN_E2E_VEXO runs the scenarios against another build, e.g. a broken one.
VEXO = Path(os.environ.get("VELUMEN_E2E_VEXO", WIN32_DIR / facts.EXE))
LAUNCHER = WIN32_DIR / "e2e" / "launcher.exe"
PROBE = WIN32_DIR / "e2e" / "probe.exe"
# Screenshots and Wine's output of the scenarios.
OUT = Path(os.environ.get("VELUMEN_E2E_OUT", BUILD / "e2e"))
LOG = OUT / "wine.log"
PREFIX = wine.PREFIX

DEFAULT = wine.DEFAULT
SHELL = wine.Desktop(name="shell")  # the same screen with Wine's task bar at the bottom
SCREEN_W, SCREEN_H = DEFAULT.width, DEFAULT.height
BACKGROUND = wine.BACKGROUND

PROGRAM_KEY = facts.PROGRAM_KEY
STARTUP_KEY = r"Software\VelumenE2E"  # where `probe.exe startup` reports
TASKBAR_CLASS = facts.TASKBAR_CLASS

# Show commands and messages the scenarios use.
SW_HIDE, SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED = 0, 1, 2, 3
SW_SHOWMINNOACTIVE, SW_SHOWDEFAULT = 7, 10
WM_CLOSE, WM_DISPLAYCHANGE, WM_SYSCOMMAND = 0x0010, 0x007E, 0x0112
SC_MINIMIZE, SC_RESTORE, SC_CLOSE = 0xF020, 0xF120, 0xF060
REG_SZ, REG_BINARY, REG_DWORD = 1, 3, 4
WS_POPUP = 0x80000000


class HarnessError(LabError):
    """The test machinery itself failed, not the program under test."""
