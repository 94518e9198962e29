"""Shared steps for the scenarios of the menu, the boxes and the web commands:
starting Vexo.exe, finding its windows, choosing menu entries, watching the
screen colour."""
import time

from harness import SCREEN_H, SCREEN_W, HarnessError, WaitTimeout, wait_until

BLACK, GRAY, GREEN, WHITE = (0, 0, 0), (192, 192, 192), (64, 128, 128), (255, 255, 255)
COLOUR_NAMES = {BLACK: "black", GRAY: "gray", GREEN: "green", WHITE: "white"}

FORM_CLASS, BOX_CLASS, MENU_CLASS = "VelumenForm", "VelumenInfoBox", "#32768"

# The entries that can be chosen, top to bottom; separators follow
# "White-Green animation" and "Download more free Tavik's utilities".
ENTRIES = ["Black", "Gray", "Green", "White", "White-Green animation", "About Velumen",
           "How to use the program", "Look for the new version on the internet",
           "Download more free Tavik's utilities", "Exit"]

SS_TYPEMASK, SS_ICON = 0x1F, 0x03
WS_CAPTION, WS_SYSMENU, WS_THICKFRAME = 0x00C00000, 0x00080000, 0x00040000
WS_MINIMIZEBOX, WS_MAXIMIZEBOX = 0x00020000, 0x00010000


def name(rgb):
    return COLOUR_NAMES.get(tuple(rgb), "#%02x%02x%02x" % tuple(rgb)) if rgb else "none"


# ---- the program and its windows --------------------------------------------

def start(e2e, args=" no_welcome"):
    """Starts Vexo.exe with these arguments after its quoted name; returns
    the Launched once the test screen is shown."""
    app = e2e.launch(f'"{e2e.vexo}"{args}')
    form_window(e2e, app, what="the test screen shown", match=lambda w: w.visible)
    return app


def form_window(e2e, app, what="the test screen", match=lambda w: True, timeout=30):
    return e2e.wait_window(app.pid, what, match=lambda w: w.cls == FORM_CLASS and match(w),
                           timeout=timeout)


def form_now(e2e, app):
    found = [w for w in e2e.windows(app.pid) if w.cls == FORM_CLASS]
    assert len(found) == 1, f"expected one test screen window of pid {app.pid}, saw {found}"
    return found[0]


def boxes(e2e, app):
    """Every information box window of the program, shown or not."""
    return [w for w in e2e.windows(app.pid) if w.cls == BOX_CLASS]


def wait_box(e2e, app, what="an information box", timeout=20):
    # A box shows a moment before the system activates it: wait for both.
    return e2e.wait_window(app.pid, f"{what}, shown and in the foreground",
                           match=lambda w: w.cls == BOX_CLASS and w.visible and w.foreground,
                           timeout=timeout)


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


def assert_information_box(box, text):
    """The look of every information box, and its text letter for letter."""
    assert box.text == "Information", f"box title: expected 'Information', saw {box.text!r}"
    shown = text_child(box)
    assert shown.text == text, f"box text:\n expected {text!r}\n      saw {shown.text!r}"
    icons = [c for c in box.children
             if c.cls.lower() == "static" and c.style & SS_TYPEMASK == SS_ICON]
    buttons = [c for c in box.children if c.cls.lower() == "button"]
    assert len(icons) == 1 and len(buttons) == 1, \
        f"expected one icon and one button, saw {box.children}"
    icon, ok = icons[0], buttons[0]
    assert (ok.text, ok.id) == ("OK", 1), \
        f"button: expected 'OK' with id 1, saw {ok.text!r} id {ok.id}"
    il, it, ir, ib = icon.rect
    assert (ir - il, ib - it) == (32, 32), f"icon: expected 32 x 32, saw {icon.rect}"
    assert ir <= shown.rect[0] and it <= shown.rect[1] + 1, \
        f"icon {icon.rect} is not at the top left of the text {shown.rect}"
    assert ok.rect[1] >= max(ib, shown.rect[3]), f"button {ok.rect} is not below icon and text"
    left, top, right, bottom = box.rect
    assert abs((ok.rect[0] + ok.rect[2]) - (left + right)) <= 1, \
        f"button {ok.rect} is not centred across the box {box.rect}"
    assert shown.rect[2] - shown.rect[0] <= SCREEN_W // 2, \
        f"text wider than half the screen: {shown.rect}"
    width, height = right - left, bottom - top
    assert (left, top) == ((SCREEN_W - width) // 2, (SCREEN_H - height) // 2), \
        f"box {box.rect} ({width} x {height}) is not centred on the {SCREEN_W} x {SCREEN_H} screen"
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


RUNNING = {"enabled": True, "topmost": True, "foreground": True, "zoomed": True,
           "rect": (0, 0, SCREEN_W, SCREEN_H)}


def press_ok(e2e, box):
    ok = next(c for c in box.children if c.cls.lower() == "button")
    l, t, r, b = ok.rect
    e2e.click((l + r) // 2, (t + b) // 2)


# ---- the menu ------------------------------------------------------------------

def menus(e2e, app):
    return [w for w in e2e.windows(app.pid) if w.cls == MENU_CLASS and w.visible]


def placed(window):
    # The probe reads the rectangle before the visibility: a menu that is
    # being shown can be seen visible with the empty rectangle of its creation.
    left, top, right, bottom = window.rect
    return right > left and bottom > top


def open_menu(e2e, app, x, y, timeout=10):
    """Right-button press and release at (x, y); returns the open menu."""
    e2e.right_press(x, y)
    e2e.right_release(x, y)
    def poll():
        found = menus(e2e, app)
        return bool(found) and placed(found[0]), found[:1]
    return wait_until(f"the menu to open after a right-button release at ({x}, {y})", poll,
                      timeout, interval=0.01)[0]


def wait_menu_closed(e2e, app, timeout=10):
    wait_until("the menu to close",
               lambda: (not (found := menus(e2e, app)), [w.rect for w in found]), timeout,
               interval=0.01)


def cancel_menu(e2e, app, menu):
    """Closes the menu with a left click on the test screen away from it."""
    left, top, right, bottom = menu.rect
    x = 5 if left > SCREEN_W - right else SCREEN_W - 5
    y = 5 if top > SCREEN_H - bottom else SCREEN_H - 5
    e2e.click(x, y)
    wait_menu_closed(e2e, app)


_entry_rows = None  # the entries' centre rows below the menu's top edge


def entry_rows(e2e, menu):
    """Measures, once, where each entry's caption sits in the open menu: the
    rows that hold dark caption pixels form one band per entry."""
    global _entry_rows
    if _entry_rows is None:
        time.sleep(0.3)  # let the menu finish drawing
        screen = e2e.grab()
        left, top, right, bottom = menu.rect
        dark = [y for y in range(top + 2, bottom - 2)
                if any(sum(screen.pixel(x, y)) < 300 for x in range(left + 3, right - 3))]
        bands = []
        for y in dark:
            if bands and y - bands[-1][1] <= 3:
                bands[-1][1] = y
            else:
                bands.append([y, y])
        if len(bands) != len(ENTRIES):
            raise HarnessError(f"expected {len(ENTRIES)} caption rows in the menu {menu.rect}, "
                               f"found {bands}; screenshot {e2e.screenshot('menu-rows')}")
        _entry_rows = {entry: (a + b) // 2 - top for entry, (a, b) in zip(ENTRIES, bands)}
    return _entry_rows


def choose(e2e, app, entry, at=(100, 100)):
    """Opens the menu at `at` and clicks the entry."""
    menu = open_menu(e2e, app, *at)
    rows = entry_rows(e2e, menu)
    e2e.click(menu.rect[0] + 40, menu.rect[1] + rows[entry])
    wait_menu_closed(e2e, app)


# ---- the screen colour ------------------------------------------------------------

def colour_at(e2e, x=5, y=5):
    return e2e.pixels([(x, y)])[0]


def wait_colour(e2e, rgb, what, x=5, y=5, timeout=10):
    """Waits until the probe sees rgb at (x, y)."""
    try:
        wait_until(f"{what}: {name(rgb)} at ({x}, {y})",
                   lambda: ((seen := colour_at(e2e, x, y)) == tuple(rgb), name(seen)), timeout,
                   interval=0.02)
    except WaitTimeout as e:
        raise WaitTimeout(f"{e}; screenshot {e2e.screenshot('timeout')}") from None


def colours_over(e2e, seconds, x=5, y=5, interval=0.05):
    """The colours seen at (x, y) over the next seconds, in order, with
    repeats collapsed."""
    seen = []
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        rgb = colour_at(e2e, x, y)
        if not seen or seen[-1] != rgb:
            seen.append(rgb)
        time.sleep(interval)
    return seen


def assert_steady(e2e, rgb, seconds, what, x=5, y=5):
    seen = colours_over(e2e, seconds, x, y)
    assert seen == [tuple(rgb)], \
        f"{what}: expected {name(rgb)} throughout {seconds:g} s, saw {[name(c) for c in seen]}"


def assert_animating(e2e, what, x=5, y=5):
    """White and green both show within two periods of 500 ms."""
    seen = colours_over(e2e, 1.3, x, y)
    assert set(seen) == {WHITE, GREEN} and len(seen) >= 2, \
        f"{what}: expected white and green in turn, saw {[name(c) for c in seen]}"


def wait_flip(e2e, x=5, y=5, timeout=3):
    """Waits for the animation's next change of colour at (x, y); returns the
    new colour, which then holds for about 500 ms."""
    before = colour_at(e2e, x, y)
    return wait_until(f"the animation to change the colour at ({x}, {y}) from {name(before)}",
                      lambda: ((c := colour_at(e2e, x, y)) != before, c), timeout, interval=0.005)


def mismatch_outside(screen, rgb, rect):
    """The first pixel outside rect (left, top, right, bottom) that is not rgb."""
    left, top, right, bottom = rect
    for box in ((0, 0, SCREEN_W, top), (0, bottom, SCREEN_W, SCREEN_H),
                (0, top, left, bottom), (right, top, SCREEN_W, bottom)):
        if box[0] < box[2] and box[1] < box[3]:
            bad = screen.mismatch(rgb, box)
            if bad:
                return bad
    return None
