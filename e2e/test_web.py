"""The two web commands: the home page through the shell, then a minimised
screen, brought back with a click on its task-bar button (on the shell
desktop, whose explorer draws the bar)."""
import time

import pytest

from helpers import (GRAY, assert_animating, assert_steady, choose, click_entry,
                     click_task_bar_button, form_now, form_window, name, open_menu, start,
                     wait_flip, wait_running)
from harness import OUT, SHELL, wait_until

WM_NULL = 0x0000

HOME_PAGE = "http://www.korvanta.example/eng/"
BROWSER_KEY = r"Software\Wine\WineBrowser"
LOOK, DOWNLOAD = "Look for the new version on the internet", "Download more free Tavik's utilities"


class FakeBrowser:
    """A shell script registered as Wine's browser: winebrowser runs it with
    the address, and it appends its arguments, one a line, to a file."""

    def __init__(self, e2e):
        self.e2e = e2e
        self.script = OUT / f"{e2e.scenario}-browser.sh"
        self.record = OUT / f"{e2e.scenario}-browser.txt"
        self.record.unlink(missing_ok=True)
        self.script.write_text(f"#!/bin/sh\nprintf '%s\\n' \"$@\" >> '{self.record}'\n")
        self.script.chmod(0o755)
        self.saved = e2e.reg(BROWSER_KEY)

    def __enter__(self):
        self.e2e.regset(BROWSER_KEY, "Browsers", str(self.script))
        return self

    def __exit__(self, *_):
        self.script.unlink(missing_ok=True)
        # Leave the prefix as it was for the scenarios that follow.
        if self.saved is None:
            self.e2e.regdel(BROWSER_KEY)
        elif "Browsers" in self.saved:
            self.e2e.regset(BROWSER_KEY, "Browsers",
                            self.saved["Browsers"].data.decode("utf-16-le").rstrip("\0"))

    def addresses(self):
        return self.record.read_text().splitlines() if self.record.exists() else []

    def wait_addresses(self, count, what):
        """Waits until the browser has been asked `count` times in all."""
        return wait_until(f"{what}: the browser asked for {count} address(es)",
                          lambda: (len(self.addresses()) >= count, self.addresses()), 30)


def assert_minimised_without_a_window(e2e, app, what):
    form = form_window(e2e, app, f"{what}: the test screen minimised", match=lambda w: w.iconic)
    # Answered only from a message loop: the command's handler has then run
    # on, and a box it opened would exist. Watched for a while after that, so
    # that one shown a moment later, or shown and gone, is seen too.
    e2e.send(form.hwnd, WM_NULL)
    deadline = time.monotonic() + 1
    while True:
        shown = [(w.cls, w.text) for w in e2e.visible_windows(app.pid)
                 if w.cls != "VelumenForm"]
        assert not shown, f"{what}: expected no window but the minimised test screen, saw {shown}"
        assert form_now(e2e, app).iconic, f"{what}: the test screen did not stay minimised"
        if time.monotonic() >= deadline:
            return
        time.sleep(0.1)


def restore(e2e, app, what):
    # The full screen covered the bar; minimised, it leaves it free to click.
    click_task_bar_button(e2e, app, what)
    form_window(e2e, app, f"{what}: the test screen restored",
                match=lambda w: w.visible and not w.iconic and w.zoomed)
    return wait_running(e2e, app, f"{what}: restored")


@pytest.mark.parametrize("desktop", [SHELL], ids=str, indirect=True)
def test_web_commands_open_the_home_page_and_minimise_the_screen(e2e, desktop):
    with FakeBrowser(e2e) as browser:
        app = start(e2e)
        choose(e2e, app, "Gray")
        e2e.wait_screen(GRAY, what="the gray screen")

        choose(e2e, app, LOOK)
        seen = browser.wait_addresses(1, LOOK)
        assert seen == [HOME_PAGE], \
            f"{LOOK!r}: expected the browser asked for {HOME_PAGE}, saw {seen}"
        assert_minimised_without_a_window(e2e, app, LOOK)
        restore(e2e, app, f"after {LOOK!r}")
        e2e.wait_screen(GRAY, what=f"the gray screen after {LOOK!r} and restoring")

        # Chosen during the animation, just after a change of colour: the
        # screen keeps that colour, and the animation stays stopped.
        choose(e2e, app, "White-Green animation")
        assert_animating(e2e, "after 'White-Green animation'")
        menu = open_menu(e2e, app, 100, 100)
        colour = wait_flip(e2e)
        click_entry(e2e, app, menu, DOWNLOAD)
        seen = browser.wait_addresses(2, DOWNLOAD)
        assert seen == [HOME_PAGE] * 2, \
            f"{DOWNLOAD!r}: expected the browser asked for {HOME_PAGE} again, saw {seen}"
        assert_minimised_without_a_window(e2e, app, DOWNLOAD)
        restore(e2e, app, f"after {DOWNLOAD!r}")
        e2e.wait_screen(colour, what=f"{name(colour)}, the colour when {DOWNLOAD!r} was chosen")
        assert_steady(e2e, colour, 1.5, f"after {DOWNLOAD!r} stopped the animation")

        assert browser.addresses() == [HOME_PAGE] * 2, \
            f"expected the browser asked twice in all, saw {browser.addresses()}"
        e2e.key("Escape")
        assert app.wait(30) == 0
