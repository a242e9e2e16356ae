#!/usr/bin/env python3
"""Draws the tool bars' button images (bitmap 446) and writes them as a 24-bit BMP file next to
this script: one strip of twenty 16 x 15 images side by side. Light grey (192, 192, 192) is the
background of every image; the tool bar shows the button's face there, so no image uses that
grey for itself. The .bmp file is kept in the repository; the build only reads it, so this
script is needed only to change a picture.

    python3 resources/make_toolbar.py [--preview PATH.png]

--preview also writes the images enlarged eight times as a PNG, ten to a row, to look at.
"""

import os
import struct
import sys
import zlib

WIDTH, HEIGHT = 16, 15

# The colours the pictures are drawn with; "." is the transparent background.
COLOURS = {
    ".": (192, 192, 192),
    "k": (0, 0, 0),
    "w": (255, 255, 255),
    "g": (128, 128, 128),
    "s": (160, 160, 168),  # steel of the scissors' blades
    "r": (220, 0, 0),
    "R": (128, 0, 0),
    "n": (0, 0, 128),
    "b": (0, 96, 255),
    "c": (150, 210, 255),  # sky
    "y": (255, 224, 0),
    "o": (255, 128, 0),
    "G": (0, 128, 0),
    "l": (96, 200, 64),  # grass
    "B": (176, 112, 48),  # the clipboard's board
}

# Each image is 15 rows of at most 16 characters, one per pixel; short rows are filled with
# background on the right.
IMAGES = [
    # 0 Insert Image: a framed landscape, hills under a sun.
    [
        "",
        "kkkkkkkkkkkkkkkk",
        "kcccccccccccccck",
        "kccccccccccyycck",
        "kcccccccccyyyyck",
        "kccccGccccyyyyck",
        "kcccGGGccccyycck",
        "kccGGGGGccGcccck",
        "kcGGGGGGGGGGccck",
        "kGGGGGGGGGGGGcck",
        "kGGGGGGGGGGGGGck",
        "kllllllllllllllk",
        "kllllllllllllllk",
        "kkkkkkkkkkkkkkkk",
    ],
    # 1 Insert Formula: a square root of x.
    [
        "",
        "",
        ".......kkkkkkkkk",
        ".......k",
        "......kk",
        "......k..b...b",
        "......k...b.b",
        ".kk..kk....b",
        "..k..k....b.b",
        "..kk.k...b...b",
        "...kkk",
        "...kk",
        "....k",
    ],
    # 2 Insert Edit Frame: a fill-in box with a text cursor and the blank's underline.
    [
        "",
        "",
        "",
        "kkkkkkkkkkkkkkkk",
        "kwwwwwwwwwwwwwwk",
        "kwwkkkwwwwwwwwwk",
        "kwwwkwwwwwwwwwwk",
        "kwwwkwwwwwwwwwwk",
        "kwwwkwwwwwwwwwwk",
        "kwwkkkwnnnnnnnwk",
        "kwwwwwwwwwwwwwwk",
        "kkkkkkkkkkkkkkkk",
    ],
    # 3 Insert Judgement: a tick and a cross.
    [
        "",
        "",
        "......GG",
        "......GG",
        ".....GG.rr....rr",
        ".....GG..rr..rr",
        "GG..GG....rrrr",
        ".GG.GG.....rr",
        "..GGG.....rrrr",
        "..GGG....rr..rr",
        "...G....rr....rr",
    ],
    # 4 Insert Choices: three options with round marks, the middle one chosen.
    [
        "",
        ".kk",
        "kwwk.nnnnnnnnn",
        "kwwk.nnnnnnnnn",
        ".kk",
        "",
        ".kk",
        "kbbk.nnnnnnnnn",
        "kbbk.nnnnnnnnn",
        ".kk",
        "",
        ".kk",
        "kwwk.nnnnnnnnn",
        "kwwk.nnnnnnnnn",
        ".kk",
    ],
    # 5 Insert Page Total Score: a page with a sum sign.
    [
        ".kkkkkkkkk",
        ".kwwwwwwwkk",
        ".kwwwwwwwkwk",
        ".kwrrrrrrkkkk",
        ".kwrrwwwwrwwk",
        ".kwwrrwwwwwwk",
        ".kwwwrrwwwwwk",
        ".kwwwwrrwwwwk",
        ".kwwwrrwwwwwk",
        ".kwwrrwwwwwwk",
        ".kwrrwwwwrwwk",
        ".kwrrrrrrrwwk",
        ".kwwwwwwwwwwk",
        ".kkkkkkkkkkkk",
    ],
    # 6 Insert Total Score: a sum sign alone.
    [
        "",
        "..rrrrrrrrrrr",
        "..rrrrrrrrrrr",
        "..rrr......rr",
        "...rrr.......",
        "....rrr",
        ".....rrr",
        "......rrr",
        ".....rrr",
        "....rrr",
        "...rrr.......",
        "..rrr......rr",
        "..rrrrrrrrrrr",
        "..rrrrrrrrrrr",
    ],
    # 7 Insert Page Score: a page with a star.
    [
        ".kkkkkkkkk",
        ".kwwwwwwwkk",
        ".kwwwwwwwkwk",
        ".kwwwwwwwkkkk",
        ".kwwwwwowwwwk",
        ".kwwwwwowwwwk",
        ".kwwwwooowwwk",
        ".kwoooooooowk",
        ".kwwoooooowwk",
        ".kwwwoooowwwk",
        ".kwwwowwowwwk",
        ".kwwowwwwowwk",
        ".kwwwwwwwwwwk",
        ".kkkkkkkkkkkk",
    ],
    # 8 Insert Frame: a frame of two columns of text.
    [
        "",
        "kkkkkkkkkkkkkkkk",
        "kwwwwwwwgwwwwwwk",
        "kwnnnnnwgwnnnnnk",
        "kwwwwwwwgwwwwwwk",
        "kwnnnnnwgwnnnnnk",
        "kwwwwwwwgwwwwwwk",
        "kwnnnnnwgwnnnnnk",
        "kwwwwwwwgwwwwwwk",
        "kwnnnnnwgwnnnnnk",
        "kwwwwwwwgwwwwwwk",
        "kwnnnnnwgwnnnwwk",
        "kwwwwwwwgwwwwwwk",
        "kkkkkkkkkkkkkkkk",
    ],
    # 9 Insert Hot Link: two links of a chain, one through the other.
    [
        "",
        "",
        "",
        "",
        ".nnnnnnnnbbbbbb",
        "nnnnnnnnnnbbbbbb",
        "nn....bbnn....bb",
        "nn....bbnn....bb",
        "nn....bbnn....bb",
        "nnnnnnbbbbbbbbbb",
        ".nnnnnnbbbbbbbb",
    ],
    # 10 Superscript: x with a raised 2.
    [
        "",
        "...........bb",
        "..........b..b",
        "............b",
        "...........b",
        "..........bbbb",
        "kk....kk",
        ".kk..kk",
        "..kkkk",
        "...kk",
        "..kkkk",
        ".kk..kk",
        "kk....kk",
    ],
    # 11 Subscript: x with a lowered 2.
    [
        "",
        "",
        "kk....kk",
        ".kk..kk",
        "..kkkk",
        "...kk",
        "..kkkk",
        ".kk..kk",
        "kk....kk",
        "...........bb",
        "..........b..b",
        "............b",
        "...........b",
        "..........bbbb",
    ],
    # 12 Cut: open scissors, blades up, handles down.
    [
        "...s.......s",
        "...ss.....ss",
        "....s.....s",
        "....ss...ss",
        ".....s...s",
        ".....ss.ss",
        "......sks",
        ".......k",
        "......RkR",
        ".....R...R",
        "..RRR.....RRR",
        ".R..R.....R..R",
        ".R..R.....R..R",
        "..RR.......RR",
    ],
    # 13 Copy: two pages, one over the other.
    [
        "kkkkkkkk",
        "kwwwwwwk",
        "kwnnnnwk",
        "kwwwwwwk",
        "kwnnnnwk",
        "kwwwwkkkkkkkkk",
        "kwnnnkwwwwwwwk",
        "kwwwwkwnnnnnwk",
        "kwnnnkwwwwwwwk",
        "kkkkkkwnnnnnwk",
        ".....kwwwwwwwk",
        ".....kwnnnnnwk",
        ".....kwwwwwwwk",
        ".....kkkkkkkkk",
    ],
    # 14 Paste: a clipboard with a page on it.
    [
        ".....kkk",
        "..kkkgggkkk",
        ".kBBgggggBBk",
        ".kBBkkkkkBBk",
        ".kBBBBBBBBBk",
        ".kBBBBkkkkkkkkk",
        ".kBBBBkwwwwwwwk",
        ".kBBBBkwnnnnnwk",
        ".kBBBBkwwwwwwwk",
        ".kBBBBkwnnnnnwk",
        ".kBBBBkwwwwwwwk",
        ".kBBBBkwnnnnnwk",
        ".kBBBBkwwwwwwwk",
        "..kkkkkkkkkkkkk",
    ],
    # 15 Bold: a bold B.
    [
        "",
        "",
        "...kkkkkkkk",
        "....kkk...kk",
        "....kkk...kk",
        "....kkk...kk",
        "....kkkkkkk",
        "....kkk....kk",
        "....kkk....kk",
        "....kkk....kk",
        "....kkk....kk",
        "....kkk...kk",
        "...kkkkkkkk",
    ],
    # 16 Italic: a slanted I.
    [
        "",
        "",
        ".......kkkkk",
        "........kk",
        "........kk",
        ".......kk",
        ".......kk",
        "......kk",
        "......kk",
        ".....kk",
        ".....kk",
        "....kk",
        "..kkkkk",
    ],
    # 17 Underline: an underlined U.
    [
        "",
        "..kkkk..kkkk",
        "...kk....kk",
        "...kk....kk",
        "...kk....kk",
        "...kk....kk",
        "...kk....kk",
        "...kk....kk",
        "...kk....kk",
        "....kk..kk",
        ".....kkkk",
        "",
        "..kkkkkkkkkk",
    ],
    # 18 Insert Text: a page of text with an arrow bringing it in.
    [
        "....kkkkkkkk",
        "....kwwwwwwkk",
        "....kwnnnnwkwk",
        "....kwwwwwwkkkk",
        "....kwnnnnnnnwk",
        "....kwwwwwwwwwk",
        "....kGwwwwwwwwk",
        "....kGGwwnnnnwk",
        "GGGGGGGGwwwwwwk",
        "GGGGGGGGGnnnnwk",
        "GGGGGGGGwwwwwwk",
        "....kGGwwwwwwwk",
        "....kGwwwnnnnwk",
        "....kwwwwwwwwwk",
        "....kkkkkkkkkkk",
    ],
    # 19 Insert Symbol: an omega.
    [
        "",
        "",
        ".....kkkkk",
        "...kk.....kk",
        "..kk.......kk",
        "..kk.......kk",
        "..kk.......kk",
        "..kk.......kk",
        "...kk.....kk",
        "....kk...kk",
        ".....k...k",
        "..kkkk...kkkk",
    ],
]


def pixels():
    """The strip as rows of (red, green, blue), top row first."""
    assert len(IMAGES) == 20
    rows = [[COLOURS["."]] * (WIDTH * len(IMAGES)) for _ in range(HEIGHT)]
    for n, image in enumerate(IMAGES):
        assert len(image) <= HEIGHT, n
        for y, line in enumerate(image):
            assert len(line) <= WIDTH, (n, y)
            for x, ch in enumerate(line):
                rows[y][n * WIDTH + x] = COLOURS[ch]
    return rows


def bmp(rows):
    """A 24-bit BMP file, rows bottom up, each padded to 4 bytes."""
    width, height = len(rows[0]), len(rows)
    stride = (width * 3 + 3) // 4 * 4
    data = b""
    for row in reversed(rows):
        line = b"".join(struct.pack("<BBB", b, g, r) for r, g, b in row)
        data += line + bytes(stride - len(line))
    offset = 14 + 40
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0,
                       0)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    return header + info + data


def png(rows, scale, per_row=10):
    """The images enlarged as an RGB PNG, per_row to a row, a dark line around each."""
    count = len(rows[0]) // WIDTH
    lines = (count + per_row - 1) // per_row
    cell_w, cell_h = WIDTH * scale + 1, HEIGHT * scale + 1
    width, height = per_row * cell_w + 1, lines * cell_h + 1
    canvas = [[(60, 60, 60)] * width for _ in range(height)]
    for n in range(count):
        left = 1 + (n % per_row) * cell_w
        top = 1 + (n // per_row) * cell_h
        for y in range(HEIGHT * scale):
            for x in range(WIDTH * scale):
                canvas[top + y][left + x] = rows[y // scale][n * WIDTH + x // scale]
    raw = b"".join(b"\0" + b"".join(bytes(c) for c in row) for row in canvas)

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    head = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", head) + chunk(b"IDAT", zlib.compress(raw)) +
            chunk(b"IEND", b""))


def main():
    rows = pixels()
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "toolbar_446.bmp"), "wb") as f:
        f.write(bmp(rows))
    if len(sys.argv) == 3 and sys.argv[1] == "--preview":
        with open(sys.argv[2], "wb") as f:
            f.write(png(rows, 8))


if __name__ == "__main__":
    main()
