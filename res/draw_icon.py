#!/usr/bin/python3
"""Draws the program icon and writes it next to this script as vexo.ico.

One 32 x 32 image in 16 colours (4 bits per pixel, the standard Windows
palette) with an AND mask, so everything outside the monitor is transparent.
Run it again after changing the picture; vexo.ico is kept in the repository
so that the Windows build needs no Python.
"""

import os
import struct
import sys

SIZE = 32

# The standard 16-colour Windows palette, in palette order, as (R, G, B).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, DARK_GRAY, LIGHT_GRAY, RED, LIME, YELLOW, BLUE, WHITE = 0, 8, 7, 9, 10, 11, 12, 15

CLEAR = None  # transparent: left out of the monitor by the AND mask


def draw():
    """Returns the picture as SIZE rows of palette indices (or CLEAR), top row first."""
    px = [[CLEAR] * SIZE for _ in range(SIZE)]

    def rect(x0, y0, x1, y1, c):  # inclusive corners
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                px[y][x] = c

    def bevel(x0, y0, x1, y1):
        """Light gray box lit from the top left, like a classic 3-D control."""
        rect(x0, y0, x1, y1, LIGHT_GRAY)
        rect(x0, y0, x1, y0, WHITE)
        rect(x0, y0, x0, y1, WHITE)
        rect(x0, y1, x1, y1, DARK_GRAY)
        rect(x1, y0, x1, y1, DARK_GRAY)

    # Cabinet, screen, and the stand under it.
    bevel(1, 1, 30, 23)
    rect(3, 3, 28, 17, DARK_GRAY)  # sunken frame round the glass
    rect(4, 4, 28, 17, WHITE)
    rect(4, 4, 27, 16, BLACK)
    bevel(12, 24, 19, 26)
    bevel(6, 27, 25, 29)

    # Test pictures on the screen: red disc, yellow triangle, blue bar.
    cx, cy, r = 8, 10, 3.6
    for y in range(6, 15):
        for x in range(4, 14):
            if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                px[y][x] = RED
    apex_y, base_y, left, right = 6, 14, 13, 21
    for y in range(apex_y, base_y + 1):
        half = (right - left) / 2 * (y - apex_y + 1) / (base_y - apex_y + 1)
        mid = (left + right) / 2
        for x in range(left, right + 1):
            if abs(x - mid) <= half:
                px[y][x] = YELLOW
    rect(23, 6, 25, 14, BLUE)

    # Lights on the bezel below the screen: two off, one on.
    for x0, c in ((19, BLACK), (22, BLACK), (25, LIME)):
        rect(x0, 20, x0 + 1, 21, c)
    return px


def encode_ico(px):
    """Packs the picture as a one-image .ico: 4-bit DIB with its AND mask."""
    xor_rows, and_rows = [], []
    for row in reversed(px):  # a DIB stores the bottom row first
        idx = [0 if c is CLEAR else c for c in row]
        xor_rows.append(bytes((idx[i] << 4) | idx[i + 1] for i in range(0, SIZE, 2)))
        bits = 0
        for c in row:
            bits = (bits << 1) | (c is CLEAR)
        and_rows.append(bits.to_bytes(SIZE // 8, "big"))
    xor, mask = b"".join(xor_rows), b"".join(and_rows)  # 16- and 4-byte rows: already 32-bit aligned

    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 4, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    image = header + palette + xor + mask

    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return icondir + entry + image


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "vexo.ico")
    if len(sys.argv) > 1:
        out = sys.argv[1]
    with open(out, "wb") as f:
        f.write(encode_ico(draw()))
    print("wrote", out)


if __name__ == "__main__":
    main()
