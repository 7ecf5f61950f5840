#!/usr/bin/env python3
"""Draws the pictures of the message dialog, the wait box and the about box and prints
them as the binary blocks of the stored layouts (Picture.Data or WallPaper.Data).

    python3 draw.py NAME     NAME: titlebar, info, warning, error, about

The output is pasted into the layout in place of the old block."""
import math
import struct
import sys

DIALOG = (152, 180, 209)  # the dialog's background colour 13743256, as RGB


def bmp(width, height, pixel):
    """A 24-bit bitmap file; pixel(x, y) gives (r, g, b) with y from the top."""
    row = (width * 3 + 3) & ~3
    data = bytearray()
    for y in range(height - 1, -1, -1):
        line = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            line += bytes((b, g, r))
        data += line + bytes(row - len(line))
    header = struct.pack('<2sIHHI', b'BM', 54 + len(data), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return header + info + bytes(data)


def smooth(shape, colour, back, samples=4):
    """Anti-aliased pixel function: shape(x, y) says whether a point is inside."""
    def pixel(x, y):
        hits = sum(shape(x + (i + 0.5) / samples, y + (j + 0.5) / samples)
                   for i in range(samples) for j in range(samples))
        t = hits / samples / samples
        c = colour(x, y) if callable(colour) else colour
        return tuple(round(back[k] + (c[k] - back[k]) * t) for k in range(3))
    return pixel


def layered(*layers):
    def pixel(x, y):
        result = DIALOG
        for shape, colour in layers:
            result = smooth(shape, colour, result)(x, y)
        return result
    return pixel


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def box(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def segment(ax, ay, bx, by, w):
    def inside(x, y):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        return math.hypot(x - ax - t * dx, y - ay - t * dy) <= w / 2
    return inside


def triangle(x, y):
    # apex (16, 2), base from (2, 29) to (30, 29)
    if y < 2 or y > 29:
        return False
    half = (y - 2) / 27 * 14
    return 16 - half <= x <= 16 + half


PICTURES = {
    'titlebar': (64, 25, lambda x, y: tuple(round(a + (b - a) * x / 63 - 10 * y / 24)
                                            for a, b in zip((31, 58, 104), (70, 120, 196)))),
    'info': (32, 32, layered((disc(16, 16, 14), (36, 96, 190)), (disc(16, 9.5, 2.3), (255, 255, 255)),
                             (box(14, 13.5, 18, 25), (255, 255, 255)))),
    'warning': (32, 32, layered((triangle, (240, 190, 30)), (box(14.5, 10, 17.5, 21), (20, 20, 20)),
                                (disc(16, 24.5, 1.8), (20, 20, 20)))),
    'error': (32, 32, layered((disc(16, 16, 14), (200, 40, 36)), (segment(10, 10, 22, 22, 3.5), (255, 255, 255)),
                              (segment(22, 10, 10, 22, 3.5), (255, 255, 255)))),
}


def about(x, y):
    """The about box's picture: a night-blue panel with an open book and a rising sun."""
    top, bottom = (31, 58, 104), (90, 144, 216)
    t = y / 179
    back = tuple(round(top[k] + (bottom[k] - top[k]) * t) for k in range(3))
    sun = smooth(disc(55, 62, 22), (255, 196, 64), back)(x, y)
    left = lambda px, py: 12 <= px <= 54 and 100 + (54 - px) * 0.25 <= py <= 150 + (54 - px) * 0.1
    right = lambda px, py: 56 <= px <= 98 and 100 + (px - 56) * 0.25 <= py <= 150 + (px - 56) * 0.1
    page = smooth(lambda px, py: left(px, py) or right(px, py), (250, 250, 245), sun)(x, y)
    lines = any(abs(y - (112 + 8 * k + (54 - x) * 0.25 if x <= 54 else 112 + 8 * k + (x - 56) * 0.25)) < 0.6
                and (18 <= x <= 50 or 60 <= x <= 92) for k in range(4))
    return (150, 170, 200) if lines else page


PICTURES['about'] = (110, 180, about)


def block(data):
    text = data.hex().upper()
    return '\n'.join(text[i:i + 64] for i in range(0, len(text), 64))


if __name__ == '__main__':
    name = sys.argv[1]
    width, height, pixel = PICTURES[name]
    data = bmp(width, height, pixel)
    if name in ('titlebar', 'about'):  # Picture.Data: the graphic's class, then its data
        data = bytes((7,)) + b'TBitmap' + struct.pack('<i', len(data)) + data
    else:  # a TBitmap property: its size, then the bitmap file
        data = struct.pack('<i', len(data)) + data
    print(block(data))
