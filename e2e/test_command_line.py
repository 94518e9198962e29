"""The command line's first argument and the start-up show request, through
the launcher's exact command lines (the minimised start, which a person
brings up from the task bar, is in test_task_bar.py)."""
import shutil
import time

import pytest

import harness
from harness import describe, win_path
from helpers import (BLACK, end_with_escape, form_now, full_screen, is_form, screen_state, seen,
                     wait_running, welcome_boxes)

NO_BOX_WAIT = 2.0  # after the test screen shows, how long a welcome box gets to appear


def spaced_copy():
    """Vexo.exe in a folder whose name holds a space."""
    folder = harness.OUT / "with space"
    folder.mkdir(exist_ok=True)
    copy = folder / "Vexo.exe"
    shutil.copy2(harness.VEXO, copy)
    return win_path(copy)


def wait_full_screen(e2e, app):
    form = e2e.wait_window(app.pid, "the full-screen test screen",
                           match=lambda w: is_form(w) and w.visible and w.rect == full_screen(e2e))
    assert form.zoomed, f"the test screen covers the screen but is not maximised: {describe(form)}"
    return form


def wait_box_or_quiet(e2e, app):
    """After the full-screen test screen shows, waits for the welcome box or
    for NO_BOX_WAIT seconds without one. Returns (form, boxes)."""
    form = wait_full_screen(e2e, app)
    deadline = time.monotonic() + NO_BOX_WAIT
    while True:
        boxes = welcome_boxes(e2e, app)
        if boxes or time.monotonic() >= deadline:
            return form, boxes
        time.sleep(0.1)


def wait_welcome_box(e2e, app, when):
    def poll():
        boxes = welcome_boxes(e2e, app)
        return len(boxes) == 1, boxes[0] if boxes else seen(e2e, app)
    return harness.wait_until(f"the welcome box {when}", poll, 10)


LONG_WORD = "x" * 290 + "no_welcome"  # 300 characters, past any 256-byte word buffer


@pytest.mark.parametrize("cmdline, show, box_expected", [
    ("{vexo} no_welcome", None, False),
    ('"{vexo}" "no_welcome"', 3, False),
    ('"{vexo}" no_"wel"come', 1, False),
    ('"{vexo}" "" no_welcome', None, False),
    ('"{spaced}" no_welcome', None, False),
    ('"{vexo}" No_Welcome', None, True),
    ('"{vexo}" no_welcome2', None, True),
    ('"{vexo}" hello no_welcome', None, True),
    ('"{vexo}" ' + LONG_WORD, None, True),
], ids=["plain", "quoted", "partly-quoted", "after-a-lone-pair-of-quotes", "name-with-a-space",
        "other-case", "further-characters", "second-argument", "300-character-word"])
def test_only_an_exact_first_argument_no_welcome_suppresses_the_welcome_box(
        e2e, cmdline, show, box_expected):
    cmdline = cmdline.format(vexo=e2e.vexo, spaced=spaced_copy() if "{spaced}" in cmdline else "")
    app = e2e.launch(cmdline, show)
    if box_expected:
        # Awaited, not given NO_BOX_WAIT: on a loaded machine the box can
        # take longer than that after the screen.
        wait_full_screen(e2e, app)
        wait_welcome_box(e2e, app, "with this command line")
        e2e.key("Return")
        harness.wait_until("the welcome box to close on Enter",
                           lambda: (not welcome_boxes(e2e, app), seen(e2e, app)), 10)
    else:
        _, boxes = wait_box_or_quiet(e2e, app)
        assert not boxes, f"expected no welcome box, seen {[describe(w) for w in boxes]}"
        e2e.wait_screen(BLACK, what="the black screen with no box", timeout=10)
        assert not welcome_boxes(e2e, app), f"a late welcome box: {seen(e2e, app)}"
    assert app.running(), f"the program ended by itself, exit code {app.wait(5)}"
    end_with_escape(e2e, app)


@pytest.mark.parametrize("show", [None, 1, 2, 3, 6, 10])
def test_show_requests_other_than_7_start_full_screen(e2e, show):
    """Only 7 (minimised, no activation) has an effect; 3 asks for what the
    screen has anyway, and every other request is ignored."""
    app = e2e.launch(f'"{e2e.vexo}" no_welcome', show)
    wait_running(e2e, app, f"show request {show}")
    e2e.wait_screen(BLACK, what=f"the black screen edge to edge with show request {show}")
    form = form_now(e2e, app)
    assert not form.iconic and form.visible, f"show request {show}: {screen_state(form)}"
    end_with_escape(e2e, app)
