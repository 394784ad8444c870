#!/usr/bin/env python3
"""Writes menu.bmp: the 12 x 12, 16-colour mark shown beside the context-menu items.

A small clipboard-and-arrow glyph on a light grey ground, stored bottom-up as a
4-bit Windows bitmap with the standard 16-colour palette.
"""
import struct
import sys

PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]

# One character per pixel, top row first: '.' ground (7), '#' black (0), 'w' white (15),
# 'b' blue (12), 'y' yellow (11).
ROWS = [
    "............",
    "...######...",
    "..#wwwwww#..",
    "..#w####w#..",
    "..#wwwwww#..",
    "..#w###bw#..",
    "..#wwwwbb#..",
    "..#w#bbbbb..",
    "..#wwwwbb#..",
    "..#wwwwbw#..",
    "..########..",
    "............",
]
COLOURS = {".": 7, "#": 0, "w": 15, "b": 12, "y": 11}

WIDTH = HEIGHT = 12
ROW_BYTES = ((WIDTH * 4 + 31) // 32) * 4  # rows padded to 4 bytes


def bitmap_bytes():
    pixels = bytearray()
    for row in reversed(ROWS):  # bottom-up
        line = bytearray()
        for x in range(0, WIDTH, 2):
            line.append((COLOURS[row[x]] << 4) | COLOURS[row[x + 1]])
        line.extend(b"\0" * (ROW_BYTES - len(line)))
        pixels += line
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 4, 0, len(pixels), 2835, 2835, 16, 0)
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + palette + bytes(pixels)


if __name__ == "__main__":
    target = sys.argv[1] if len(sys.argv) > 1 else "menu.bmp"
    with open(target, "wb") as out:
        out.write(bitmap_bytes())
