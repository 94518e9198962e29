"""The end-to-end harness as the scenarios see it: the real Vexo.exe under
Wine, on a virtual X display. One Session per run (session.py) owns Xvfb, a
wineserver and a long-running probe (probe_client.py); every scenario gets
the same Session, reset by begin(). The machinery under it, shared with the
benchmark and `make run`, is the lab package."""
from lab import ROOT, WIN32_DIR  # noqa: F401
from lab.waits import WaitTimeout, wait_stable, wait_until  # noqa: F401
from lab.wine import Desktop, win_path  # noqa: F401
from lab.xscreen import Screen, rgb_hex  # noqa: F401

from constants import *  # noqa: F401,F403
from probe_client import as_bytes, describe  # noqa: F401
from session import Launched, Session, prefix_processes  # noqa: F401
