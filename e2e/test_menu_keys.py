"""The test screen's menu, opened by releases of the right button and of the
menu key, and the key releases that end the program."""
import pytest

from harness import SCREEN_H, SCREEN_W, describe
from helpers import (BLACK, GRAY, assert_nothing_opens, assert_steady, boxes, cancel_menu, choose,
                     click_entry, end_with_escape, menus, open_menu, outside, start, wait_exit,
                     wait_menu, wait_no_menu)


def close_by_clicking_elsewhere(e2e, app, menu):
    x, y = outside(e2e, menu.rect)
    e2e.click(x, y)
    wait_no_menu(e2e, app, f"a click at ({x}, {y})")
    e2e.wait_screen(BLACK, what="the black screen once the menu has closed", timeout=10)
    assert_nothing_opens(e2e, app, "the click that closed the menu", seconds=0.5)


def test_the_menu_opens_on_releases_only(e2e):
    app = start(e2e)

    # The press alone opens nothing; the release opens the menu where it happens.
    e2e.right_press(300, 200)
    try:
        assert_nothing_opens(e2e, app, "the right button's press")
    finally:
        e2e.right_release(420, 330)
    menu = wait_menu(e2e, app, "the right button's release at (420, 330)")
    assert menu.rect[:2] == (420, 330), f"expected the menu's top-left at the release point (420, 330): {describe(menu)}"
    size = (menu.rect[2] - menu.rect[0], menu.rect[3] - menu.rect[1])
    close_by_clicking_elsewhere(e2e, app, menu)

    # Each further release opens it again; near the bottom-right corner it
    # moves so that it shows whole, at its full size.
    for x, y in [(50, 60), (SCREEN_W - 4, SCREEN_H - 4), (700, 10)]:
        menu = open_menu(e2e, app, x, y)
        left, top, right, bottom = menu.rect
        assert (right - left, bottom - top) == size, f"released at ({x}, {y}): size {describe(menu)}, expected {size}"
        if x + size[0] <= SCREEN_W and y + size[1] <= SCREEN_H:
            assert (left, top) == (x, y), f"released at ({x}, {y}): {describe(menu)}"
        else:
            assert left >= 0 and top >= 0 and right <= SCREEN_W and bottom <= SCREEN_H, (
                f"released at ({x}, {y}), the menu is not wholly on the screen: {describe(menu)}")
        close_by_clicking_elsewhere(e2e, app, menu)

    # Keys: no other key opens it nor ends the program.
    e2e.mouse_move(500, 400)
    e2e.key_holding(["alt"], "Menu")
    assert_nothing_opens(e2e, app, "the menu key released with Alt held")
    e2e.key_holding(["shift"], "F10")
    assert_nothing_opens(e2e, app, "Shift+F10")
    for key in ["Return", "space", "a", "Left", "Up", "Right", "Down", "Tab"]:
        e2e.key(key)
        assert_nothing_opens(e2e, app, f"the release of {key}", seconds=0.4)
    assert_nothing_opens(e2e, app, "the keys released before")
    e2e.wait_screen(BLACK, what="the black screen after the other keys", timeout=5)

    # The menu key opens it at the window's (0, 0), wherever the pointer is.
    e2e.key("Menu")
    menu = wait_menu(e2e, app, "the menu key's release")
    assert menu.rect[:2] == (0, 0), f"expected the menu at (0, 0) on the menu key: {describe(menu)}"

    # Esc's press closes only the menu; its release then ends the program.
    e2e.keydown("Escape")
    try:
        wait_no_menu(e2e, app, "the press of Esc")
        assert_nothing_opens(e2e, app, "the press of Esc on the open menu", seconds=0.7)
    finally:
        e2e.keyup("Escape")
    code = wait_exit(app, "the release of Esc after it closed the menu")
    assert code == 0, f"exit code: expected 0, seen {code}"


@pytest.mark.parametrize("modifier", ["shift", "ctrl", "alt"])
def test_esc_ends_the_program_whatever_modifier_is_held(e2e, modifier):
    app = start(e2e)
    e2e.keydown(modifier)
    try:
        e2e.key("Escape")
        code = wait_exit(app, f"the release of Esc with {modifier} held; "
                              f"menus {[describe(w) for w in menus(e2e, app)]}")
    finally:
        e2e.keyup(modifier)
    assert code == 0, f"{modifier}: exit code {code}, expected 0"


def test_an_entry_chosen_with_the_right_button_runs_and_a_separator_runs_nothing(e2e):
    app = start(e2e)
    choose(e2e, app, "Gray", button=3)
    e2e.wait_screen(GRAY, what="gray edge to edge after 'Gray' chosen with the right button")

    for separator in (0, 1):
        menu = open_menu(e2e, app, 100, 100)
        click_entry(e2e, app, menu, ("separator", separator))
        # The menu stays open and nothing runs; closing it runs nothing either.
        assert_steady(e2e, GRAY, 0.8, f"after a click on separator {separator}", point=(700, 500))
        assert menus(e2e, app), f"a click on separator {separator} closed the menu"
        assert not boxes(e2e, app) and app.running(), f"separator {separator} ran a command"
        cancel_menu(e2e, app, menu)
        assert_steady(e2e, GRAY, 0.5, f"after the menu closed on separator {separator}",
                      point=(700, 500), whole=True)
    end_with_escape(e2e, app)
