"""Start-up and shutdown of Vexo.exe."""
import time

from harness import BACKGROUND, PROGRAM_KEY, REG_SZ, SCREEN_H, SCREEN_W, WS_POPUP

BLACK = (0, 0, 0)
WS_CAPTION, WS_THICKFRAME = 0x00C00000, 0x00040000


def test_starts_black_edge_to_edge_and_ends_on_the_release_of_esc(e2e):
    app = e2e.launch(f'"{e2e.vexo}" no_welcome')
    e2e.wait_screen(BLACK, what="a black screen edge to edge")
    shown = e2e.visible_windows(app.pid)
    assert len(shown) == 1, shown  # no_welcome: no box
    form = shown[0]
    assert (form.text, form.rect) == ("Velumen", (0, 0, SCREEN_W, SCREEN_H))
    assert form.zoomed and form.topmost and form.foreground and form.enabled
    assert form.style & WS_POPUP and not form.style & (WS_CAPTION | WS_THICKFRAME)
    e2e.screenshot("black")

    e2e.keydown("Escape")
    time.sleep(2)  # a program that acts on the press has ended by now
    assert app.running(), "ended on the press of Esc, not its release"
    assert e2e.grab().mismatch(BLACK) is None
    e2e.keyup("Escape")
    assert app.wait(30) == 0
    e2e.wait_screen(BACKGROUND, what="the desktop once the program has ended")
    assert e2e.windows(app.pid) == []

    # Written at start, and left in place by the end.
    values = e2e.reg(PROGRAM_KEY)
    assert {name: (v.type, v.data) for name, v in values.items()} == {
        "prisoten": (REG_SZ, "ja\0\0".encode("utf-16-le")),
        "verzija": (REG_SZ, "1.3\0\0".encode("utf-16-le")),
    }
