"""What the program does for a test session beyond drawing the colour: the
display kept awake while the screen is seen (Wine's warn+ntdll channel shows
each execution state), the screen hidden from the compositor until its first
fill (fixme+dwmapi shows the first DwmSetWindowAttribute of a process: this
Wine prints that fixme once, so the uncloak is the host tests'), the screen
saver's
system command refused while the screen is seen, and the screen covered
again after a change of the display mode."""
import re
import time

import pytest

from harness import OUT, SW_SHOWMINNOACTIVE, wait_until
from constants import SC_RESTORE, WM_SYSCOMMAND
from helpers import (BLACK, GRAY, choose, end_with_escape, form_now, form_window, full_screen,
                     start, wait_colour)
from test_web import LOOK, FakeBrowser

ES_HOLD, ES_NOTHING = 0x80000002, 0x80000000
DWMWA_CLOAK = 0xD
SC_SCREENSAVE = 0xF140
STATE = re.compile(rb"NtSetThreadExecutionState \((0x[0-9a-fA-F]+)")
CLOAK = re.compile(rb"DwmSetWindowAttribute \(([0-9a-fA-F]+), ([0-9a-fA-F]+),")


class Trace:
    """Vexo.exe's standard error, with the two channels, in a file of its own."""

    def __init__(self, e2e):
        self.e2e = e2e
        self.path = OUT / f"{e2e.scenario}-trace.log"

    def start(self, args=" no_welcome", show=None, wait=True):
        saved_env, saved_log = self.e2e.env, self.e2e.log
        self.file = open(self.path, "wb")
        self.e2e.env = dict(saved_env, WINEDEBUG="warn+ntdll,fixme+dwmapi")
        self.e2e.log = self.file
        try:
            if wait:
                return start(self.e2e, args, show)
            return self.e2e.launch(f'"{self.e2e.vexo}"{args}', show)
        finally:
            self.e2e.env, self.e2e.log = saved_env, saved_log
            self.file.close()  # the program holds its own copy

    def states(self):
        return [int(m.group(1), 16) for m in STATE.finditer(self.path.read_bytes())]

    def cloaks(self):
        """The windows DwmSetWindowAttribute was called for with DWMWA_CLOAK."""
        return [int(m.group(1), 16) for m in CLOAK.finditer(self.path.read_bytes())
                if int(m.group(2), 16) == DWMWA_CLOAK]

    def cloaked_before_held(self):
        """The cloak came before the display was first held, which the
        program asks for just before it shows the screen."""
        text = self.path.read_bytes()
        cloak, state = CLOAK.search(text), STATE.search(text)
        return cloak is not None and state is not None and cloak.start() < state.start()

    def wait_states(self, expected, what):
        wait_until(f"{what}: execution states {[hex(s) for s in expected]}",
                   lambda: (self.states() == expected, [hex(s) for s in self.states()]), 10)


def test_display_held_while_seen_and_let_go_when_minimised_and_at_the_end(e2e):
    trace = Trace(e2e)
    app = trace.start()
    trace.wait_states([ES_HOLD], "shown")
    with FakeBrowser(e2e) as browser:
        choose(e2e, app, LOOK)
        browser.wait_addresses(1, "the web command")
    form_window(e2e, app, "the screen minimised by the web command", match=lambda w: w.iconic)
    trace.wait_states([ES_HOLD, ES_NOTHING], "minimised by the web command")
    # The screen saver is the system's while the screen is minimised; the
    # refusal is seen on the shown screen below.
    e2e.post(form_now(e2e, app).hwnd, WM_SYSCOMMAND, SC_RESTORE)
    form_window(e2e, app, "the screen restored", match=lambda w: w.visible and not w.iconic)
    trace.wait_states([ES_HOLD, ES_NOTHING, ES_HOLD], "restored")
    assert e2e.send(form_now(e2e, app).hwnd, WM_SYSCOMMAND, SC_SCREENSAVE) == 0
    end_with_escape(e2e, app)
    assert trace.states() == [ES_HOLD, ES_NOTHING, ES_HOLD, ES_NOTHING]


@pytest.mark.parametrize("args", [" no_welcome", ""], ids=["no welcome", "welcome box"])
def test_cloaked_before_the_first_showing_then_shown_black(e2e, args):
    trace = Trace(e2e)
    app = trace.start(args, wait=False)
    form = form_window(e2e, app, "the test screen shown", match=lambda w: w.visible)
    # Uncloaked: under the welcome box too, the screen shows its black.
    e2e.wait_screen(BLACK, what="the black screen", box=(0, 0, 40, 40))
    assert trace.cloaks() == [form.hwnd], trace.path
    assert trace.cloaked_before_held(), trace.path
    if not args:
        e2e.key("Return")  # the welcome box
    end_with_escape(e2e, app)


def test_minimised_start_holds_nothing_and_is_uncloaked_after_the_first_restore(e2e):
    trace = Trace(e2e)
    app = trace.start(" no_welcome", show=SW_SHOWMINNOACTIVE, wait=False)
    form = form_window(e2e, app, "the minimised test screen", match=lambda w: w.iconic)
    time.sleep(1)
    assert trace.states() == [], "a minimised start holds the display"
    assert trace.cloaks() == [form.hwnd], "cloaked once before it is first shown"
    e2e.post(form.hwnd, WM_SYSCOMMAND, SC_RESTORE)
    form_window(e2e, app, "the restored screen", match=lambda w: w.visible and not w.iconic)
    trace.wait_states([ES_HOLD], "restored")
    end_with_escape(e2e, app)


def test_screen_covers_a_smaller_mode_and_a_larger_one_again(e2e):
    # The virtual desktop offers no mode larger than itself: smaller first.
    app = start(e2e)
    choose(e2e, app, "Gray")
    wait_colour(e2e, GRAY, "gray before the mode change")
    home = (0, 0, e2e.width, e2e.height)
    try:
        for width, height in ((800, 600), (640, 480), home[2:]):
            _, lines = e2e.probe("mode", width, height)
            monitor = tuple(lines[0]["monitor"]) if lines and "monitor" in lines[0] else None
            if monitor != (0, 0, width, height):
                pytest.fail(f"the probe's mode change to {width}x{height} gave {lines}")
            form = form_window(e2e, app, f"the screen over {width}x{height}",
                               match=lambda w: w.rect == monitor)
            assert form.topmost and form.foreground and not form.iconic, describe_form(form)
            corners = [(0, 0), (width - 1, height - 1), (width // 2, height // 2)]
            wait_until(f"gray over {width}x{height}",
                       lambda: (e2e.pixels(corners) == [GRAY] * 3, e2e.pixels(corners)), 10)
    finally:
        e2e.probe("mode", home[2], home[3])
    end_with_escape(e2e, app)
    assert full_screen(e2e) == home


def describe_form(form):
    return f"rect {form.rect}, top-most {form.topmost}, foreground {form.foreground}"
