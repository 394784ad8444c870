#!/usr/bin/env python3
"""Draws the band's bitmaps and its icon and writes them as .bmp and .ico files.

Run from anywhere: python3 tools/images/make_images.py
Writes into resources/kestbar/images/. Standard library only; the output is the same on
every run, so the committed files can be checked by running the script again.

Each bitmap is drawn for 100, 150 and 200 percent display scale ("name.bmp",
"name-150.bmp", "name-200.bmp"): the shapes are drawn anew at the larger size, never
resampled from the small picture. Frames stay whole pixels wide, so their lines are sharp.

Shapes are drawn with 4 x 4 samples per pixel for smooth edges. Bitmaps are 24 bits per
pixel on a solid background; the icon is 8 bits per pixel with a transparency mask.
"""

import math
import os
import struct

SAMPLES = 4
OUT_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources", "kestbar", "images")

WHITE = (255, 255, 255)


# ---------------------------------------------------------------- shapes
# Each shape is a predicate over a point in pixel coordinates (x right, y down).

def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, outer, inner):
    return lambda x, y: inner * inner <= (x - cx) ** 2 + (y - cy) ** 2 <= outer * outer


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def segment(x0, y0, x1, y1, half_width):
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = ((x - x0) * dx + (y - y0) * dy) / length2 if length2 else 0.0
        t = min(max(t, 0.0), 1.0)
        px, py = x0 + t * dx, y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= half_width * half_width
    return inside


def polygon(points):
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


def arc(cx, cy, outer, inner, start_deg, end_deg):
    """A ring limited to the angles start..end, in degrees counter-clockwise from the right."""
    def inside(x, y):
        d2 = (x - cx) ** 2 + (y - cy) ** 2
        if not inner * inner <= d2 <= outer * outer:
            return False
        angle = math.degrees(math.atan2(cy - y, x - cx)) % 360.0
        a, b = start_deg % 360.0, end_deg % 360.0
        return a <= angle <= b if a <= b else angle >= a or angle <= b
    return inside


def both(*shapes):
    return lambda x, y: all(s(x, y) for s in shapes)


def minus(shape, hole):
    return lambda x, y: shape(x, y) and not hole(x, y)


def glyph(pattern, x0, y0, cell=1.0):
    """A shape from rows of '#' and '.', one cell per character."""
    cells = [(c, r) for r, row in enumerate(pattern) for c, ch in enumerate(row) if ch == "#"]
    cellset = set(cells)

    def inside(x, y):
        c = math.floor((x - x0) / cell)
        r = math.floor((y - y0) / cell)
        return (c, r) in cellset
    return inside


# ---------------------------------------------------------------- rendering

def scaled_size(base, scale):
    """The pixel size of a picture drawn base pixels wide at 100 percent: 21 -> 32 -> 42."""
    return int(base * scale + 0.5)


def render(size, layers, background=None, scale=1.0):
    """Paints layers of (shape, colour) over the background; returns rows of RGBA tuples.

    size is in pixels; the shapes are in 100-percent units and are sampled at scale.
    Without a background the image starts transparent and the alpha channel tells how much
    of each pixel the shapes cover."""
    width, height = size
    rows = []
    for py in range(height):
        row = []
        for px in range(width):
            r = g = b = a = 0.0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) / scale
                    y = (py + (sy + 0.5) / SAMPLES) / scale
                    colour = background
                    for shape, layer_colour in layers:
                        if shape(x, y):
                            colour = layer_colour
                    if colour is not None:
                        r += colour[0]
                        g += colour[1]
                        b += colour[2]
                        a += 1.0
            n = SAMPLES * SAMPLES
            if a:
                row.append((round(r / a), round(g / a), round(b / a), a / n))
            else:
                row.append((0, 0, 0, 0.0))
        rows.append(row)
    return rows


def write_bmp24(path, rows):
    height = len(rows)
    width = len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b, _ in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        pixels += line
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def fixed_palette():
    """216 colours of the 6 x 6 x 6 cube and 40 further greys: 256 entries."""
    palette = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
    cube_greys = {v * 51 for v in range(6)}
    greys = [v for v in range(0, 256, 6) if v not in cube_greys][:40]
    palette += [(v, v, v) for v in greys]
    while len(palette) < 256:
        palette.append((0, 0, 0))
    return palette[:256]


def nearest(palette, colour, cache):
    if colour not in cache:
        cache[colour] = min(range(len(palette)),
                            key=lambda i: sum((palette[i][k] - colour[k]) ** 2 for k in range(3)))
    return cache[colour]


def icon_image(rows, palette):
    """One 8-bit icon image: BITMAPINFOHEADER, palette, colour rows, mask rows."""
    height = len(rows)
    width = len(rows[0])
    cache = {}
    stride = (width + 3) & ~3
    mask_stride = ((width + 31) // 32) * 4
    colours = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray()
        bits = 0
        mask_line = bytearray()
        for x, (r, g, b, a) in enumerate(row):
            transparent = a < 0.5
            line.append(0 if transparent else nearest(palette, (r, g, b), cache))
            bits = (bits << 1) | (1 if transparent else 0)
            if x % 8 == 7:
                mask_line.append(bits)
                bits = 0
        if width % 8:
            mask_line.append(bits << (8 - width % 8))
        line += b"\0" * (stride - len(line))
        mask_line += b"\0" * (mask_stride - len(mask_line))
        colours += line
        mask += mask_line
    info = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 8, 0, len(colours) + len(mask), 0, 0, 256, 0)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return info + table + bytes(colours) + bytes(mask)


def write_ico(path, images):
    palette = fixed_palette()
    blobs = [(len(rows[0]), len(rows), icon_image(rows, palette)) for rows in images]
    data = struct.pack("<HHH", 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for width, height, blob in blobs:
        data += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 8, len(blob), offset)
        offset += len(blob)
    for _, _, blob in blobs:
        data += blob
    with open(path, "wb") as f:
        f.write(data)


# ---------------------------------------------------------------- the pictures

def magnifier(scale, ox, oy, frame, glass, handle):
    """A lens with a handle to the lower right, drawn in a 16-unit square scaled by scale."""
    s = scale
    return [
        (disc(ox + 6.2 * s, oy + 6.2 * s, 4.0 * s), glass),
        (ring(ox + 6.2 * s, oy + 6.2 * s, 5.4 * s, 3.8 * s), frame),
        (segment(ox + 10.0 * s, oy + 10.0 * s, ox + 14.2 * s, oy + 14.2 * s, 1.5 * s), handle),
    ]


class Canvas:
    """A picture of base pixels at 100 percent, drawn at percent: its pixel size, the scale
    from 100-percent units to pixels, and helpers that keep lines on whole pixels."""

    def __init__(self, base, percent):
        self.base = base
        self.size = scaled_size(base, percent / 100.0)
        self.scale = self.size / base
        self.line = max(1, round(percent / 100.0))  # a 1-pixel line at 100 percent

    def px(self, pixels):
        """A length of whole pixels, in 100-percent units."""
        return pixels / self.scale

    def render(self, layers, background=None):
        return render((self.size, self.size), layers, background, self.scale)

    def glyph(self, pattern):
        """A pixel-font glyph centred on the canvas, each cell a whole number of pixels."""
        cell = self.line
        x0 = (self.size - len(pattern[0]) * cell) // 2
        y0 = (self.size - len(pattern) * cell) // 2
        return glyph(pattern, self.px(x0), self.px(y0), self.px(cell))


def search_icon(percent):
    canvas = Canvas(16, percent)
    layers = magnifier(1.0, 0.0, 0.0, (40, 62, 120), (196, 222, 248), (120, 78, 40))
    layers.append((disc(4.8, 4.6, 1.2), (240, 248, 254)))  # a glint, not pure white
    return canvas.render(layers, WHITE)


def menu_button(percent, face, border, glyph_colour, glass, offset):
    canvas = Canvas(21, percent)
    inset = canvas.px(canvas.line)
    far = canvas.px(canvas.size - canvas.line)
    layers = [(rounded_rect(inset, inset, far, far, 2.0), face)]
    layers += magnifier(0.85, 3.0 + offset, 2.6 + offset, glyph_colour, glass, glyph_colour)
    # A small down arrow at the lower left tells that the button opens a menu.
    layers.append((polygon([(2.5 + offset, 14.5 + offset), (7.5 + offset, 14.5 + offset),
                            (5.0 + offset, 17.5 + offset)]), glyph_colour))
    return canvas.render(layers, border)


def refresh(percent):
    green = (34, 139, 64)
    return Canvas(13, percent).render([
        (arc(6.5, 6.5, 5.3, 3.4, 100, 380), green),
        (polygon([(7.0, 0.2), (11.8, 1.6), (8.2, 5.4)]), green),
    ], WHITE)


def settings(percent):
    steel = (84, 94, 116)
    layers = [(disc(6.5, 6.5, 4.3), steel)]
    for k in range(8):
        angle = math.radians(k * 45)
        x0, y0 = 6.5 + 3.0 * math.cos(angle), 6.5 + 3.0 * math.sin(angle)
        x1, y1 = 6.5 + 5.9 * math.cos(angle), 6.5 + 5.9 * math.sin(angle)
        layers.append((segment(x0, y0, x1, y1, 1.1), steel))
    layers.append((disc(6.5, 6.5, 1.7), WHITE))
    return Canvas(13, percent).render(layers, WHITE)


QUESTION = [
    ".###.",
    "#...#",
    "....#",
    "...#.",
    "..#..",
    ".....",
    "..#..",
]

INFO = [
    "#",
    ".",
    "#",
    "#",
    "#",
    "#",
]


def help_mark(percent):
    canvas = Canvas(13, percent)
    return canvas.render([
        (disc(6.5, 6.5, 6.3), (36, 96, 196)),
        (canvas.glyph(QUESTION), WHITE),
    ], WHITE)


def about_mark(percent):
    canvas = Canvas(13, percent)
    return canvas.render([
        (disc(6.5, 6.5, 6.3), (24, 132, 160)),
        (canvas.glyph(INFO), WHITE),
    ], WHITE)


def web_mark(percent):
    sea = (52, 124, 208)
    line = (214, 232, 250)
    return Canvas(13, percent).render([
        (disc(6.5, 6.5, 6.2), sea),
        (both(disc(6.5, 6.5, 6.2), lambda x, y: abs(((x - 6.5) / 2.6) ** 2 + ((y - 6.5) / 6.2) ** 2 - 1.0) < 0.22), line),
        (both(disc(6.5, 6.5, 6.2), rect(0, 6.0, 13, 7.0)), line),
        (both(disc(6.5, 6.5, 6.2), rect(6.0, 0, 7.0, 13)), line),
        (ring(6.5, 6.5, 6.4, 5.5), (30, 80, 150)),
    ], WHITE)


def product_icon(size):
    s = size / 32.0
    layers = [
        (rounded_rect(0.5 * s, 0.5 * s, size - 0.5 * s, size - 0.5 * s, 5.0 * s), (30, 84, 170)),
        (rounded_rect(2.0 * s, 2.0 * s, size - 2.0 * s, size - 2.0 * s, 4.0 * s), (52, 122, 214)),
    ]
    layers += magnifier(1.7 * s, 2.6 * s, 2.6 * s, (250, 250, 250), (150, 200, 245), (255, 190, 60))
    return render((size, size), layers)


def main():
    os.makedirs(OUT_DIR, exist_ok=True)

    def out(name, percent):
        suffix = "" if percent == 100 else "-%d" % percent
        return os.path.join(OUT_DIR, name + suffix + ".bmp")

    for percent in (100, 150, 200):
        write_bmp24(out("search", percent), search_icon(percent))
        write_bmp24(out("myimageu", percent), menu_button(percent, (236, 236, 236), (150, 150, 150), (40, 62, 120),
                                                          (196, 222, 248), 0))
        write_bmp24(out("myimaged", percent), menu_button(percent, (196, 196, 200), (96, 96, 104), (24, 40, 90),
                                                          (170, 200, 236), 1))
        write_bmp24(out("myimagef", percent), menu_button(percent, (206, 228, 252), (60, 122, 204), (24, 56, 140),
                                                          (232, 244, 255), 0))
        write_bmp24(out("myimagex", percent), menu_button(percent, (240, 240, 240), (190, 190, 190), (168, 168, 168),
                                                          (228, 228, 228), 0))
        write_bmp24(out("refresh", percent), refresh(percent))
        write_bmp24(out("settings", percent), settings(percent))
        write_bmp24(out("help", percent), help_mark(percent))
        write_bmp24(out("about", percent), about_mark(percent))
        write_bmp24(out("web", percent), web_mark(percent))
    write_ico(os.path.join(OUT_DIR, "kestrune.ico"), [product_icon(32), product_icon(21), product_icon(16)])


if __name__ == "__main__":
    main()
