#!/usr/bin/env python3
"""Draws the settings program's pictures: icon 128 (32 x 32 and 16 x 16) and the badge
bitmap 129 (200 x 30, 24-bit, white is transparent). Run it to regenerate the committed
files kestconf.ico and badge.bmp."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def icon_pixel(x, y, size):
    """A blue rounded tile with a white magnifier ring: (b, g, r, a)."""
    cx = cy = (size - 1) / 2.0
    corner = size / 6.0
    inside = True
    for qx, qy in ((corner, corner), (size - 1 - corner, corner),
                   (corner, size - 1 - corner), (size - 1 - corner, size - 1 - corner)):
        if (x < corner or x > size - 1 - corner) and (y < corner or y > size - 1 - corner):
            if (x - qx) ** 2 + (y - qy) ** 2 > corner ** 2:
                inside = False
    if not inside:
        return (0, 0, 0, 0)
    rx, ry = cx - size / 10.0, cy - size / 10.0
    d = ((x - rx) ** 2 + (y - ry) ** 2) ** 0.5
    if size * 0.18 <= d <= size * 0.28:
        return (255, 255, 255, 255)
    if x > rx and y > ry and abs((x - rx) - (y - ry)) < size / 12.0 and d < size * 0.48 and d > size * 0.28:
        return (255, 255, 255, 255)
    return (200, 110, 30, 255)


def icon_image(size):
    rows = []
    for y in range(size - 1, -1, -1):  # bottom-up
        rows.append(b"".join(struct.pack("<BBBB", *icon_pixel(x, y, size)) for x in range(size)))
    xor = b"".join(rows)
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        bits = bytearray(mask_row)
        for x in range(size):
            if icon_pixel(x, y, size)[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + bytes(mask)


def write_icon(path):
    images = [icon_image(32), icon_image(16)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((32, 16), images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


# 5 x 7 glyphs for the badge text.
GLYPHS = {
    "K": ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
}


def badge_pixel(x, y, width, height):
    text = "KESTRUNE"
    scale = 3
    left, top = 8, (height - 7 * scale) // 2
    col = (x - left) // scale
    row = (y - top) // scale
    if 0 <= row < 7 and col >= 0 and x >= left:
        index, offset = divmod(col, 6)
        if index < len(text) and offset < 5 and GLYPHS[text[index]][row][offset] == "1":
            return (160, 80, 20)
    if 150 <= x < 190 and 4 <= y < 26 and ((x - 170) ** 2 + (y - 15) ** 2) <= 100:
        return (30, 140, 230)
    return (255, 255, 255)


def write_badge(path, width=200, height=30):
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = badge_pixel(x, y, width, height)
            row += bytes((b, g, r))
        row += bytes(stride - len(row))
        pixels += row
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(file_header + info + pixels)


if __name__ == "__main__":
    write_icon(os.path.join(HERE, "kestconf.ico"))
    write_badge(os.path.join(HERE, "badge.bmp"))
