"""What the scenarios share: the colours, starting Vexo.exe and finding its
windows, the information boxes, the menu and its entries, and watching the
screen's colour."""
import time

from lab.facts import (BLACK, BOX_CLASS, CR, ERROR_BOX_CLASS, FORM_CLASS, GRAY,  # noqa: F401
                       GREEN, HOW_TO, MENU_CLASS, WELCOME, WHITE, name)
from lab.facts import ENTRIES
from lab.menu import caption_rows

from harness import WaitTimeout, describe, wait_until

SS_TYPEMASK, SS_ICON = 0x1F, 0x03
WS_CAPTION, WS_SYSMENU, WS_THICKFRAME = 0x00C00000, 0x00080000, 0x00040000
WS_MINIMIZEBOX, WS_MAXIMIZEBOX = 0x00020000, 0x00010000
WS_EX_APPWINDOW = 0x00040000


# ---- the program and its windows --------------------------------------------

def is_form(w):
    return w.cls == FORM_CLASS


def full_screen(e2e):
    return (0, 0, e2e.width, e2e.height)


def start(e2e, args=" no_welcome", show=None):
    """Starts Vexo.exe with these arguments after its quoted name; returns
    the Launched once the test screen covers the screen."""
    app = e2e.launch(f'"{e2e.vexo}"{args}', show)
    form_window(e2e, app, "the full-screen test screen",
                match=lambda w: w.visible and w.rect == full_screen(e2e))
    return app


def form_window(e2e, app, what="the test screen", match=lambda w: True, timeout=30):
    return e2e.wait_window(app.pid, what, match=lambda w: is_form(w) and match(w), timeout=timeout)


def form_now(e2e, app):
    found = [w for w in e2e.windows(app.pid) if is_form(w)]
    assert len(found) == 1, f"expected one test screen window of pid {app.pid}, saw {found}"
    return found[0]


def seen(e2e, app):
    """The visible windows of the program, for a failure message."""
    return [describe(w) for w in e2e.visible_windows(app.pid) if w.cls != "IME"]


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


# ---- information boxes -----------------------------------------------------------

def boxes(e2e, app):
    """Every information box window of the program, shown or not."""
    return [w for w in e2e.windows(app.pid) if w.cls == BOX_CLASS]


def welcome_boxes(e2e, app):
    return [w for w in boxes(e2e, app)
            if w.visible and any(c.text.startswith(WELCOME[:20]) for c in w.children)]


def wait_box(e2e, app, what="an information box", timeout=20):
    # A box shows a moment before the system activates it: wait for both.
    return e2e.wait_window(app.pid, f"{what}, shown and in the foreground",
                           match=lambda w: w.cls == BOX_CLASS and w.visible and w.foreground,
                           timeout=timeout)


def wait_focus(e2e, window, on, what, timeout=5):
    """Waits until the keyboard focus of the window's thread is on `on`. The
    system activates a window and hands it the focus a moment later (in its
    WM_ACTIVATE), so one read from another process can fall in between."""
    wait_until(what, lambda: ((f := e2e.focus(window.tid).focus) == on,
                              f"focus on {f}, expected on {on}"), timeout)


def wait_box_gone(e2e, app, what="the information box to close", timeout=20):
    def poll():
        left = boxes(e2e, app)
        return not left, [(w.text, w.rect, w.visible) for w in left]
    wait_until(what, poll, timeout, interval=0.05)


def assert_no_box_for(e2e, app, seconds, when):
    """No box of the program exists at any time during the next seconds."""
    deadline = time.monotonic() + seconds
    while True:
        found = boxes(e2e, app)
        assert not found, \
            f"{when}: expected no information box, saw {[(w.text, w.rect) for w in found]}"
        if time.monotonic() >= deadline:
            return
        time.sleep(0.1)


def text_child(box):
    texts = [c for c in box.children
             if c.cls.lower() == "static" and c.style & SS_TYPEMASK != SS_ICON]
    assert len(texts) == 1, f"expected one text control in the box, saw {box.children}"
    return texts[0]


def ok_button(box):
    buttons = [c for c in box.children if c.cls.lower() == "button"]
    assert len(buttons) == 1, f"expected one button in the box, saw {box.children}"
    return buttons[0]


def assert_information_box(e2e, box, text):
    """The look of every information box, and its text letter for letter."""
    assert box.text == "Information", f"box title: expected 'Information', saw {box.text!r}"
    shown = text_child(box)
    assert shown.text == text, f"box text:\n expected {text!r}\n      saw {shown.text!r}"
    icons = [c for c in box.children
             if c.cls.lower() == "static" and c.style & SS_TYPEMASK == SS_ICON]
    ok = ok_button(box)
    assert len(icons) == 1, f"expected one icon, saw {box.children}"
    icon = icons[0]
    assert (ok.text, ok.id) == ("OK", 1), \
        f"button: expected 'OK' with id 1, saw {ok.text!r} id {ok.id}"
    il, it, ir, ib = icon.rect
    size = 32 * e2e.desktop.dpi // 96  # the system's icon size grows with the DPI
    assert (ir - il, ib - it) in ((32, 32), (size, size)), \
        f"icon: expected {size} x {size} at {e2e.desktop.dpi} DPI, saw {icon.rect}"
    assert ir <= shown.rect[0] and it <= shown.rect[1] + 1, \
        f"icon {icon.rect} is not at the top left of the text {shown.rect}"
    assert ok.rect[1] >= max(ib, shown.rect[3]), f"button {ok.rect} is not below icon and text"
    left, top, right, bottom = box.rect
    assert abs((ok.rect[0] + ok.rect[2]) - (left + right)) <= 1, \
        f"button {ok.rect} is not centred across the box {box.rect}"
    assert left <= ok.rect[0] and ok.rect[2] <= right and top <= ok.rect[1] and ok.rect[3] <= bottom, \
        f"button {ok.rect} is not inside the box {box.rect}"
    assert shown.rect[2] - shown.rect[0] <= e2e.width // 2, \
        f"text {shown.rect} wider than half the {e2e.width}-pixel screen"
    width, height = right - left, bottom - top
    assert (left, top) == ((e2e.width - width) // 2, (e2e.height - height) // 2), \
        f"box {box.rect} ({width} x {height}) is not centred on the {e2e.width} x {e2e.height} screen"
    assert box.style & WS_CAPTION == WS_CAPTION and box.style & WS_SYSMENU, \
        f"box style {box.style:#x}: no title bar or no close button"
    assert not box.style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), \
        f"box style {box.style:#x}: resizable, or with a minimise or maximise button"


def assert_screen_behind_box(e2e, form, box, what):
    """While a box is open: the box in front, the test screen disabled and
    out of the top-most band."""
    assert box.foreground, f"{what}: the box is not the foreground window"
    assert not form.enabled, f"{what}: the test screen is still enabled behind the box"
    assert not form.topmost, f"{what}: the test screen is still top-most behind the box"


def screen_state(form):
    """What a test screen in its ordinary running state shows."""
    return {"enabled": form.enabled, "topmost": form.topmost, "foreground": form.foreground,
            "zoomed": form.zoomed, "rect": form.rect}


def running_state(e2e):
    return {"enabled": True, "topmost": True, "foreground": True, "zoomed": True,
            "rect": full_screen(e2e)}


def wait_running(e2e, app, what, timeout=10):
    """Waits until the test screen is back in its running state (the
    activation is handed back a moment after a box has gone)."""
    want = running_state(e2e)

    def poll():
        forms = [w for w in e2e.windows(app.pid) if is_form(w)]
        state = screen_state(forms[0]) if len(forms) == 1 else seen(e2e, app)
        return state == want, state
    return wait_until(f"{what}: the test screen enabled, top-most, in the foreground, full screen",
                      poll, timeout)


def centre(rect):
    left, top, right, bottom = rect
    return (left + right) // 2, (top + bottom) // 2


def press_ok(e2e, box):
    e2e.click(*centre(ok_button(box).rect))


# ---- the menu ------------------------------------------------------------------

def menus(e2e, app):
    return [w for w in e2e.windows(app.pid) if w.cls == MENU_CLASS and w.visible]


def placed(window):
    # The probe reads the rectangle before the visibility: a menu that is
    # being shown can be seen visible with the empty rectangle of its creation.
    left, top, right, bottom = window.rect
    return right > left and bottom > top


def wait_menu(e2e, app, what, timeout=10):
    """Waits until one menu is open and placed; returns its window."""
    def poll():
        found = menus(e2e, app)
        return len(found) == 1 and placed(found[0]), found[0] if found else seen(e2e, app)
    return wait_until(f"the menu to open on {what}", poll, timeout, interval=0.01)


def wait_no_menu(e2e, app, what="the menu to close", timeout=10):
    wait_until(f"the menu to close on {what}",
               lambda: (not (found := menus(e2e, app)), [w.rect for w in found]), timeout,
               interval=0.01)


def open_menu(e2e, app, x, y):
    """Right-button press and release at (x, y); returns the open menu."""
    e2e.right_press(x, y)
    e2e.right_release(x, y)
    return wait_menu(e2e, app, f"a right-button release at ({x}, {y})")


def assert_nothing_opens(e2e, app, what, seconds=1.0):
    """For `seconds`, no menu shows and the program runs on."""
    deadline = time.monotonic() + seconds
    while True:
        found = menus(e2e, app)
        assert not found, f"{what} opened the menu: {[describe(w) for w in found]}"
        assert app.running(), f"{what} ended the program (exit code {app.wait(5)})"
        if time.monotonic() >= deadline:
            return
        time.sleep(0.05)


def outside(e2e, rect):
    """A screen point well away from rect, for a click that closes a menu."""
    left, top, right, bottom = rect
    w, h = e2e.width, e2e.height
    for x, y in [(20, 20), (w - 20, h - 20), (w - 20, 20), (20, h - 20)]:
        if not (left - 10 <= x < right + 10 and top - 10 <= y < bottom + 10):
            return x, y
    raise AssertionError(f"no point outside the menu at {rect}")


def cancel_menu(e2e, app, menu):
    """Closes the menu with a left click on the test screen away from it."""
    e2e.click(*outside(e2e, menu.rect))
    wait_no_menu(e2e, app, "a click away from it")


_rows = {}  # per desktop: the rows of the menu's parts below its top edge


def menu_rows(e2e, menu):
    """Measures, once per desktop, where the menu's captions sit; returns
    {entry or ("separator", 0 or 1): centre row below the menu's top edge}."""
    if e2e.desktop not in _rows:
        # The menu draws a moment after its window is placed.
        _rows[e2e.desktop] = wait_until(
            f"{len(ENTRIES)} caption rows in the menu {menu.rect}",
            lambda: (rows := caption_rows(e2e.grab().pixel, menu.rect), rows), 5, interval=0.05)
    return _rows[e2e.desktop]


def click_entry(e2e, app, menu, entry, button=1):
    """Clicks an entry (or ("separator", 0 or 1)) of the open menu."""
    rows = menu_rows(e2e, menu)
    e2e.click(menu.rect[0] + 40, menu.rect[1] + rows[entry], button)


def choose(e2e, app, entry, at=(100, 100), button=1):
    """Opens the menu at `at`, clicks the entry and waits for the menu to close."""
    menu = open_menu(e2e, app, *at)
    click_entry(e2e, app, menu, entry, button)
    wait_no_menu(e2e, app, f"a click on {entry!r}")


# ---- the task bar (the shell desktop) ---------------------------------------------

WS_VISIBLE = 0x10000000


def task_bar_button(e2e, app, what, timeout=10):
    """The task bar's button for the program's test screen, once it is shown
    on the bar: the child of the bar whose id is the screen's window."""
    hwnd = form_window(e2e, app, f"{what}: the test screen shown", match=lambda w: w.visible).hwnd
    e2e.refresh_taskbar()

    def ours(bar):
        return [c for c in bar.children if c.id == hwnd and c.style & WS_VISIBLE and placed(c)]
    bar = e2e.wait_taskbar(f"{what}: the task bar's button for the test screen {hwnd}",
                           match=lambda bar: len(ours(bar)) == 1, timeout=timeout)
    return ours(bar)[0]


_bar_clicks = [0]


def click_task_bar_button(e2e, app, what):
    """A left click on the program's task-bar button. Two clicks on one spot
    within the double-click time make a double click, which the bar's owner-
    drawn buttons report as such and Wine's bar ignores: each click lands a
    quarter of the button away from the one before."""
    left, top, right, bottom = task_bar_button(e2e, app, what).rect
    _bar_clicks[0] += 1
    e2e.click(left + (right - left) * (1 + _bar_clicks[0] % 3) // 4, (top + bottom) // 2)


# ---- the screen colour ------------------------------------------------------------

def colour_at(e2e, x=5, y=5):
    return e2e.pixels([(x, y)])[0]


def wait_colour(e2e, rgb, what, x=5, y=5, timeout=10):
    """Waits until the probe sees rgb at (x, y)."""
    try:
        wait_until(f"{what}: {name(rgb)} at ({x}, {y})",
                   lambda: ((got := colour_at(e2e, x, y)) == tuple(rgb), name(got)), timeout,
                   interval=0.02)
    except WaitTimeout as e:
        raise WaitTimeout(f"{e}; screenshot {e2e.screenshot('timeout')}") from None


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
    return ", ".join(f"{name(rgb)} at {1000 * (t - t0):.0f} ms" for t, rgb in marks)


def assert_steady(e2e, rgb, seconds, what, point=(5, 5), whole=False):
    """The screen shows rgb for `seconds` at point (and, with whole, edge to
    edge at the end)."""
    samples = sample(e2e, point, seconds=seconds)
    assert all(c == tuple(rgb) for _, c in samples), (
        f"{what}: expected {name(rgb)} for {seconds:g} s at {point}, seen {changes(samples)}")
    if whole:
        bad = e2e.grab().mismatch(rgb)
        assert bad is None, f"{what}: expected {name(rgb)} edge to edge, seen {name(bad[2])} at {bad[:2]}"


def assert_animating(e2e, what, x=5, y=5):
    """White and green both show within two periods of 500 ms, counted from
    the first of them: after a choice from the menu, the first white paints a
    moment after the menu has gone."""
    wait_until(f"{what}: the animation's white or green at ({x}, {y})",
               lambda: ((c := colour_at(e2e, x, y)) in (WHITE, GREEN), name(c)), 5, interval=0.02)
    got = [rgb for _, rgb in transitions(sample(e2e, (x, y), seconds=1.3))]
    assert set(got) == {WHITE, GREEN} and len(got) >= 2, \
        f"{what}: expected white and green in turn, saw {[name(c) for c in got]}"


def wait_flip(e2e, x=5, y=5, timeout=3):
    """Waits for the animation's next change of colour at (x, y); returns the
    new colour, which then holds for about 500 ms. A change that is not from
    one of its two colours to the other fails."""
    before = colour_at(e2e, x, y)
    after = wait_until(f"the animation to change the colour at ({x}, {y}) from {name(before)}",
                       lambda: ((c := colour_at(e2e, x, y)) != before, c), timeout, interval=0.005)
    assert {before, after} == {WHITE, GREEN}, \
        f"at ({x}, {y}) the colour went from {name(before)} to {name(after)}, not white to green or back"
    return after


def mismatch_outside(e2e, screen, rgb, rect):
    """The first pixel outside rect (left, top, right, bottom) that is not rgb."""
    left, top, right, bottom = rect
    w, h = e2e.width, e2e.height
    for box in ((0, 0, w, top), (0, bottom, w, h), (0, top, left, bottom), (right, top, w, bottom)):
        if box[0] < box[2] and box[1] < box[3]:
            bad = screen.mismatch(rgb, box)
            if bad:
                return bad
    return None

