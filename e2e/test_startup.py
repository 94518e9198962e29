"""Start-up and shutdown of Vexo.exe."""
import time

import pytest

from harness import (BACKGROUND, PROGRAM_KEY, REG_SZ, SCREEN_H, SCREEN_W, WIN32_DIR, WS_POPUP,
                     describe, wait_stable, wait_until, win_path)
from helpers import (BLACK, ERROR_BOX_CLASS, SS_ICON, SS_TYPEMASK, WS_CAPTION, WS_THICKFRAME,
                     assert_screen_behind_box, end_with_escape, form_now, full_screen,
                     mismatch_outside, start, text_child, wait_box, wait_box_gone, wait_running)

WS_VISIBLE = 0x10000000
YARDSTICK = WIN32_DIR / "bench" / "yardstick.exe"


def test_starts_black_edge_to_edge_and_ends_on_the_release_of_esc(e2e):
    app = e2e.launch(f'"{e2e.vexo}" no_welcome')
    e2e.wait_screen(BLACK, what="a black screen edge to edge")
    shown = e2e.visible_windows(app.pid)
    assert len(shown) == 1, shown  # no_welcome: no box
    form = shown[0]
    assert (form.text, form.rect) == ("Velumen", (0, 0, SCREEN_W, SCREEN_H))
    assert form.zoomed and form.topmost and form.foreground and form.enabled
    assert form.style & WS_POPUP and not form.style & (WS_CAPTION | WS_THICKFRAME)
    e2e.screenshot("black")

    e2e.keydown("Escape")
    time.sleep(2)  # a program that acts on the press has ended by now
    assert app.running(), "ended on the press of Esc, not its release"
    assert e2e.grab().mismatch(BLACK) is None
    e2e.keyup("Escape")
    assert app.wait(30) == 0
    e2e.wait_screen(BACKGROUND, what="the desktop once the program has ended")
    assert e2e.windows(app.pid) == []

    # Written at start, and left in place by the end.
    values = e2e.reg(PROGRAM_KEY)
    assert {name: (v.type, v.data) for name, v in values.items()} == {
        "prisoten": (REG_SZ, "ja\0\0".encode("utf-16-le")),
        "verzija": (REG_SZ, "1.3\0\0".encode("utf-16-le")),
    }


@pytest.mark.parametrize("args", ["", " no_welcome"], ids=["welcome", "no_welcome"])
def test_a_failed_registry_write_shows_the_error_box_before_the_screen(e2e, args):
    # Windows refuses a lasting key under a volatile one (error 1021), so
    # the program's key cannot be made.
    e2e.regdel(r"Software\Korvanta")
    e2e.regvolatile(r"Software\Korvanta")
    try:
        app = e2e.launch(f'"{e2e.vexo}"{args}')
        box = e2e.wait_window(app.pid, "the error box, shown and active",
                              match=lambda w: w.cls == ERROR_BOX_CLASS and w.visible and w.foreground)
        form = form_now(e2e, app)
        assert box.text == "Velumen", f"error box caption: {box.text!r}"
        assert box.owner == form.hwnd, \
            f"error box owned by {box.owner}, not by the program's window {form.hwnd}"
        assert not form.visible, f"the test screen shows before the error box is dismissed: {describe(form)}"
        # Above every other program's windows otherwise: a box is top-most
        # with its owner.
        assert not form.topmost, f"the hidden test screen is top-most under the error box: {describe(form)}"
        assert not box.topmost, f"the error box is top-most: {describe(box)}"
        shown = [c for c in box.children if c.style & WS_VISIBLE]
        buttons = [c for c in shown if c.cls.lower() == "button"]
        assert [(b.text, b.id) for b in buttons] == [("OK", 1)], f"expected one OK button, saw {buttons}"
        texts = [c for c in shown if c.cls.lower() == "static" and c.style & SS_TYPEMASK != SS_ICON]
        assert len(texts) == 1 and texts[0].text.startswith("Failed to create key"), \
            f"error text: expected 'Failed to create key...', saw {[t.text for t in texts]}"
        icons = [c for c in shown if c.cls.lower() == "static" and c.style & SS_TYPEMASK == SS_ICON]
        assert len(icons) == 1, f"expected one icon in the error box, saw {shown}"
        assert is_stop_icon(e2e.grab(), icons[0].rect), \
            f"the icon at {icons[0].rect} is not the red stop icon; screenshot {e2e.screenshot('error-box')}"
        # No test screen yet: the desktop around the box.
        bad = mismatch_outside(e2e, e2e.grab(), BACKGROUND, box.rect)
        assert bad is None, f"with the error box up, expected the desktop around it, saw {bad}"
        e2e.screenshot("error-box")

        e2e.key("Return")
        if args:
            wait_running(e2e, app, "after the error box")
            e2e.wait_screen(BLACK, what="the black screen after the error box")
            end_with_escape(e2e, app)
            return
        welcome = wait_box(e2e, app, "the welcome box after the error box")
        assert text_child(welcome).text.startswith("Welcome to Velumen 1.3!"), text_child(welcome).text
        form = form_now(e2e, app)
        assert form.visible, f"the welcome box is up but the test screen is not shown: {describe(form)}"
        assert_screen_behind_box(e2e, form, welcome, "welcome box after the error box")
        e2e.wait_screen(BLACK, box=(0, 0, SCREEN_W, welcome.rect[1]),
                        what="the black screen above the welcome box")
        e2e.key("Return")
        wait_box_gone(e2e, app, "the welcome box to close")
        wait_running(e2e, app, "after the error box and the welcome box")
        assert e2e.reg(PROGRAM_KEY) is None, f"values written despite the failure: {e2e.reg(PROGRAM_KEY)}"
        end_with_escape(e2e, app)
    finally:
        e2e.end()
        e2e.regdel(r"Software\Korvanta")


def is_stop_icon(screen, rect):
    """The stop icon is a red disc (with a white cross): a third of its
    square is strongly red. The information and warning icons are blue and
    yellow."""
    left, top, right, bottom = rect
    reds = sum(1 for x in range(left, right) for y in range(top, bottom)
               if (p := screen.pixel(x, y))[0] > 150 and p[1] < 110 and p[2] < 110)
    return reds > (right - left) * (bottom - top) // 3


def test_the_screen_covers_the_task_bar_strip(e2e):
    full = (0, 0, SCREEN_W, SCREEN_H)
    strip = (0, 0, SCREEN_W, SCREEN_H - 40)
    assert e2e.workarea(strip) == strip
    try:
        app = start(e2e)
        e2e.wait_screen(BLACK, what="black edge to edge, the task bar's strip included")
        form = form_now(e2e, app)
        assert form.rect == full, f"with the work area {strip}, the screen covers {form.rect}"
        end_with_escape(e2e, app)
    finally:
        e2e.workarea(full)


def test_the_pointer_over_the_screen_is_the_arrow(e2e):
    # The reference: the benchmark's yardstick, a 32-bit window whose class
    # cursor is the system's arrow (a 32-bit process draws the arrow from
    # Wine's own picture, a 64-bit one from the X cursor theme).
    other = e2e.launch(f'"{win_path(YARDSTICK)}"')
    e2e.wait_window(other.pid, "the yardstick shown over the whole screen",
                    match=lambda w: w.visible and w.foreground and w.rect == full_screen(e2e))
    e2e.mouse_move(300, 200)
    e2e.mouse_move(301, 201)
    # The pointer's image changes as it crosses windows; caught in passing it
    # can be a blank 1x1 picture. The reference is one that holds, and whole.
    arrow = wait_stable("a steady pointer over the yardstick", e2e.cursor_image,
                        lambda image: image[0] >= 8 and image[1] >= 8, timeout=5)
    other.kill()

    app = start(e2e)
    e2e.wait_screen(BLACK, what="the black screen")
    e2e.mouse_move(500, 400)
    e2e.mouse_move(502, 401)
    wait_until("the arrow over the test screen",
               lambda: ((got := e2e.cursor_image()) == arrow, f"{got[:4]}, the arrow is {arrow[:4]}"), 5)
    end_with_escape(e2e, app)
