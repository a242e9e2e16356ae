#!/usr/bin/env python3
"""Draws the editor's check-box, option-box and choice bitmaps and writes them as 4-bit BMP
files next to this script. The .bmp files are kept in the repository; the build only reads
them, so this script is needed only to change a picture.

    python3 resources/make_bitmaps.py
"""

import os
import struct

# The sixteen colours of the classic 4-bit palette (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, GREY, WHITE = 0, 4, 8, 15


class Canvas:
    def __init__(self, width, height):
        self.width, self.height = width, height
        self.pixels = [[WHITE] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def box(self, left, top, right, bottom, colour):
        """Outline of the rectangle whose corners are both inside it."""
        for x in range(left, right + 1):
            self.put(x, top, colour)
            self.put(x, bottom, colour)
        for y in range(top, bottom + 1):
            self.put(left, y, colour)
            self.put(right, y, colour)

    def fill(self, left, top, right, bottom, colour):
        for y in range(top, bottom + 1):
            for x in range(left, right + 1):
                self.put(x, y, colour)

    def line(self, x0, y0, x1, y1, colour, thick=2):
        """A line two pixels thick: each point and the one below it."""
        steps = max(abs(x1 - x0), abs(y1 - y0))
        for i in range(steps + 1):
            x = x0 + round(i * (x1 - x0) / steps)
            y = y0 + round(i * (y1 - y0) / steps)
            for d in range(thick):
                self.put(x, y + d, colour)

    def bmp(self):
        """The picture as a 4-bit BMP file, rows bottom up, each padded to 4 bytes."""
        stride = (self.width * 4 + 31) // 32 * 4
        rows = b""
        for y in reversed(range(self.height)):
            row = bytearray(stride)
            for x in range(self.width):
                shift = 4 if x % 2 == 0 else 0
                row[x // 2] |= self.pixels[y][x] << shift
            rows += bytes(row)
        table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
        offset = 14 + 40 + len(table)
        info = struct.pack("<IiiHHIIiiII", 40, self.width, self.height, 1, 4, 0, len(rows),
                           2835, 2835, 16, 0)
        header = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
        return header + info + table + rows


def tick():
    c = Canvas(18, 17)
    c.box(1, 1, 15, 15, BLACK)
    c.line(4, 7, 7, 10, BLACK)
    c.line(7, 10, 12, 4, BLACK)
    return c


def cross():
    c = Canvas(18, 17)
    c.box(1, 1, 15, 15, BLACK)
    c.line(4, 4, 11, 11, BLACK)
    c.line(11, 4, 4, 11, BLACK)
    return c


def square():
    c = Canvas(19, 19)
    c.box(2, 2, 16, 16, BLACK)
    c.box(3, 3, 15, 15, GREY)
    c.fill(4, 4, 14, 14, WHITE)
    return c


def list_icon():
    c = Canvas(18, 17)
    for top in (3, 7, 11):
        c.fill(2, top, 3, top + 1, BLACK)
        c.fill(6, top, 15, top + 1, NAVY)
    return c


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, canvas in (("tick_532.bmp", tick()), ("square_533.bmp", square()),
                         ("cross_534.bmp", cross()), ("list_438.bmp", list_icon())):
        with open(os.path.join(here, name), "wb") as f:
            f.write(canvas.bmp())


if __name__ == "__main__":
    main()
