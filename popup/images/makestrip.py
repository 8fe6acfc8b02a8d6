#!/usr/bin/env python3
"""Writes strip.bmp: the popup's 138 x 3 strip of four colour bands, 24 bits per pixel."""
import struct
import sys

# (first column, last column, top row, middle row, bottom row) as RGB
BANDS = [
    (0, 71, 0xFFFF33, 0xFBDA30, 0xFFCC33),
    (72, 93, 0xF7A310, 0xFF0000, 0xCC0000),
    (94, 115, 0x3399CC, 0x3366CC, 0x2B2990),
    (116, 137, 0x99CC99, 0x73BC88, 0x0F8D30),
]
WIDTH, HEIGHT = 138, 3


def colour(x, row):
    for first, last, *rows in BANDS:
        if first <= x <= last:
            return rows[row]
    raise ValueError(x)


def main(path):
    stride = (WIDTH * 3 + 3) // 4 * 4
    pixels = b""
    for row in reversed(range(HEIGHT)):  # a BMP stores the bottom row first
        line = b"".join(struct.pack("<BBB", c & 0xFF, (c >> 8) & 0xFF, c >> 16)
                        for c in (colour(x, row) for x in range(WIDTH)))
        pixels += line + b"\0" * (stride - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as out:
        out.write(header + info + pixels)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "strip.bmp")
