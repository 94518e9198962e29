"""Other screens: the full screen and the welcome and how-to boxes at 800x600,
1024x768 and 1920x1080, at 96 and at 144 DPI. Each desktop is brought up
once, in the shared prefix, and its scenarios run together."""
import pytest

from harness import wait_until
from helpers import (BLACK, HOW_TO, WELCOME, assert_information_box, choose, end_with_escape,
                     mismatch_outside, start, text_child, wait_box, wait_box_gone, wait_running)
from harness import Desktop

DESKTOPS = [Desktop(w, h, dpi) for dpi in (96, 144) for w, h in ((800, 600), (1024, 768), (1920, 1080))]


def assert_text_fits(e2e, box, what):
    """The text control is exactly the text laid out in the message-box font
    at half the screen's width."""
    shown = text_child(box)
    fit = e2e.textfit(shown.hwnd, e2e.width // 2)
    assert fit.client == fit.need, (
        f"{what}: laid out at half the {e2e.width}-pixel screen, the text needs {fit.need} "
        f"({fit.need[1] // fit.line} lines of {fit.line} in {fit.font!r}); its control is {fit.client}")


@pytest.mark.parametrize("desktop", DESKTOPS, ids=str, indirect=True)
def test_full_screen_and_boxes_on_this_screen(e2e, desktop):
    metrics = e2e.metrics()
    assert (metrics.screen, metrics.dpi) == ([desktop.width, desktop.height], desktop.dpi), \
        f"the desktop was meant to be {desktop}, Windows programs see {metrics}"
    tag = f"{desktop.width}x{desktop.height}-{desktop.dpi}dpi"
    app = start(e2e, args="")
    box = wait_box(e2e, app, "the welcome box")
    assert_information_box(e2e, box, WELCOME)
    assert_text_fits(e2e, box, "welcome box")
    # Wine puts a large window's first fill on the X screen a moment after
    # the box may already show: wait for it, bounded.
    wait_until("black around the welcome box",
               lambda: ((bad := mismatch_outside(e2e, e2e.grab(), BLACK, box.rect)) is None, bad),
               5, interval=0.1)
    e2e.screenshot(f"welcome-{tag}")
    e2e.key("Return")
    wait_box_gone(e2e, app, "the welcome box to close")
    wait_running(e2e, app, "after the welcome box")
    e2e.wait_screen(BLACK, what=f"black edge to edge on {desktop}")

    choose(e2e, app, "How to use the program")
    box = wait_box(e2e, app, "the how-to box")
    assert_information_box(e2e, box, HOW_TO)
    assert_text_fits(e2e, box, "how-to box")
    e2e.screenshot(f"how-to-{tag}")
    e2e.key("Return")
    wait_box_gone(e2e, app, "the how-to box to close")
    end_with_escape(e2e, app)

