"""Two monitors of different sizes, the other one right or left of the
primary (Xorg's dummy driver with two outputs; no virtual desktop, which is
one monitor): the screen covers the primary and the welcome box is centred
there; once the screen has been moved to the other monitor, the menu key
opens the menu at its corner there and the how-to box is centred on it.
(A menu at a monitor's edge is pinned on the host: without a window manager
this Wine does not keep a window's size, so no window reaches that edge.)"""
import pytest

from harness import Desktop, wait_until
from helpers import (form_window, menus, start, text_child, wait_box, wait_box_gone,
                     wait_exit, wait_menu)

VK_RETURN, VK_ESCAPE, VK_DOWN, VK_APPS = 0x0D, 0x1B, 0x28, 0x5D
LAYOUTS = [Desktop(1024, 768, second=(1280, 1024, "right")),
           Desktop(1024, 768, second=(800, 600, "left"))]


def assert_box_on(e2e, box, monitor, what):
    """Centred on the monitor by integer division, its text laid out at
    half the monitor's width."""
    left, top, right, bottom = box.rect
    m_left, m_top, m_right, m_bottom = monitor
    width, height = right - left, bottom - top
    assert (left, top) == (m_left + (m_right - m_left - width) // 2,
                           m_top + (m_bottom - m_top - height) // 2), \
        f"{what}: the box {box.rect} is not centred on the monitor {monitor}"
    fit = e2e.textfit(text_child(box).hwnd, (m_right - m_left) // 2)
    assert fit.client == fit.need, \
        f"{what}: text control {fit.client}, the text laid out at half of {monitor} needs {fit.need}"


@pytest.mark.parametrize("desktop", LAYOUTS, ids=str, indirect=True)
def test_the_screen_and_the_boxes_on_two_monitors(e2e, desktop):
    monitors = e2e.monitors()
    primaries = [m.rect for m in monitors if m.primary]
    others = [m.rect for m in monitors if not m.primary]
    assert len(monitors) == 2 and primaries == [(0, 0, 1024, 768)], \
        f"expected the primary at (0, 0, 1024, 768) and one other, Windows programs see {monitors}"
    primary, other = primaries[0], others[0]
    w2, h2, side = desktop.second
    assert (other[2] - other[0], other[3] - other[1]) == (w2, h2) and \
        (other[0] == 1024 if side == "right" else other[2] == 0), \
        f"the second monitor is at {other}, expected {w2}x{h2} {side} of the primary"

    app = start(e2e, args="")
    form = form_window(e2e, app, "the test screen on the primary",
                       match=lambda w: w.visible and w.zoomed and w.rect == primary)
    welcome = wait_box(e2e, app, "the welcome box")
    assert_box_on(e2e, welcome, primary, "the welcome box")
    e2e.type_keys(VK_RETURN)
    wait_box_gone(e2e, app, "the welcome box to close")

    # Moved to the other monitor, as Windows+Shift+Arrow moves a window.
    # Without a window manager this Wine soon gives the window back the size
    # of its X window (its normal size), so only its corner is relied on:
    # the window stays on that monitor.
    e2e.move(form.hwnd, other)
    form_window(e2e, app, "the test screen on the other monitor",
                match=lambda w: w.rect[:2] == other[:2])

    e2e.type_keys(VK_APPS)  # at the screen's top-left corner
    menu = wait_menu(e2e, app, "the menu key")
    assert (menu.rect[0], menu.rect[1]) == (other[0], other[1]), \
        f"the menu key opened the menu at {menu.rect}, not at the screen's corner {other[:2]}"
    e2e.type_keys(*[VK_DOWN] * 7, VK_RETURN)  # the 7th entry that can be chosen: how-to
    wait_until("the menu to close", lambda: (not menus(e2e, app), menus(e2e, app)), 10)
    how_to = wait_box(e2e, app, "the how-to box on the other monitor")
    assert_box_on(e2e, how_to, other, "the how-to box with the screen on the other monitor")
    e2e.type_keys(VK_RETURN)
    wait_box_gone(e2e, app, "the how-to box to close")

    e2e.type_keys(VK_ESCAPE)
    code = wait_exit(app, "Esc released", timeout=30)
    assert code == 0, f"exit code {code} after Esc"
