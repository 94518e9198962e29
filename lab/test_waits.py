"""The waits the scenarios build on: run with python3 -m pytest lab."""
import pytest

from lab.waits import WaitTimeout, wait_stable

ARROW, BLANK, HALF = (32, 32, "arrow"), (1, 1, ""), (32, 32, "half drawn")


def whole(image):
    return image[0] >= 8


@pytest.mark.parametrize("reads, expected", [
    ([ARROW, ARROW, ARROW], ARROW),
    ([BLANK, BLANK, ARROW, ARROW, ARROW], ARROW),     # the blank picture is never taken
    ([HALF, ARROW, ARROW, HALF, ARROW, ARROW, ARROW], ARROW),  # a run is broken by a change
    ([ARROW, BLANK, ARROW, ARROW, ARROW], ARROW),     # and by a read that is not plausible
    ([HALF, HALF, HALF, ARROW], HALF),                # steady is steady: the caller judges more
])
def test_the_first_value_that_holds_three_reads(reads, expected):
    seen = iter(reads)
    assert wait_stable("a pointer", lambda: next(seen), whole, timeout=5, interval=0) == expected


@pytest.mark.parametrize("reads", [
    [BLANK] * 200,                       # steady but never plausible
    [ARROW, HALF] * 100,                 # plausible but never steady
    [ARROW, ARROW, BLANK] * 70,          # broken just before the third
])
def test_no_steady_plausible_value_runs_out_naming_the_last(reads):
    seen = iter(reads)
    with pytest.raises(WaitTimeout, match="a pointer"):
        wait_stable("a pointer", lambda: next(seen), whole, timeout=0.05, interval=0.001)
