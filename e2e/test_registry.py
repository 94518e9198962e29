"""The presence marker under HKCU\\Software\\Korvanta\\Velumen.

The probe reads values with the W functions, so a string that the program
stores through RegSetValueExA comes back as UTF-16: the four ANSI bytes
6A 61 00 00 of "ja" are stored as "ja\\0\\0" in UTF-16, eight bytes."""
from helpers import BLACK, start
from harness import PROGRAM_KEY, REG_SZ


def utf16(text):
    return text.encode("utf-16-le")


# What every start leaves: the text, the appended zero and the text's own zero.
MARKER = {
    "prisoten": (REG_SZ, 8, utf16("ja\0\0")),
    "verzija": (REG_SZ, 10, utf16("1.3\0\0")),
}
SUB_KEY = PROGRAM_KEY + r"\Nastavitve"


def assert_values(e2e, key, expected, when):
    """The values under HKCU\\key are exactly these (type, size, stored bytes)."""
    found = e2e.reg(key)
    seen = None if found is None else {n: (v.type, v.size, v.data) for n, v in found.items()}
    assert seen == expected, f"{when}: HKCU\\{key}:\n expected {expected}\n      saw {seen}"


def run_once(e2e):
    app = start(e2e)
    e2e.wait_screen(BLACK, what="the black screen")
    e2e.key("Escape")
    assert app.wait(30) == 0


def test_first_start_creates_the_whole_key_path(e2e):
    e2e.regdel(r"Software\Korvanta")
    run_once(e2e)
    assert_values(e2e, r"Software\Korvanta", {}, "after the first start")
    assert_values(e2e, PROGRAM_KEY, MARKER, "after the first start")


def test_every_start_writes_the_marker_and_leaves_other_values_alone(e2e):
    # Put there by other software, and a marker from some other version.
    e2e.regset(PROGRAM_KEY, "drugo", "ostane")
    e2e.regset(PROGRAM_KEY, "prisoten", "ne")
    e2e.regset(PROGRAM_KEY, "verzija", "1.2")
    e2e.regset(SUB_KEY, "jezik", "sl")
    others = {"drugo": (REG_SZ, 14, utf16("ostane\0"))}
    inside = {"jezik": (REG_SZ, 6, utf16("sl\0"))}
    assert_values(e2e, SUB_KEY, inside, "before the start")

    run_once(e2e)
    assert_values(e2e, PROGRAM_KEY, {**MARKER, **others}, "after the first start")
    assert_values(e2e, SUB_KEY, inside, "after the first start")

    # The second start writes the same again: change the marker in between.
    e2e.regset(PROGRAM_KEY, "prisoten", "")
    e2e.regset(PROGRAM_KEY, "verzija", "0")
    run_once(e2e)
    assert_values(e2e, PROGRAM_KEY, {**MARKER, **others}, "after the second start")
    assert_values(e2e, SUB_KEY, inside, "after the second start")
