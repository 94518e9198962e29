"""Where the test screen's menu draws its entries, measured from the screen:
the scenarios and the benchmark both use it, so no row is written down."""
from .facts import ENTRIES, SEPARATOR_AFTER


def caption_rows(pixel, rect):
    """The rows that hold dark caption pixels form one band per entry; a
    separator lies midway between the captions around it. pixel(x, y) gives
    (r, g, b); rect is the menu's (left, top, right, bottom). Returns {entry or
    ("separator", 0 or 1): centre row below the menu's top edge}, or None
    while the menu is not drawn whole."""
    left, top, right, bottom = rect
    dark = [y for y in range(top + 3, bottom - 3)
            if any(sum(pixel(x, y)) < 300 for x in range(left + 4, right - 4))]
    bands = []
    for y in dark:
        if bands and y - bands[-1][1] <= 3:
            bands[-1][1] = y
        else:
            bands.append([y, y])
    if len(bands) != len(ENTRIES):
        return None
    rows = {entry: (a + b) // 2 - top for entry, (a, b) in zip(ENTRIES, bands)}
    for i, entry in enumerate(SEPARATOR_AFTER):
        rows[("separator", i)] = (rows[entry] + rows[ENTRIES[ENTRIES.index(entry) + 1]]) // 2
    return rows


def menu_rect(pixel, left, top, behind, width, height):
    """The rectangle of a menu opened with its top-left corner at (left, top)
    over a screen of the colour `behind`: it ends where that colour shows again."""
    right, bottom = left + 1, top + 1
    while right < width and pixel(right, top + 5) != behind:
        right += 1
    while bottom < height and pixel(left + 5, bottom) != behind:
        bottom += 1
    return left, top, right, bottom
