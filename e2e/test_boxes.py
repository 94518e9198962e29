"""The information boxes: welcome, about and how-to."""
import time

import pytest

import harness
from harness import SC_MINIMIZE, SC_RESTORE, WM_SYSCOMMAND
from helpers import (BLACK, CR, HOW_TO, WELCOME, assert_animating,
                     assert_information_box, assert_no_box_for, assert_screen_behind_box,
                     assert_steady, boxes, choose, click_entry, end_with_escape, form_now,
                     form_window, mismatch_outside, name, ok_button, open_menu, press_ok, start,
                     text_child, wait_box, wait_box_gone, wait_flip, wait_focus, wait_running)

ABOUT = ("Velumen version 1.3" + CR + "Copyright (C) Korvanta" + CR +
         "      [www.korvanta.example]" + CR + "http://www.korvanta.example/eng/free/" + CR +
         "http://www.korvanta.example/forum/" + CR + CR + "This program is freeware.")

NOTEPAD = r"C:\windows\notepad.exe"
VK_SPACE, VK_ESCAPE = 0x20, 0x1B
# A point of the test screen that another program's window, which opens at
# the top left, leaves uncovered even when it comes in front.
SCREEN_CORNER = (1000, 740)


def test_welcome_box_at_start_in_front_of_the_disabled_screen(e2e):
    app = start(e2e, args="")
    box = wait_box(e2e, app, "the welcome box")
    assert_information_box(e2e, box, WELCOME)
    assert_screen_behind_box(e2e, form_now(e2e, app), box, "welcome box open")
    bad = mismatch_outside(e2e, e2e.grab(), BLACK, box.rect)
    assert bad is None, f"welcome box open: expected black around the box, saw {bad}"
    e2e.screenshot("welcome")

    e2e.key("Return")
    wait_box_gone(e2e, app, "the welcome box to close on Enter")
    wait_running(e2e, app, "after the welcome box closed")
    e2e.wait_screen(BLACK, what="the black screen without the box")
    assert app.running(), "Enter on the welcome box ended the program"


def test_welcome_box_never_comes_back(e2e):
    app = start(e2e, args="")
    wait_box(e2e, app, "the welcome box")
    e2e.key("Return")
    wait_box_gone(e2e, app, "the welcome box to close on Enter")
    assert_no_box_for(e2e, app, 1.5, "after the welcome box closed")

    # Another program takes the foreground; a click on the test screen takes it back.
    other = e2e.launch(NOTEPAD)
    e2e.wait_window(other.pid, "another program in the foreground", match=lambda w: w.foreground,
                    timeout=60)
    assert not form_now(e2e, app).foreground, "the test screen kept the foreground"
    e2e.click(*SCREEN_CORNER)
    form_window(e2e, app, "the test screen in the foreground again", match=lambda w: w.foreground)
    assert_no_box_for(e2e, app, 1.5, "after switching to another program and back")

    form = form_now(e2e, app)
    e2e.post(form.hwnd, WM_SYSCOMMAND, SC_MINIMIZE)
    form_window(e2e, app, "the test screen minimised", match=lambda w: w.iconic)
    e2e.post(form.hwnd, WM_SYSCOMMAND, SC_RESTORE)
    form_window(e2e, app, "the test screen restored, maximised",
                match=lambda w: w.zoomed and not w.iconic and w.visible)
    assert_no_box_for(e2e, app, 1.5, "after minimising and restoring")

    # The keyboard still reaches the test screen (through SendInput: after
    # notepad, this Wine may leave the X focus on notepad's window; see
    # e2e/README.md, "Keys and the X focus").
    form_window(e2e, app, "the test screen in the foreground", match=lambda w: w.foreground)
    e2e.type_keys(VK_ESCAPE)
    assert app.wait(30) == 0


BOXES = [
    # entry, text, how it is dismissed
    ("About Velumen", ABOUT, "Enter"),
    ("How to use the program", HOW_TO, "a click on OK"),
]


def test_about_and_how_to_boxes_show_their_texts_and_leave_the_program_running(e2e):
    app = start(e2e)
    for entry, text, dismiss in BOXES:
        choose(e2e, app, entry)
        box = wait_box(e2e, app, f"the box of {entry!r}")
        assert_information_box(e2e, box, text)
        assert_screen_behind_box(e2e, form_now(e2e, app), box, f"{entry!r} box open")
        e2e.screenshot(entry.split()[0].lower())
        if dismiss == "Enter":
            e2e.key("Return")
        else:
            press_ok(e2e, box)
        wait_box_gone(e2e, app, f"the box of {entry!r} to close on {dismiss}")
        wait_running(e2e, app, f"after the box of {entry!r} closed on {dismiss}")
        assert app.running(), f"{dismiss} on the box of {entry!r} ended the program"
    e2e.wait_screen(BLACK, what="the black screen after the boxes")
    e2e.key("Escape")  # the keyboard is the test screen's again
    assert app.wait(30) == 0


@pytest.mark.parametrize("opening", ["welcome", "About Velumen"])
def test_esc_closes_a_box_on_the_press_and_its_release_ends_the_program(e2e, opening):
    app = start(e2e, args="" if opening == "welcome" else " no_welcome")
    if opening != "welcome":
        choose(e2e, app, opening)
    wait_box(e2e, app, f"the {opening} box")
    e2e.keydown("Escape")
    try:
        wait_box_gone(e2e, app, f"the {opening} box to close on the press of Esc")
        time.sleep(1)  # a program that acts on the press would have ended by now
        assert app.running(), f"{opening} box: the press of Esc ended the program"
    finally:
        e2e.keyup("Escape")
    assert app.wait(30) == 0, f"{opening} box: exit code after the release of Esc"


def test_about_during_the_animation_stops_it_at_the_colour_of_that_moment(e2e):
    app = start(e2e)
    choose(e2e, app, "White-Green animation")
    assert_animating(e2e, "after 'White-Green animation'")

    # Choose About just after a change of colour, so that no tick can fall
    # between the choice and the box: the colour is the one of that moment.
    menu = open_menu(e2e, app, 100, 100)
    colour = wait_flip(e2e)
    click_entry(e2e, app, menu, "About Velumen")
    box = wait_box(e2e, app, "the about box")
    # The area the menu covered is repainted a moment after it closes.
    harness.wait_until(f"{name(colour)} around the about box once the menu is repainted",
                       lambda: ((bad := mismatch_outside(e2e, e2e.grab(), colour, box.rect)) is None,
                                bad), 5)
    assert_steady(e2e, colour, 1.5, "behind the about box")

    e2e.key("Return")
    wait_box_gone(e2e, app)
    assert_steady(e2e, colour, 1.5, "after the about box closed")
    e2e.wait_screen(colour, what=f"{name(colour)} edge to edge after the about box")


def assert_box_stays(e2e, app, what, seconds=0.7):
    """For `seconds` the box stays open and the program runs."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        assert [w for w in boxes(e2e, app) if w.visible], f"{what} closed the box"
        assert app.running(), f"{what} ended the program"
        time.sleep(0.1)


@pytest.mark.parametrize("modifier", ["shift", "ctrl", "alt"])
def test_enter_esc_and_break_with_a_modifier_held_leave_the_box_open(e2e, modifier):
    app = start(e2e, args="")
    wait_box(e2e, app, "the welcome box")
    for key in ("Return", "Escape", "Pause"):  # Ctrl+Pause is Ctrl+Break
        e2e.key_holding([modifier], key)
        assert_box_stays(e2e, app, f"{modifier}+{key}")
        wait_box(e2e, app, f"the welcome box still active after {modifier}+{key}")
    # Plain Enter still presses OK, on the press.
    e2e.keydown("Return")
    try:
        wait_box_gone(e2e, app, "the welcome box to close on the press of Enter")
    finally:
        e2e.keyup("Return")
    wait_running(e2e, app, "after the box closed")
    end_with_escape(e2e, app)


def test_space_presses_ok(e2e):
    app = start(e2e, args="")
    box = wait_box(e2e, app, "the welcome box")
    wait_focus(e2e, box, ok_button(box).hwnd, "the focus on OK")
    e2e.key("space")
    wait_box_gone(e2e, app, "the welcome box to close on Space")
    wait_running(e2e, app, "after Space pressed OK")


@pytest.mark.parametrize("back", ["click", "SetForegroundWindow"])
def test_ok_keeps_the_focus_after_another_program_was_active(e2e, back):
    app = start(e2e, args="")
    box = wait_box(e2e, app, "the welcome box")
    other = e2e.launch(NOTEPAD)
    cover = e2e.wait_window(other.pid, "another program in the foreground",
                            match=lambda w: w.foreground, timeout=60).rect
    if back == "click":
        # A point of the box's client area beside OK that notepad leaves free.
        # Not the title bar: a press there starts the system's move loop,
        # which eats every key but Enter and Esc until it sees the release.
        left, _, right, _ = box.rect
        ok_left, ok_top, ok_right, ok_bottom = ok_button(box).rect
        y = (ok_top + ok_bottom) // 2
        free = [(x, y) for x in [*range(ok_right + 8, right - 10, 10), *range(left + 10, ok_left - 8, 10)]
                if not (cover[0] <= x < cover[2] and cover[1] <= y < cover[3])]
        assert free, f"notepad {cover} covers the box's OK row {box.rect}"
        e2e.click(*free[0])
    else:
        e2e.foreground(box.hwnd)
    wait_box(e2e, app, f"the welcome box active again after a {back}")
    wait_focus(e2e, box, ok_button(box).hwnd, "the focus back on OK")
    # Space goes in through SendInput, as a keyboard's would: to the focus of
    # the foreground thread. An X key event would go to the X focus, which
    # this Wine moves with XSetInputFocus stamped with the thread's last
    # message time; the X server ignores the call when that time is older
    # than notepad's focus change, and the key is then lost on the way.
    e2e.type_keys(VK_SPACE)
    wait_box_gone(e2e, app, "the welcome box to close on Space")
    wait_running(e2e, app, "after Space pressed OK")


def test_a_screen_reader_reads_the_text_and_the_ok_button(e2e):
    app = start(e2e, args="")
    box = wait_box(e2e, app, "the welcome box")
    # Wine's generic proxy calls every window a client (10), where Windows'
    # own proxies for static and button controls say text and push button.
    ROLE_SYSTEM_CLIENT, ROLE_SYSTEM_STATICTEXT, ROLE_SYSTEM_PUSHBUTTON = 0x0A, 0x29, 0x2B
    answers = {}
    for what, child in (("text", text_child(box)), ("OK", ok_button(box))):
        rc, answer = e2e.accessible(child.hwnd)
        answers[what] = (rc, answer)
    print(f"accessibility answers: {answers}")
    assert answers["text"][0] == 0 and answers["OK"][0] == 0, f"no accessible object: {answers}"
    text, ok = answers["text"][1], answers["OK"][1]
    assert text["name"] == WELCOME and text["role"] in (ROLE_SYSTEM_STATICTEXT, ROLE_SYSTEM_CLIENT), \
        f"the text: {text}"
    assert ok["name"] == "OK" and ok["role"] in (ROLE_SYSTEM_PUSHBUTTON, ROLE_SYSTEM_CLIENT), \
        f"the button: {ok}"
