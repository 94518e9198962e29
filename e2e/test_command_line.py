"""The command line's first argument and the start-up show request, through
the launcher's exact command lines."""
import shutil
import time

import harness
from harness import (BACKGROUND, SC_RESTORE, SCREEN_H, SCREEN_W, SW_SHOWMAXIMIZED,
                     SW_SHOWMINNOACTIVE, SW_SHOWNORMAL, WM_SYSCOMMAND, describe, win_path)
from screen_helpers import BLACK, FULL_SCREEN, end_with_escape, is_form, seen, welcome_boxes

NO_BOX_WAIT = 2.0  # after the test screen shows, how long a welcome box gets to appear


def spaced_copy():
    """Vexo.exe in a folder whose name holds a space."""
    folder = harness.OUT / "with space"
    folder.mkdir(exist_ok=True)
    copy = folder / "Vexo.exe"
    shutil.copy2(harness.VEXO, copy)
    return win_path(copy)


def wait_box_or_quiet(e2e, app):
    """After the full-screen test screen shows, waits for the welcome box or
    for NO_BOX_WAIT seconds without one. Returns (form, boxes)."""
    form = e2e.wait_window(app.pid, "the full-screen test screen",
                           match=lambda w: is_form(w) and w.visible and w.rect == FULL_SCREEN)
    assert form.zoomed, f"the test screen covers the screen but is not maximised: {describe(form)}"
    deadline = time.monotonic() + NO_BOX_WAIT
    while True:
        boxes = welcome_boxes(e2e, app.pid)
        if boxes or time.monotonic() >= deadline:
            return form, boxes
        time.sleep(0.1)


def wait_welcome_box(e2e, app, when):
    def poll():
        boxes = welcome_boxes(e2e, app.pid)
        return len(boxes) == 1, boxes[0] if boxes else seen(e2e, app.pid)
    return harness.wait_until(f"the welcome box {when}", poll, 10)


def run_case(e2e, cmdline, show, box_expected):
    app = e2e.launch(cmdline, show)
    _, boxes = wait_box_or_quiet(e2e, app)
    if box_expected:
        assert len(boxes) == 1, f"expected the welcome box, seen {seen(e2e, app.pid)}"
        e2e.key("Return")
        harness.wait_until("the welcome box to close on Enter",
                           lambda: (not welcome_boxes(e2e, app.pid), seen(e2e, app.pid)), 10)
    else:
        assert not boxes, f"expected no welcome box, seen {[describe(w) for w in boxes]}"
        e2e.wait_screen(BLACK, what="the black screen with no box", timeout=10)
        assert not welcome_boxes(e2e, app.pid), f"a late welcome box: {seen(e2e, app.pid)}"
    assert app.running(), f"the program ended by itself, exit code {app.wait(5)}"
    end_with_escape(e2e, app)


def test_only_an_exact_first_argument_no_welcome_suppresses_the_welcome_box(e2e):
    vexo = e2e.vexo
    long_word = "x" * 290 + "no_welcome"  # 300 characters, past any 256-byte word buffer
    cases = [
        # what, command line, show request, welcome box expected
        ("plain", f"{vexo} no_welcome", None, False),
        ("quoted, show 3", f'"{vexo}" "no_welcome"', SW_SHOWMAXIMIZED, False),
        ("partly quoted, show 1", f'"{vexo}" no_"wel"come', SW_SHOWNORMAL, False),
        ("after a lone pair of quotes", f'"{vexo}" "" no_welcome', None, False),
        ("program name with a space", f'"{spaced_copy()}" no_welcome', None, False),
        ("other case", f'"{vexo}" No_Welcome', None, True),
        ("further characters", f'"{vexo}" no_welcome2', None, True),
        ("second argument", f'"{vexo}" hello no_welcome', None, True),
        ("a 300-character word", f'"{vexo}" {long_word}', None, True),
    ]
    failures = []
    for what, cmdline, show, box_expected in cases:
        try:
            run_case(e2e, cmdline, show, box_expected)
        except AssertionError as e:
            failures.append(f"{what} ({cmdline[-60:]!r}, show {show}): {e}")
        finally:
            e2e.end()  # a failed case leaves its program running
    assert not failures, "\n".join(failures)


def test_a_minimised_start_shows_the_screen_and_the_box_only_when_restored(e2e):
    app = e2e.launch(f'"{e2e.vexo}"', SW_SHOWMINNOACTIVE)
    e2e.wait_window(app.pid, "a window of the program", match=lambda w: w.visible and w.cls != "IME")
    time.sleep(NO_BOX_WAIT)
    shown = [w for w in e2e.visible_windows(app.pid) if w.cls != "IME"]
    assert len(shown) == 1 and shown[0].iconic, (
        f"expected only a minimised window, seen {[describe(w) + ('' if w.iconic else ' not iconic') for w in shown]}")
    icon = shown[0]
    left, top, right, _ = icon.rect
    grab = e2e.grab()
    for box in [(0, 0, SCREEN_W, top), (right, top, SCREEN_W, SCREEN_H)]:
        bad = grab.mismatch(BACKGROUND, box)
        assert bad is None, f"expected the desktop around the minimised window, seen {bad[2]} at {bad[:2]}"

    e2e.post(icon.hwnd, WM_SYSCOMMAND, SC_RESTORE)
    # The probe reads the rectangle and the state one after the other, so a
    # window caught mid-restore can be "not iconic" with the icon's rectangle.
    form = e2e.wait_window(app.pid, "the test screen restored",
                           match=lambda w: is_form(w) and w.visible and not w.iconic
                           and w.rect != icon.rect)
    box = wait_welcome_box(e2e, app, "after the restore")
    left, top, right, bottom = form.rect
    assert (left, top) == (192, 117) and not form.zoomed, f"expected the normal placement, seen {describe(form)}"
    assert 0 < right - left < SCREEN_W and 0 < bottom - top < SCREEN_H, f"covers the screen: {describe(form)}"
    # The desktop above the window, the black window below.
    e2e.wait_screen(BACKGROUND, box=(0, 0, SCREEN_W, top), what="the desktop above the normal window")
    e2e.wait_screen(BLACK, box=(left, top, right, min(bottom, box.rect[1])), what="the black normal window")

    e2e.key("Return")
    harness.wait_until("the welcome box to close on Enter",
                       lambda: (not welcome_boxes(e2e, app.pid), seen(e2e, app.pid)), 10)
    time.sleep(0.5)
    after = [w for w in e2e.windows(app.pid) if is_form(w)][0]
    assert after.rect == form.rect and not after.zoomed, f"stays in the normal placement: {describe(after)}"
    end_with_escape(e2e, app)
