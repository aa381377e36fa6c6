#!/usr/bin/env python3
"""Draws the product icon (a calendar page with a tide wave) and the
pointing-hand cursor as Windows .ico/.cur files. Run it to regenerate
resources/art/*.ico and *.cur; the files are committed."""
import math
import struct
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent


def icon_pixels(size):
    """RGBA rows, top row first."""
    s = size / 32.0
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            fx, fy = (x + 0.5) / s, (y + 0.5) / s
            pixel = (0, 0, 0, 0)
            if 3 <= fx <= 29 and 4 <= fy <= 29:
                pixel = (255, 255, 255, 255)                  # page
                if fy <= 10:
                    pixel = (32, 88, 160, 255)                # header band
                wave = 20 + 3.0 * math.sin((fx - 3) / 26 * 2 * math.pi * 1.5)
                if fy >= wave:
                    pixel = (24, 150, 170, 255)               # the tide
                if fx < 4 or fx > 28 or fy > 28:
                    pixel = (40, 40, 60, 255)                 # frame
            for rx in (9, 23):                                # binding rings
                if abs(fx - rx) <= 1.2 and 2 <= fy <= 7:
                    pixel = (90, 90, 100, 255)
            row.append(pixel)
        rows.append(row)
    return rows


def dib_32(rows):
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    and_mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_row)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        and_mask += bits
    return header + xor + bytes(and_mask)


def write_icon(path, images):
    entries, data = b"", b""
    offset = 6 + 16 * len(images)
    for size, dib in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(dib), offset)
        data += dib
        offset += len(dib)
    path.write_bytes(struct.pack("<HHH", 0, 1, len(images)) + entries + data)


# The fingertip is at (13, 7), the hot spot.
HAND = [" " * 32] * 6 + [
    "             ..                 ",
    "            .WW.                ",
    "            .WW.                ",
    "            .WW.                ",
    "            .WW.                ",
    "            .WW...              ",
    "            .WW.WW...           ",
    "            .WW.WW.WW..         ",
    "         .. .WW.WW.WW.W.        ",
    "        .WW..WWWWWWWWW.W.       ",
    "        .WWW.WWWWWWWWWWW.       ",
    "         .WWWWWWWWWWWWWW.       ",
    "          .WWWWWWWWWWWWW.       ",
    "          .WWWWWWWWWWWW.        ",
    "           .WWWWWWWWWWW.        ",
    "           .WWWWWWWWWW.         ",
    "            .WWWWWWWWW.         ",
    "            .WWWWWWWWW.         ",
    "            ...........         ",
]


def write_cursor(path, hotspot):
    """32x32 monochrome cursor: '.' black, 'W' white, blank transparent."""
    size = 32
    rows = [line.ljust(size) for line in HAND] + [" " * size] * (size - len(HAND))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, 0, 0, 0, 2, 2)
    palette = struct.pack("<II", 0x00000000, 0x00FFFFFF)
    xor, and_mask = bytearray(), bytearray()
    for line in reversed(rows):
        xbits, abits = bytearray(4), bytearray(4)
        for x, ch in enumerate(line):
            if ch == "W":
                xbits[x // 8] |= 0x80 >> (x % 8)
            if ch == " ":
                abits[x // 8] |= 0x80 >> (x % 8)
        xor += xbits
        and_mask += abits
    dib = header + palette + bytes(xor) + bytes(and_mask)
    entry = struct.pack("<BBBBHHII", size, size, 2, 0, hotspot[0], hotspot[1], len(dib), 22)
    path.write_bytes(struct.pack("<HHH", 0, 2, 1) + entry + dib)


def main():
    write_icon(HERE / "product.ico", [(16, dib_32(icon_pixels(16))), (32, dib_32(icon_pixels(32)))])
    write_cursor(HERE / "hand.cur", (13, 7))
    return 0


if __name__ == "__main__":
    sys.exit(main())
