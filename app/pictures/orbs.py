#!/usr/bin/env python3
"""Draws the practice window's button pictures into a folder as 24-bit bitmaps:

    python3 orbs.py FOLDER

qorbup.bmp, qorbdw.bmp, qorbyes.bmp, qorbno.bmp and qorbover.bmp are the question pad's round
buttons (up, pressed, answered right, answered wrong, under the mouse); qorbtxup.bmp and
qorbtxdw.bmp are the type bar's buttons (up and pressed); qorbopup.bmp and qorbopdw.bmp are the
answer pads' option keys (up and pressed, 40 x 40). The corners are the window colour, which the
image buttons take as transparent."""
import os
import struct
import sys

BACK = (243, 244, 243)  # the practice window's colour 15987699, as RGB


def bmp(width, height, pixel):
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


def shaded(colour, t):
    """colour lightened towards white for t < 0 and darkened for t > 0 (|t| <= 1)."""
    if t < 0:
        return tuple(round(c + (255 - c) * -t) for c in colour)
    return tuple(round(c * (1 - t)) for c in colour)


def orb(size, colour, pressed=False):
    r = size / 2 - 1

    def pixel(x, y):
        dx, dy = x + 0.5 - size / 2, y + 0.5 - size / 2
        d = (dx * dx + dy * dy) ** 0.5
        if d > r:
            return BACK
        if d > r - 1.5:
            return shaded(colour, 0.45)
        # Lit from the top left, or from the bottom right when pressed.
        light = (dx + dy) / (2 * r)
        return shaded(colour, 0.35 * (-light if pressed else light) - 0.1)
    return bmp(size, size, pixel)


def plate(width, height, colour, pressed=False):
    def pixel(x, y):
        if x in (0, width - 1) and y in (0, height - 1):
            return BACK
        if x in (0, width - 1) or y in (0, height - 1):
            return shaded(colour, 0.5)
        t = (y / (height - 1) - 0.5) * 0.5
        return shaded(colour, -t if pressed else t)
    return bmp(width, height, pixel)


def key(size, colour, pressed=False):
    """A square key with rounded corners, a darker rim and a face lit from the top (from the
    bottom when pressed); stretched to a wider button it keeps its look."""
    radius = 6

    def pixel(x, y):
        # Distance outside the rounded square's inner rectangle, 0 inside it.
        cx = min(max(x + 0.5, radius), size - radius) - (x + 0.5)
        cy = min(max(y + 0.5, radius), size - radius) - (y + 0.5)
        d = radius - (cx * cx + cy * cy) ** 0.5
        if d < 0:
            return BACK
        if d < 1.5:
            return shaded(colour, 0.45)
        t = (y / (size - 1) - 0.5) * 0.4
        return shaded(colour, -t if pressed else t)
    return bmp(size, size, pixel)


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    pictures = {
        'qorbup.bmp': orb(36, (120, 150, 200)),
        'qorbdw.bmp': orb(36, (240, 170, 60), pressed=True),
        'qorbyes.bmp': orb(36, (70, 170, 80)),
        'qorbno.bmp': orb(36, (210, 70, 60)),
        'qorbover.bmp': orb(36, (150, 180, 230)),
        'qorbtxup.bmp': plate(96, 26, (180, 200, 230)),
        'qorbtxdw.bmp': plate(96, 26, (240, 190, 110), pressed=True),
        'qorbopup.bmp': key(40, (190, 210, 240)),
        'qorbopdw.bmp': key(40, (245, 185, 90), pressed=True),
    }
    for name, data in pictures.items():
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
