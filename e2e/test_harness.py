"""Checks of the harness itself: what the scenarios of the program rely on."""
from harness import (BACKGROUND, PROBE, REG_BINARY, REG_DWORD, REG_SZ, SCREEN_H, SCREEN_W,
                     STARTUP_KEY, win_path)

STARTF_USESHOWWINDOW = 1
CORNERS = [(0, 0), (SCREEN_W - 1, 0), (0, SCREEN_H - 1), (SCREEN_W - 1, SCREEN_H - 1)]


def test_desktop_background_is_seen_by_x_and_inside_wine(e2e):
    assert e2e.grab().mismatch(BACKGROUND) is None
    assert e2e.pixels(CORNERS + [(SCREEN_W // 2, SCREEN_H // 2)]) == [BACKGROUND] * 5
    assert e2e.pixels([(SCREEN_W, 0)]) == [None]
    e2e.screenshot("desktop")


def test_launcher_gives_the_exact_command_line_and_show_request(e2e):
    probe = win_path(PROBE).encode()
    cases = [
        # command line, show request
        (b'"' + probe + b'" startup', None),
        (probe + b' startup  no_welcome ', 3),
        (b'"' + probe + b'" startup "no_welcome" no_"wel"come "" x', 7),
        (b'"' + probe + b'" startup \t\x01\x1f\x7f \x80\x81\xe8\xff "open', 0),
    ]
    for cmdline, show in cases:
        app = e2e.launch(cmdline, show)
        assert app.wait(60) == 0, cmdline
        report = e2e.reg(STARTUP_KEY)
        assert report["cmdline"].type == REG_BINARY
        assert report["cmdline"].data == cmdline
        assert report["flags"].type == report["show"].type == REG_DWORD
        flags = int.from_bytes(report["flags"].data, "little")
        assert bool(flags & STARTF_USESHOWWINDOW) == (show is not None), (cmdline, flags)
        if show is not None:
            assert int.from_bytes(report["show"].data, "little") == show, cmdline
        e2e.regdel(STARTUP_KEY)


def test_launcher_returns_the_exit_code(e2e):
    app = e2e.launch(f'"{win_path(PROBE)}" reg Software\\NoSuchKeyAnywhere')  # 2: missing key
    assert app.wait(60) == 2
    assert not app.running()


def test_registry_shows_stored_bytes_and_deletes_whole_trees(e2e):
    key = STARTUP_KEY + r"\scratch"
    assert e2e.reg(key) is None
    e2e.regset(key, "prisoten", "ja")
    e2e.regset(key, "empty", "")
    values = e2e.reg(key)
    assert sorted(values) == ["empty", "prisoten"]
    assert (values["prisoten"].type, values["prisoten"].size) == (REG_SZ, 6)
    assert values["prisoten"].data == "ja\0".encode("utf-16-le")
    assert values["empty"].data == b"\0\0"
    e2e.regdel(STARTUP_KEY)
    assert e2e.reg(key) is None and e2e.reg(STARTUP_KEY) is None
    e2e.regdel(STARTUP_KEY)  # deleting a missing key is no error
