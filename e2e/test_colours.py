"""The four colour patterns and the white/green animation, as the screen
shows them."""
import statistics
from itertools import dropwhile

import pytest

from harness import SCREEN_H, SCREEN_W
from helpers import (BLACK, GRAY, GREEN, WHITE, assert_steady, changes, choose, click_entry,
                     end_with_escape, name, open_menu, sample, start, transitions, wait_no_menu)

CORNERS_AND_CENTRE = [(0, 0), (SCREEN_W - 1, 0), (0, SCREEN_H - 1), (SCREEN_W - 1, SCREEN_H - 1),
                      (SCREEN_W // 2, SCREEN_H // 2)]
FLIPS = 10
POINT = (700, 500)  # clear of the menu, which opens at (100, 100)


def test_each_colour_fills_the_whole_screen_with_its_exact_value(e2e):
    app = start(e2e)
    e2e.wait_screen(BLACK, what="the black screen at start")
    for entry, rgb in [("Gray", GRAY), ("Green", GREEN), ("White", WHITE), ("Black", BLACK)]:
        choose(e2e, app, entry)
        e2e.wait_screen(rgb, what=f"{name(rgb)} edge to edge after {entry!r}", timeout=10)
        inside = e2e.pixels(CORNERS_AND_CENTRE)
        assert inside == [rgb] * len(inside), (
            f"after {entry!r}, GetPixel expected {name(rgb)}, seen {list(map(name, inside))}")
    end_with_escape(e2e, app)


def flips(samples):
    """The colour changes after the first colour: [(time, rgb)]."""
    return transitions(samples)[1:]


@pytest.mark.timeout(180)
def test_animation_flips_white_and_green_every_half_second_until_a_colour_command(e2e):
    app = start(e2e)

    # Starts on white; its first change is to green; then about every 500 ms.
    choose(e2e, app, "White-Green animation")
    samples = sample(e2e, POINT, until=lambda s: len(flips(s)) > FLIPS, timeout=FLIPS * 0.5 + 8,
                     what=f"{FLIPS} flips of the animation")
    samples = list(dropwhile(lambda s: s[1] == BLACK, samples))  # black until the first repaint
    marks = transitions(samples)
    colours = [rgb for _, rgb in marks]
    assert colours[:2] == [WHITE, GREEN] and set(colours) == {WHITE, GREEN}, (
        f"expected white, then green and white in turn, seen {changes(samples)}")
    intervals = [1000 * (b - a) for (a, _), (b, _) in zip(marks[1:], marks[2:])]
    median = statistics.median(intervals)
    assert 475 <= median <= 525 and min(intervals) >= 250, (
        f"expected flips every 500 ms, seen intervals {[round(i) for i in intervals]} ms "
        f"(median {median:.0f})")

    # It goes on behind the open menu.
    opened = open_menu(e2e, app, 100, 100)
    behind = sample(e2e, POINT, seconds=1.6)
    assert len(flips(behind)) >= 2, f"expected the flips to go on behind the open menu, seen {changes(behind)}"

    # "Gray" stops it; then each colour command stops it once it runs again.
    click_entry(e2e, app, opened, "Gray")
    wait_no_menu(e2e, app, "a click on 'Gray'")
    e2e.wait_screen(GRAY, what="gray edge to edge after 'Gray'", timeout=10)
    assert_steady(e2e, GRAY, 2.0, "after 'Gray' stopped the animation", POINT, whole=True)
    for entry, rgb in [("White", WHITE), ("Green", GREEN), ("Black", BLACK)]:
        choose(e2e, app, "White-Green animation")
        sample(e2e, POINT, until=lambda s: s[-1][1] == GREEN, timeout=5,
               what="the animation, started again, to turn green")
        choose(e2e, app, entry)
        e2e.wait_screen(rgb, what=f"{name(rgb)} edge to edge after {entry!r}", timeout=10)
        assert_steady(e2e, rgb, 1.2, f"after {entry!r} during the animation", POINT, whole=True)
    end_with_escape(e2e, app)
