"""Xorg's dummy video driver with two RandR outputs side by side: the one
way found here to show Wine two monitors (Xvfb's screens under Xinerama and
Wine's virtual desktop each give it one)."""
import subprocess
from pathlib import Path

DUMMY_CONF = """Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "any"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "any"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 4096 4096
  EndSubSection
EndSection
"""
SIDES = {"left": "--left-of", "right": "--right-of", "above": "--above", "below": "--below"}


def server_argv(n, workdir):
    """Xorg on display :n with the dummy driver; a black root window."""
    workdir = Path(workdir)
    workdir.mkdir(parents=True, exist_ok=True)
    conf = workdir / "xorg-dummy.conf"
    conf.write_text(DUMMY_CONF)
    return ["Xorg", f":{n}", "-config", str(conf), "-logfile", str(workdir / f"xorg-{n}.log"),
            "-nolisten", "tcp", "-noreset", "-br"]


def lay_out(display, primary, second):
    """DUMMY0 the primary, (width, height), at the origin; DUMMY1 of
    second = (width, height, side) beside it. The driver's outputs start
    disconnected and without modes: each gets one of its own size."""
    def xrandr(*args):
        subprocess.run(["xrandr", "-display", display, *args], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=30)
    sizes = {"DUMMY0": primary, "DUMMY1": tuple(second[:2])}
    for output, (w, h) in sizes.items():
        mode = f"{w}x{h}_velumen"
        existing = subprocess.run(["xrandr", "-display", display], capture_output=True,
                                  text=True, timeout=30).stdout
        if mode not in existing:
            # Timings that only need to be valid: about 60 Hz, 10% blanking.
            xrandr("--newmode", mode, str(max(1, w * h * 66 // 1_000_000)), str(w), str(w + 8),
                   str(w + 16), str(w + w // 10), str(h), str(h + 1), str(h + 2),
                   str(h + h // 20))
            xrandr("--addmode", output, mode)
    xrandr("--output", "DUMMY0", "--mode", "%dx%d_velumen" % primary, "--pos", "0x0",
           "--primary", "--output", "DUMMY1", "--mode", "%dx%d_velumen" % tuple(second[:2]),
           SIDES[second[2]], "DUMMY0")
