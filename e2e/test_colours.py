"""The four colour patterns and the white/green animation, as the screen
shows them."""
import statistics
from itertools import dropwhile

from harness import SCREEN_H, SCREEN_W
from screen_helpers import (BLACK, GRAY, GREEN, WHITE, Menu, assert_steady, changes, end_with_escape,
                            name_of, sample, start, transitions)

CORNERS_AND_CENTRE = [(0, 0), (SCREEN_W - 1, 0), (0, SCREEN_H - 1), (SCREEN_W - 1, SCREEN_H - 1),
                      (SCREEN_W // 2, SCREEN_H // 2)]
FLIPS = 10
POINT = (700, 500)  # clear of the menu, which opens at (100, 100)


def test_each_colour_fills_the_whole_screen_with_its_exact_value(e2e):
    app, _ = start(e2e)
    menu = Menu(e2e, app)
    for entry, rgb in [("Gray", GRAY), ("Green", GREEN), ("White", WHITE), ("Black", BLACK)]:
        menu.choose(entry)
        e2e.wait_screen(rgb, what=f"{name_of(rgb)} edge to edge after {entry!r}", timeout=10)
        inside = e2e.pixels(CORNERS_AND_CENTRE)
        assert inside == [rgb] * len(inside), (
            f"after {entry!r}, GetPixel expected {name_of(rgb)}, seen {list(map(name_of, inside))}")
    end_with_escape(e2e, app)


def flips(samples):
    """The colour changes after the first colour: [(time, rgb)]."""
    return transitions(samples)[1:]


def test_animation_flips_white_and_green_every_half_second_until_a_colour_command(e2e):
    app, _ = start(e2e)
    menu = Menu(e2e, app)

    # Starts on white; its first change is to green; then about every 500 ms.
    menu.choose("White-Green animation")
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
    opened = menu.open()
    behind = sample(e2e, POINT, seconds=1.6)
    assert len(flips(behind)) >= 2, f"expected the flips to go on behind the open menu, seen {changes(behind)}"

    # "Gray" stops it; then each colour command stops it once it runs again.
    menu.choose("Gray", opened)
    e2e.wait_screen(GRAY, what="gray edge to edge after 'Gray'", timeout=10)
    assert_steady(e2e, GRAY, 2.0, "after 'Gray' stopped the animation")
    for entry, rgb in [("White", WHITE), ("Green", GREEN), ("Black", BLACK)]:
        menu.choose("White-Green animation")
        sample(e2e, POINT, until=lambda s: s[-1][1] == GREEN, timeout=5,
               what="the animation, started again, to turn green")
        menu.choose(entry)
        e2e.wait_screen(rgb, what=f"{name_of(rgb)} edge to edge after {entry!r}", timeout=10)
        assert_steady(e2e, rgb, 1.2, f"after {entry!r} during the animation")
    end_with_escape(e2e, app)
