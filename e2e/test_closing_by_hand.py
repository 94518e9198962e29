"""Closing as a person does it, through the window system: the information
box's close button and Alt+F4 on it (the box closes, the program goes on),
and Alt+F4 on the test screen (the program ends with exit code 0)."""
import pytest

from harness import PROGRAM_KEY, REG_SZ, WaitTimeout
from helpers import (BLACK, choose, end_with_escape, form_now, start, wait_box, wait_box_gone,
                     wait_exit, wait_running)

WM_NCHITTEST, HTCLOSE = 0x0084, 20


def close_button_point(e2e, box):
    """The middle of the box's close button, as the window itself answers
    WM_NCHITTEST for the points of its top-right corner."""
    left, top, right, _ = box.rect
    hits = [(x, y) for y in range(top, top + 40, 2) for x in range(right - 60, right, 2)
            if e2e.send(box.hwnd, WM_NCHITTEST, 0, (y & 0xFFFF) << 16 | (x & 0xFFFF)) == HTCLOSE]
    assert hits, f"no point of the box {box.rect} answers HTCLOSE: no close button"
    xs, ys = [x for x, _ in hits], [y for _, y in hits]
    return (min(xs) + max(xs)) // 2, (min(ys) + max(ys)) // 2


def click_close_button(e2e, box):
    e2e.click(*close_button_point(e2e, box))


def alt_f4(e2e, box):
    e2e.key_holding(["alt"], "F4")


@pytest.mark.parametrize("opening", ["welcome", "About Velumen"])
@pytest.mark.parametrize("close", [click_close_button, alt_f4], ids=lambda f: f.__name__)
def test_the_window_systems_close_closes_the_box_and_the_program_goes_on(e2e, opening, close):
    app = start(e2e, args="" if opening == "welcome" else " no_welcome")
    if opening != "welcome":
        choose(e2e, app, opening)
    box = wait_box(e2e, app, f"the {opening} box")
    close(e2e, box)
    what = f"{close.__name__} on the {opening} box"
    wait_box_gone(e2e, app, f"{what}: the box to close")
    wait_running(e2e, app, f"after {what}")
    # Not the end of the program: nor does the box come back.
    try:
        code = app.wait(1)
    except WaitTimeout:
        code = None
    assert code is None, f"{what} ended the program (exit code {code})"
    assert [w for w in e2e.visible_windows(app.pid) if w.hwnd != form_now(e2e, app).hwnd
            and w.cls != "IME"] == [], f"{what}: a window besides the test screen"
    e2e.wait_screen(BLACK, what=f"the black screen after {what}")
    end_with_escape(e2e, app)


def test_alt_f4_on_the_screen_ends_the_program_with_exit_code_0(e2e):
    app = start(e2e)
    e2e.wait_screen(BLACK, what="the black screen")
    wait_running(e2e, app, "before Alt+F4")
    e2e.key_holding(["alt"], "F4")
    code = wait_exit(app, "Alt+F4 on the test screen", timeout=30)
    assert code == 0, f"Alt+F4 on the test screen: exit code {code}, expected 0"
    values = e2e.reg(PROGRAM_KEY)
    assert values is not None and {n: v.type for n, v in values.items()} == \
        {"prisoten": REG_SZ, "verzija": REG_SZ}, f"the values written at start: {values}"
