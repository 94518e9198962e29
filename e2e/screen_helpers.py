"""What the scenarios of the test screen share: starting it, finding its
windows, opening its menu and choosing an entry, and watching a screen point."""
import time

from harness import SCREEN_H, SCREEN_W, WaitTimeout, describe, wait_until

BLACK = (0, 0, 0)
GRAY = (192, 192, 192)
GREEN = (64, 128, 128)
WHITE = (255, 255, 255)
COLOUR_NAMES = {BLACK: "black", GRAY: "gray", GREEN: "green", WHITE: "white"}

BOX_CLASS = "VelumenInfoBox"
MENU_CLASS = "#32768"  # a pop-up menu is a top-level window of this class under Wine
WELCOME = "Welcome to Velumen 1.3!"
FULL_SCREEN = (0, 0, SCREEN_W, SCREEN_H)

# The menu's entries that carry text, top to bottom; separators lie after
# the fifth and the ninth.
ENTRIES = ["Black", "Gray", "Green", "White", "White-Green animation", "About Velumen",
           "How to use the program", "Look for the new version on the internet",
           "Download more free Tavik's utilities", "Exit"]


def name_of(rgb):
    return COLOUR_NAMES.get(tuple(rgb), "#%02x%02x%02x" % tuple(rgb)) if rgb else "none"


# ---- windows ---------------------------------------------------------------

def is_form(w):
    return w.text == "Velumen" and w.cls not in (BOX_CLASS, MENU_CLASS, "IME")


def form_of(e2e, pid):
    forms = [w for w in e2e.windows(pid) if is_form(w)]
    assert len(forms) == 1, f"expected one test screen window, saw {[describe(w) for w in forms]}"
    return forms[0]


def welcome_boxes(e2e, pid):
    return [w for w in e2e.visible_windows(pid)
            if w.cls == BOX_CLASS and any(c.text.startswith(WELCOME) for c in w.children)]


def menus(e2e, pid):
    return [w for w in e2e.visible_windows(pid) if w.cls == MENU_CLASS]


def seen(e2e, pid):
    """The visible windows of pid, for a failure message."""
    return [describe(w) for w in e2e.visible_windows(pid) if w.cls != "IME"]


def start(e2e, cmdline=None, show=None):
    """Starts Vexo.exe (by default with no_welcome) and waits for the black
    screen edge to edge. Returns (app, form window)."""
    app = e2e.launch(cmdline or f'"{e2e.vexo}" no_welcome', show)
    form = e2e.wait_window(app.pid, "the full-screen test screen",
                           match=lambda w: is_form(w) and w.visible and w.rect == FULL_SCREEN)
    e2e.wait_screen(BLACK, what="the black screen at start")
    return app, form


def wait_exit(app, what, timeout=15):
    """Waits for the program to end; fails naming what should have ended it."""
    try:
        return app.wait(timeout)
    except WaitTimeout:
        raise AssertionError(f"{what}: the program was still running after {timeout} s") from None


def end_with_escape(e2e, app):
    e2e.key("Escape")
    code = wait_exit(app, "the release of Esc")
    assert code == 0, f"exit code after Esc: expected 0, seen {code}"


# ---- the menu --------------------------------------------------------------

def wait_menu(e2e, app, what, timeout=10):
    """Waits until one menu is open; returns its window."""
    def poll():
        found = menus(e2e, app.pid)
        return len(found) == 1, found[0] if len(found) == 1 else seen(e2e, app.pid)
    return wait_until(f"the menu to open on {what}", poll, timeout, interval=0.05)


def wait_no_menu(e2e, app, what, timeout=10):
    wait_until(f"the menu to close on {what}",
               lambda: (not menus(e2e, app.pid), seen(e2e, app.pid)), timeout, interval=0.05)


def assert_nothing_opens(e2e, app, what, seconds=1.0):
    """For `seconds`, no menu shows and the program runs on."""
    deadline = time.monotonic() + seconds
    while True:
        found = menus(e2e, app.pid)
        assert not found, f"{what} opened the menu: {[describe(w) for w in found]}"
        assert app.running(), f"{what} ended the program (exit code {app.wait(5)})"
        if time.monotonic() >= deadline:
            return
        time.sleep(0.05)


def open_menu(e2e, app, x, y):
    """A right click at (x, y); returns the menu window."""
    e2e.right_press(x, y)
    e2e.right_release(x, y)
    return wait_menu(e2e, app, f"a right-button release at ({x}, {y})")


def outside(rect):
    """A screen point well away from rect, for a click that closes a menu."""
    left, top, right, bottom = rect
    for x, y in [(20, 20), (SCREEN_W - 20, SCREEN_H - 20), (SCREEN_W - 20, 20), (20, SCREEN_H - 20)]:
        if not (left - 10 <= x < right + 10 and top - 10 <= y < bottom + 10):
            return x, y
    raise AssertionError(f"no point outside the menu at {rect}")


def entry_rows(e2e, menu):
    """The centre row of each text entry of the open menu, found in a grab:
    the rows inside the frame that hold dark text pixels, in runs, one run
    per entry (a gap of a few rows inside a line of text is bridged)."""
    left, top, right, bottom = menu.rect
    grab = e2e.grab()
    inset = 4  # clear of the menu's frame
    dark_rows = [y for y in range(top + inset, bottom - inset)
                 if any(sum(grab.pixel(x, y)) < 200 for x in range(left + inset, right - inset))]
    runs = []
    for y in dark_rows:
        if runs and y - runs[-1][-1] <= 4:
            runs[-1].append(y)
        else:
            runs.append([y])
    if len(runs) != len(ENTRIES):
        raise AssertionError(f"expected {len(ENTRIES)} text entries in the menu at {menu.rect}, "
                             f"found text rows {[(r[0], r[-1]) for r in runs]}; "
                             f"screenshot {e2e.screenshot('menu-entries')}")
    return [(run[0] + run[-1]) // 2 for run in runs]


class Menu:
    """Chooses entries of the test screen's menu with the mouse. The entry
    rows are measured once, relative to the menu's top edge, and kept."""

    def __init__(self, e2e, app, at=(100, 100)):
        self.e2e, self.app, self.at = e2e, app, at
        self._offsets = None

    def open(self):
        menu = open_menu(self.e2e, self.app, *self.at)
        assert menu.rect[:2] == self.at, f"menu opened at {menu.rect[:2]}, not at {self.at}"
        if self._offsets is None:
            self._offsets = [y - menu.rect[1] for y in entry_rows(self.e2e, menu)]
        return menu

    def choose(self, entry, menu=None):
        """Clicks entry in the open menu (opening it first when menu is None)."""
        menu = menu or self.open()
        if self._offsets is None:
            self._offsets = [y - menu.rect[1] for y in entry_rows(self.e2e, menu)]
        self.e2e.click(menu.rect[0] + 40, menu.rect[1] + self._offsets[ENTRIES.index(entry)])
        wait_no_menu(self.e2e, self.app, f"a click on {entry!r}")


# ---- watching a screen point -----------------------------------------------

def sample(e2e, point, seconds=None, until=None, timeout=15, what="the colours"):
    """Reads the colour at point through GetPixel as fast as the probe
    answers, for `seconds`, or until until(samples) is true (failing after
    timeout). Returns [(monotonic time, rgb)]."""
    samples = []
    started = time.monotonic()
    while True:
        rgb = e2e.pixels([point])[0]
        now = time.monotonic()
        samples.append((now, rgb))
        if seconds is not None and now - started >= seconds:
            return samples
        if until is not None and until(samples):
            return samples
        if now - started >= timeout:
            raise WaitTimeout(f"waited {timeout:g} s at {point} for {what}; seen {changes(samples)}")


def transitions(samples):
    """[(time of the first sample of a new colour, rgb)], the first sample included."""
    out = []
    for t, rgb in samples:
        if not out or rgb != out[-1][1]:
            out.append((t, rgb))
    return out


def changes(samples):
    """A short account of what a point showed, for messages."""
    marks = transitions(samples)
    if not marks:
        return "nothing"
    t0 = marks[0][0]
    return ", ".join(f"{name_of(rgb)} at {1000 * (t - t0):.0f} ms" for t, rgb in marks)


def assert_steady(e2e, rgb, seconds, what, point=(SCREEN_W // 2, SCREEN_H // 2)):
    """The screen shows rgb for `seconds` at point, and edge to edge at the end."""
    samples = sample(e2e, point, seconds=seconds)
    assert all(c == rgb for _, c in samples), (
        f"{what}: expected {name_of(rgb)} for {seconds:g} s at {point}, seen {changes(samples)}")
    bad = e2e.grab().mismatch(rgb)
    assert bad is None, f"{what}: expected {name_of(rgb)} edge to edge, seen {name_of(bad[2])} at {bad[:2]}"
