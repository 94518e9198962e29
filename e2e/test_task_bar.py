"""The program's button on Wine's task bar, clicked as a person clicks it: a
minimised start brought up from it, then minimised and restored with it, and
what a right click on it offers. On the shell desktop, whose explorer draws
the bar at the bottom of the screen; the full screen covers the bar, so these
start minimised, where the screen leaves it free."""
import pytest

from harness import BACKGROUND, SHELL, SW_SHOWMINNOACTIVE, describe, wait_until
from helpers import (BLACK, GRAY, assert_no_box_for, assert_nothing_opens, centre, choose,
                     click_task_bar_button, form_now, form_window, screen_state, seen,
                     task_bar_button, wait_box, wait_box_gone, wait_exit, wait_focus,
                     welcome_boxes)

NORMAL_TOP_LEFT = (192, 117)  # the screen's own placement when it is not full screen


def state_now(e2e, app):
    return screen_state(form_now(e2e, app))


@pytest.mark.parametrize("desktop", [SHELL], ids=str, indirect=True)
def test_a_minimised_start_comes_up_and_goes_down_with_its_task_bar_button(e2e, desktop):
    app = e2e.launch(f'"{e2e.vexo}"', SW_SHOWMINNOACTIVE)
    task_bar_button(e2e, app, "a minimised start")
    assert form_now(e2e, app).text == "Velumen", \
        f"the button is labelled with the screen's title: {describe(form_now(e2e, app))}"
    assert_no_box_for(e2e, app, 1.5, "a minimised start")
    shown = [w for w in e2e.visible_windows(app.pid) if w.cls != "IME"]
    assert len(shown) == 1 and shown[0].iconic, \
        f"a minimised start: expected only the minimised screen, saw {[describe(w) for w in shown]}"
    icon = shown[0]
    bad = e2e.grab().mismatch(BACKGROUND, e2e.free_area())
    assert bad is None, f"a minimised start: expected the empty desktop, saw {bad[2]} at {bad[:2]}"
    e2e.screenshot("minimised-start")

    # Restored: the screen in its normal placement, then the welcome box.
    click_task_bar_button(e2e, app, "a minimised start")
    # The probe reads the rectangle and the state one after the other, so a
    # window caught mid-restore can be "not iconic" with the icon's rectangle.
    form = form_window(e2e, app, "the test screen restored from its button",
                       match=lambda w: w.visible and not w.iconic and w.rect != icon.rect)
    left, top, right, bottom = form.rect
    assert (left, top) == NORMAL_TOP_LEFT and not form.zoomed, \
        f"expected the normal placement at {NORMAL_TOP_LEFT}, saw {describe(form)}"
    assert right - left < e2e.width and bottom - top < e2e.height, f"covers the screen: {describe(form)}"
    box = wait_box(e2e, app, "the welcome box after the restore")
    assert len(welcome_boxes(e2e, app)) == 1, f"expected one welcome box, saw {seen(e2e, app)}"
    e2e.wait_screen(BACKGROUND, box=(0, 0, e2e.width, top), what="the desktop above the normal screen")
    e2e.wait_screen(BLACK, box=(left, top, right, min(bottom, box.rect[1])),
                    what="the black screen above the box")
    e2e.screenshot("restored-with-the-welcome-box")
    e2e.key("Return")
    wait_box_gone(e2e, app, "the welcome box to close on Enter")
    form = form_window(e2e, app, "the test screen active again", match=lambda w: w.foreground)
    assert form.rect == (left, top, right, bottom) and not form.zoomed, \
        f"stays in the normal placement: {describe(form)}"

    choose(e2e, app, "Gray", at=centre(form.rect))
    e2e.wait_screen(GRAY, box=form.rect, what="the gray screen")
    before = state_now(e2e, app)
    # Top-most like the full screen: the program's one window stays on top.
    assert before["foreground"] and before["enabled"] and before["topmost"], \
        f"before minimising, expected the screen in front, enabled and top-most: {before}"

    # A click on the button of the window in front minimises it ...
    click_task_bar_button(e2e, app, "the screen in front")
    form_window(e2e, app, "the test screen minimised from its button", match=lambda w: w.iconic)
    e2e.wait_screen(BACKGROUND, box=e2e.free_area(), what="the empty desktop, the screen minimised")
    task_bar_button(e2e, app, "the screen minimised")  # still there to bring it back
    e2e.screenshot("minimised-from-the-button")

    # ... and the next one restores it as it was, with no second welcome box.
    click_task_bar_button(e2e, app, "the minimised screen")
    wait_until("the test screen as it was before minimising", lambda: (
        (now := state_now(e2e, app)) == before, now), 10)
    e2e.wait_screen(GRAY, box=before["rect"], what="the gray screen, restored")
    e2e.wait_screen(BACKGROUND, box=(0, 0, e2e.width, before["rect"][1]),
                    what="the desktop above the restored screen")
    form = form_now(e2e, app)
    wait_focus(e2e, form, form.hwnd, "the focus on the restored screen")
    assert_no_box_for(e2e, app, 1.5, "after minimising and restoring from the button")
    e2e.screenshot("restored-from-the-button")

    # Wine's bar offers a window's system menu on a right click; the screen
    # has none, so nothing opens and nothing changes.
    x, y = centre(task_bar_button(e2e, app, "a right click").rect)
    e2e.right_press(x, y)
    e2e.right_release(x, y)
    assert_nothing_opens(e2e, app, "a right click on the task-bar button")
    assert state_now(e2e, app) == before, f"after a right click on the button: {state_now(e2e, app)}"
    # Ended from its menu, not with Esc: once a click on the bar has
    # minimised a screen whose menu was used, Wine leaves the X keyboard focus
    # on the bar's X window after the restore, and keys go to the bar though
    # Windows reports the screen focused. Keys after a restore from the bar:
    # test_web.py.
    choose(e2e, app, "Exit", at=centre(before["rect"]))
    code = wait_exit(app, "'Exit' on the menu")
    assert code == 0, f"exit code after 'Exit': expected 0, seen {code}"
