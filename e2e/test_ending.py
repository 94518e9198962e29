"""How the program ends besides Esc: the end of the Windows session and a
close request to the test screen, also as the close command of its task-bar
entry, posted here: Wine's task bar offers no close for a window without a
system menu (see test_task_bar.py for what its button does)."""
import pytest

from harness import PROGRAM_KEY, REG_SZ, SC_CLOSE, WM_CLOSE, WM_SYSCOMMAND
from helpers import (BLACK, WS_CAPTION, WS_EX_APPWINDOW, WS_MINIMIZEBOX, WS_SYSMENU, WS_THICKFRAME,
                     assert_animating, assert_nothing_opens, choose, form_now, open_menu, start,
                     wait_box, wait_exit)

MARKER = {"prisoten": "ja\0\0".encode("utf-16-le"), "verzija": "1.3\0\0".encode("utf-16-le")}


def assert_ended_with_the_marker_left(e2e, app, what):
    code = wait_exit(app, what, timeout=30)
    assert code == 0, f"{what}: exit code {code}, expected 0"
    values = e2e.reg(PROGRAM_KEY)
    left = None if values is None else {n: v.data for n, v in values.items() if v.type == REG_SZ}
    assert left == MARKER, f"{what}: the values written at start: expected {MARKER}, saw {left}"


def idle(e2e, app):
    pass


def welcome_box_open(e2e, app):
    wait_box(e2e, app, "the welcome box")


def menu_open(e2e, app):
    open_menu(e2e, app, 300, 200)


def animation_running(e2e, app):
    choose(e2e, app, "White-Green animation")
    assert_animating(e2e, "before the session ends")


@pytest.mark.parametrize("state", [idle, welcome_box_open, menu_open, animation_running],
                         ids=lambda f: f.__name__)
def test_the_end_of_the_windows_session_ends_the_program(e2e, state):
    app = start(e2e, args="" if state is welcome_box_open else " no_welcome")
    state(e2e, app)
    e2e.end_session()
    assert_ended_with_the_marker_left(e2e, app, f"the end of the session, {state.__name__}")


@pytest.mark.parametrize("message, wparam", [(WM_CLOSE, 0), (WM_SYSCOMMAND, SC_CLOSE)],
                         ids=["WM_CLOSE", "task-bar-close"])
def test_a_close_request_ends_the_program(e2e, message, wparam):
    app = start(e2e)
    e2e.wait_screen(BLACK, what="the black screen")
    e2e.post(form_now(e2e, app).hwnd, message, wparam)
    assert_ended_with_the_marker_left(e2e, app, f"message {message:#x} {wparam:#x} to the test screen")


def test_the_task_bar_entry_is_the_screen_with_a_minimise_box_and_nothing_visible(e2e):
    app = start(e2e)
    form = form_now(e2e, app)
    assert form.exstyle & WS_EX_APPWINDOW, f"no task-bar entry: exstyle {form.exstyle:#x}"
    assert form.style & WS_MINIMIZEBOX, \
        f"style {form.style:#x}: no WS_MINIMIZEBOX, so the entry offers no minimise"
    assert not form.style & (WS_SYSMENU | WS_CAPTION | WS_THICKFRAME), \
        f"style {form.style:#x}: a system menu, caption or frame would show"
    e2e.wait_screen(BLACK, what="the black screen, no frame or caption drawn")
    e2e.key_holding(["alt"], "space")
    assert_nothing_opens(e2e, app, "Alt+Space")
