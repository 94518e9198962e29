"""Long use: many menus, commands, animations and key releases in one run.

Vexo.exe runs under WINEDEBUG=+gdi, whose trace gives the process's live GDI
object count with every allocation and release ("... 75/65536"): the count
once the program is idle must be the same before and after."""
import os
import random
import re
import time

import pytest

from helpers import (BLACK, GRAY, GREEN, WHITE, assert_animating, assert_steady, cancel_menu,
                     choose, click_entry, colour_at, form_now, name, open_menu, start, wait_colour,
                     wait_no_menu)
from harness import OUT, SCREEN_H, SCREEN_W

# Under the GDI trace a menu opened and cancelled takes 0.17-0.25 s here, a
# command a little more: each long phase does as many as fit in its time,
# no fewer than the first number, no more than the second.
# E2E_LONG_USE_SECONDS=300 makes each phase longer by hand.
PHASE_SECONDS = float(os.environ.get("E2E_LONG_USE_SECONDS", "12"))
MENUS_CANCELLED = (PHASE_SECONDS, 40, 5000)  # seconds, at least, at most
COLOUR_COMMANDS = (PHASE_SECONDS, 40, 10000)
MENUS_OVER_ANIMATION = 30
KEY_RELEASES = 200

COLOURS = {"Black": BLACK, "Gray": GRAY, "Green": GREEN, "White": WHITE}
# Plain keys only: no Esc, which ends the program, no menu key, and no Alt,
# whose Alt+F4 would close the window.
KEYS = ([chr(c) for c in range(ord("a"), ord("z") + 1)] + [str(d) for d in range(10)] +
        [f"F{n}" for n in (1, 2, 3, 5, 6, 7, 8, 9, 11, 12)] +
        ["Return", "space", "Tab", "BackSpace", "Delete", "Insert", "Home", "End", "Prior",
         "Next", "Left", "Right", "Up", "Down", "shift+a", "ctrl+c", "shift+Tab"])

COUNT = re.compile(r"^([0-9a-f]{4}):trace:gdi:\w+ (?:allocated|freed) \S+ \S+ (\d+)/65536")


class GdiTrace:
    """Vexo.exe's standard error, the +gdi trace, in a file of its own."""

    def __init__(self, e2e):
        self.e2e = e2e
        self.path = OUT / f"{e2e.scenario}-gdi.log"

    def launch(self):
        saved_env, saved_log = self.e2e.env, self.e2e.log
        self.file = open(self.path, "wb")
        self.e2e.env, self.e2e.log = dict(saved_env, WINEDEBUG="+gdi"), self.file
        try:
            app = start(self.e2e)
        finally:
            self.e2e.env, self.e2e.log = saved_env, saved_log
            self.file.close()  # the program holds its own copy
        self.tid = form_now(self.e2e, app).tid
        return app

    def live_objects(self):
        """The program's live GDI object count, from its last trace line."""
        for line in reversed(self.path.read_bytes().split(b"\n")):
            m = COUNT.match(line.decode("latin-1"))
            if m and int(m.group(1), 16) == self.tid:
                return int(m.group(2))
        raise AssertionError(f"no GDI count of thread {self.tid:#x} in {self.path}")

    def settled(self):
        """The count once it has stayed the same for a second."""
        time.sleep(1)
        count = self.live_objects()
        for _ in range(10):
            time.sleep(1)
            again = self.live_objects()
            if again == count:
                return count
            count = again
        raise AssertionError(f"the GDI count did not settle; last {count} in {self.path}")


def rounds(seconds, at_least, at_most):
    """0, 1, 2... for as long as the time lasts, within the bounds."""
    end = time.monotonic() + seconds
    for i in range(at_most):
        if i >= at_least and time.monotonic() >= end:
            return
        yield i


def spread(i):
    """Release points spread over the whole screen, edges and corners included."""
    cols, rows = 16, 12
    k = i % (cols * rows)
    x = (k % cols) * (SCREEN_W - 1) // (cols - 1)
    y = (k // cols) * (SCREEN_H - 1) // (rows - 1)
    return x, y


@pytest.mark.timeout(int(200 + 3 * PHASE_SECONDS))
def test_long_use_leaves_the_program_answering_and_leak_free(e2e):
    rng = random.Random(1234)
    trace = GdiTrace(e2e)
    app = trace.launch()
    e2e.wait_screen(BLACK, what="the black screen")
    # A menu and a command first, so that the objects the system makes for
    # the menu once exist before the count is taken.
    menu = open_menu(e2e, app, 100, 100)
    cancel_menu(e2e, app, menu)
    choose(e2e, app, "Gray")
    wait_colour(e2e, GRAY, "the first command")
    before = trace.settled()
    started = time.monotonic()

    cancelled = 0
    for i in rounds(*MENUS_CANCELLED):
        cancel_menu(e2e, app, open_menu(e2e, app, *spread(i)))
        cancelled += 1
    assert colour_at(e2e) == GRAY, f"cancelled menus changed the colour to {name(colour_at(e2e))}"

    last, commands = GRAY, 0
    for i in rounds(*COLOUR_COMMANDS):
        entry = rng.choice([e for e, c in COLOURS.items() if c != last])
        at = (rng.randrange(0, SCREEN_W - 300), rng.randrange(0, SCREEN_H - 220))
        menu = open_menu(e2e, app, *at)
        click_entry(e2e, app, menu, entry)
        wait_no_menu(e2e, app, f"a click on {entry!r}")
        last = COLOURS[entry]
        wait_colour(e2e, last, f"command {i + 1}, {entry!r}", x=SCREEN_W - 5, y=SCREEN_H - 5)
        commands += 1

    choose(e2e, app, "White-Green animation")
    for i in range(MENUS_OVER_ANIMATION):
        menu = open_menu(e2e, app, *spread(i * 7))
        if i % 10 == 0:
            covers_top_left = menu.rect[0] <= 5 and menu.rect[1] <= 5
            free = (SCREEN_W - 5, SCREEN_H - 5) if covers_top_left else (5, 5)
            assert_animating(e2e, f"behind open menu {i + 1}", *free)
        cancel_menu(e2e, app, menu)
    assert_animating(e2e, "after the menus over the animation")

    for _ in range(KEY_RELEASES // 20):
        e2e.key(*(rng.choice(KEYS) for _ in range(20)))
    assert app.running(), "a key release other than Esc ended the program"
    assert_animating(e2e, "after the key releases")

    choose(e2e, app, "Green")
    took = time.monotonic() - started
    print(f"    {cancelled} menus cancelled, {commands} colour commands, "
          f"{MENUS_OVER_ANIMATION} menus over the animation, {KEY_RELEASES} key releases: "
          f"{took:.0f} s")

    # Still answering, with the last colour chosen.
    assert_steady(e2e, GREEN, 1.2, "after the last command, 'Green'")
    e2e.wait_screen(GREEN, what="green edge to edge after the last command")
    cancel_menu(e2e, app, open_menu(e2e, app, 500, 400))
    after = trace.settled()
    print(f"    live GDI objects: {before} before, {after} after")
    assert after == before, \
        f"live GDI objects: {before} before the long use, {after} after (see {trace.path})"
    e2e.key("Escape")
    assert app.wait(30) == 0
    trace.path.unlink()
