#!/usr/bin/env python3
"""Write Tolvex's application icon: one 32x32 image, 8 bits per pixel, 256-entry palette.

The picture is a small monitor on a stand whose screen shows a two-headed diagonal
arrow (a resolution being changed). Everything is drawn here in code so the icon is
ours and the output is byte-for-byte the same on every run.

Usage: make_icon.py OUTPUT.ico
"""

import os
import struct
import sys

SIZE = 32

# Palette slots with a meaning in the picture. Slot 0 is black and also fills the
# transparent pixels (the AND mask hides them).
BLACK = 0
BEZEL_DARK = 1
BEZEL = 2
BEZEL_LIGHT = 3
ARROW = 4
ARROW_SHADE = 5
LED = 6
STAND = 7
STAND_LIGHT = 8
SCREEN_FIRST = 16  # 32 slots of the screen's blue gradient
SCREEN_STEPS = 32

FIXED_COLOURS = {
    BLACK: (0, 0, 0),
    BEZEL_DARK: (38, 42, 50),
    BEZEL: (72, 78, 90),
    BEZEL_LIGHT: (122, 130, 146),
    ARROW: (255, 255, 255),
    ARROW_SHADE: (150, 190, 235),
    LED: (70, 220, 110),
    STAND: (96, 102, 114),
    STAND_LIGHT: (150, 156, 168),
}


def build_palette():
    """256 RGB triples: the picture's colours, the screen gradient, then a grey ramp."""
    pal = [(0, 0, 0)] * 256
    for idx, rgb in FIXED_COLOURS.items():
        pal[idx] = rgb
    for step in range(SCREEN_STEPS):
        t = step / (SCREEN_STEPS - 1)
        pal[SCREEN_FIRST + step] = (
            round(20 + 30 * t),
            round(70 + 80 * t),
            round(150 + 90 * t),
        )
    # The slots the picture does not use hold a grey ramp, so the table is full and defined.
    first_free = SCREEN_FIRST + SCREEN_STEPS
    for slot in range(first_free, 256):
        grey = round(255 * (slot - first_free) / (255 - first_free))
        pal[slot] = (grey, grey, grey)
    return pal


def draw():
    """Return (pixels, opaque) as 32 rows of 32 palette indices / booleans, row 0 at the top."""
    px = [[BLACK] * SIZE for _ in range(SIZE)]
    opaque = [[False] * SIZE for _ in range(SIZE)]

    def put(x, y, colour):
        if 0 <= x < SIZE and 0 <= y < SIZE:
            px[y][x] = colour
            opaque[y][x] = True

    def rect(x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                put(x, y, colour)

    # Bezel: x 1..30, y 3..23, corners cut by one pixel for a rounded look.
    rect(1, 3, 30, 23, BEZEL)
    for x, y in ((1, 3), (30, 3), (1, 23), (30, 23)):
        px[y][x] = BLACK
        opaque[y][x] = False
    rect(2, 3, 29, 3, BEZEL_LIGHT)  # top edge catches the light
    rect(1, 4, 1, 22, BEZEL_LIGHT)
    rect(2, 23, 29, 23, BEZEL_DARK)  # bottom and right edges in shade
    rect(30, 4, 30, 22, BEZEL_DARK)

    # Screen: x 3..28, y 5..20, a vertical gradient from deep to light blue.
    top, bottom = 5, 20
    for y in range(top, bottom + 1):
        step = round((y - top) * (SCREEN_STEPS - 1) / (bottom - top))
        rect(3, y, 28, y, SCREEN_FIRST + step)

    # Power light on the bezel's chin.
    put(27, 22, LED)

    # Two-headed arrow from the lower left to the upper right of the screen, two pixels
    # thick, with a soft shade below it so it reads on the light part of the gradient.
    for i in range(11):
        x, y = 10 + i, 17 - i
        put(x, y + 1, ARROW_SHADE)
    for i in range(11):
        x, y = 10 + i, 17 - i
        put(x, y, ARROW)
        put(x + 1, y, ARROW)
    # Upper-right head: points at (22, 6).
    rect(17, 6, 22, 6, ARROW)
    rect(22, 6, 22, 11, ARROW)
    rect(18, 7, 21, 7, ARROW)
    rect(21, 7, 21, 10, ARROW)
    # Lower-left head: points at (8, 19).
    rect(8, 19, 13, 19, ARROW)
    rect(8, 14, 8, 19, ARROW)
    rect(9, 18, 12, 18, ARROW)
    rect(9, 15, 9, 18, ARROW)

    # Stand: a neck and a foot.
    rect(14, 24, 17, 26, STAND)
    rect(14, 24, 14, 26, STAND_LIGHT)
    rect(8, 27, 23, 28, STAND)
    rect(8, 27, 23, 27, STAND_LIGHT)
    return px, opaque


def encode_ico(pal, px, opaque):
    """One-image .ico: ICONDIR, ICONDIRENTRY, then a DIB (header, palette, XOR rows, AND rows)
    stored bottom-up, with the DIB height doubled to cover both masks as .ico requires."""
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0, 0, 0, 0, 0, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in pal)
    xor_rows = b"".join(bytes(px[y]) for y in range(SIZE - 1, -1, -1))
    and_rows = b""
    for y in range(SIZE - 1, -1, -1):
        bits = 0
        for x in range(SIZE):
            if not opaque[y][x]:
                bits |= 1 << (SIZE - 1 - x)
        and_rows += struct.pack(">I", bits)  # 32 pixels: exactly one 4-byte padded row
    image = header + palette + xor_rows + and_rows
    icondir = struct.pack("<HHH", 0, 1, 1)
    # Width, height, colour count (0 means 256), reserved, planes, bits per pixel, size, offset.
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
    return icondir + entry + image


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_icon.py OUTPUT.ico\n")
        return 2
    pal = build_palette()
    assert len(pal) == 256
    px, opaque = draw()
    data = encode_ico(pal, px, opaque)
    out = argv[1]
    tmp = out + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, out)  # never leave a half-written icon for the resource compiler
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
