#!/usr/bin/env python3
"""Draws the pictures of the message dialog, the wait box, the about box, the practice
window, the upgrade window's folder glyph and the backgrounds of the chooser, records, study
log, study plan, question entry and question edit windows, and prints them as the binary
blocks of the stored layouts (Picture.Data, WallPaper.Data, Glyph.Data or Image.Data).

    python3 draw.py NAME     NAME: titlebar, info, warning, error, about, folder, practice,
                             switch_on, switch_off (the settings window's music switch),
                             or a background (see BACKGROUNDS)

The output is pasted into the layout in place of the old block."""
import math
import struct
import subprocess
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


# ---- Button glyphs: pixel art, one character a pixel ---------------------------------------
#
# A button takes its glyph's bottom-left pixel as the transparent colour, so '.' (magenta)
# fills the corners and the bottom row.

GLYPH_COLOURS = {'.': (255, 0, 255), 'k': (120, 84, 16), 'y': (250, 208, 88), 'Y': (212, 160, 40),
                 'w': (255, 242, 188)}

# A closed folder: the tab at the top left, the light upper edge of the front, shaded below
# and on the right.
FOLDER = [
    '................',
    '................',
    '..kkkkk.........',
    '.kwyyyyk........',
    '.kyyyyyykkkkkkk.',
    '.kwwwwwwwwwwwwyk',
    '.kwyyyyyyyyyyyYk',
    '.kwyyyyyyyyyyyYk',
    '.kwyyyyyyyyyyyYk',
    '.kwyyyyyyyyyyyYk',
    '.kwyyyyyyyyyyyYk',
    '.kwyyyyyyyyyyyYk',
    '.kYYYYYYYYYYYYYk',
    '.kkkkkkkkkkkkkkk',
    '................',
    '................',
]


def pixel_art(rows):
    """A picture entry (width, height, pixel) from rows of GLYPH_COLOURS characters."""
    assert all(len(r) == len(rows[0]) for r in rows), rows
    return len(rows[0]), len(rows), lambda x, y: GLYPH_COLOURS[rows[y][x]]


PICTURES['folder'] = pixel_art(FOLDER)


# ---- The settings window's music switch: a rounded track with a round knob --------------
#
# 60 x 33, the switch's size. Edges are blended with the settings window's colour; outside
# the track the pixels are magenta, the bottom-left pixel the switch takes as transparent.

SETTINGS_BACK = (193, 209, 227)  # the settings window's colour 14930369, as RGB
SWITCH_KEY = (255, 0, 255)


def rounded_track(x0, y0, x1, y1):
    r = (y1 - y0) / 2
    return lambda x, y: (x0 + r <= x <= x1 - r and y0 <= y <= y1) or \
        (x - (x0 + r)) ** 2 + (y - (y0 + r)) ** 2 <= r * r or (x - (x1 - r)) ** 2 + (y - (y0 + r)) ** 2 <= r * r


def switch(on):
    width, height = 60, 33
    outer = rounded_track(2, 4, 58, 29)
    inner = rounded_track(3, 5, 57, 28)
    track = (62, 160, 78) if on else (158, 166, 178)
    knob_x = 45 if on else 15
    knob_edge, knob = disc(knob_x, 16.5, 10.5), disc(knob_x, 16.5, 9.5)
    layers = [(outer, tuple(round(c * 0.7) for c in track)), (inner, track),
              (knob_edge, (110, 118, 130)), (knob, lambda x, y: mix((255, 255, 255), (214, 220, 230), (y - 7) / 19))]

    def pixel(x, y):
        if not any(outer(x + (i + 0.5) / 4, y + (j + 0.5) / 4) for i in range(4) for j in range(4)):
            return SWITCH_KEY
        result = SETTINGS_BACK
        for shape, colour in layers:
            result = smooth(shape, colour, result)(x, y)
        return result
    return width, height, pixel


PICTURES['switch_on'] = switch(True)
PICTURES['switch_off'] = switch(False)

# ---- The practice window's animated picture (a GIF89a) ------------------------------------

PRACTICE_BACK = (243, 244, 243)  # the practice window's colour 15987699; transparent
TICK = ((10, 20), (15, 26), (26, 12))  # the red tick's corner points, drawn stroke by stroke
TICK_STEPS = 8


def tick_end(fraction):
    """The point the tick has reached after fraction (0..1) of its length."""
    (ax, ay), (bx, by), (cx, cy) = TICK
    first, second = math.hypot(bx - ax, by - ay), math.hypot(cx - bx, cy - by)
    along = fraction * (first + second)
    if along <= first:
        t = along / first
        return ax + (bx - ax) * t, ay + (by - ay) * t
    t = (along - first) / second
    return bx + (cx - bx) * t, by + (cy - by) * t


def practice_frame(step):
    """Frame step: a sheet of paper with a red tick drawn up to step of TICK_STEPS by a
    pencil. Blending is kept to four levels so that the colours fit one table."""
    fraction = min(step, TICK_STEPS) / TICK_STEPS
    ex, ey = tick_end(fraction)
    (ax, ay), (bx, by), _ = TICK
    first_len = math.hypot(bx - ax, by - ay)
    total = first_len + math.hypot(TICK[2][0] - bx, TICK[2][1] - by)
    on_first = fraction * total <= first_len
    strokes = [segment(ax, ay, ex, ey, 3)] if on_first else [segment(ax, ay, bx, by, 3), segment(bx, by, ex, ey, 3)]
    layers = [
        (box(5, 3, 31, 34), (150, 156, 166)),            # the sheet's edge
        (box(6, 4, 30, 33), (255, 255, 255)),            # the sheet
    ] + [(box(9, 9 + 6 * k, 27, 10 + 6 * k), (190, 205, 225)) for k in range(4)] + (
        [(stroke, (214, 40, 40)) for stroke in strokes] if fraction > 0 else []) + [
        (segment(ex + 2.5, ey - 2.5, ex + 8, ey - 8, 4), (240, 196, 60)),   # the pencil
        (segment(ex + 7, ey - 7, ex + 9, ey - 9, 4), (230, 140, 150)),    # its eraser
        (segment(ex, ey, ex + 2.5, ey - 2.5, 2), (60, 50, 40)),            # its point
    ]

    def pixel(x, y):
        result = PRACTICE_BACK
        for shape, colour in layers:
            hits = sum(shape(x + (i + 0.5) / 4, y + (j + 0.5) / 4) for i in range(4) for j in range(4))
            level = round(hits / 16 * 3) / 3
            result = tuple(round(result[k] + (colour[k] - result[k]) * level) for k in range(3))
        return result
    return pixel


def lzw(indices, min_code_size):
    """The LZW codes of indices packed into GIF data sub-blocks."""
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    out, bits, bit_count = bytearray(), 0, 0

    def emit(code, size):
        nonlocal bits, bit_count
        bits |= code << bit_count
        bit_count += size
        while bit_count >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            bit_count -= 8

    table = {(i,): i for i in range(clear)}
    size, next_code = min_code_size + 1, end + 1
    emit(clear, size)
    word = ()
    for index in indices:
        longer = word + (index,)
        if longer in table:
            word = longer
            continue
        emit(table[word], size)
        if next_code < 4096:
            table[longer] = next_code
            next_code += 1
            if next_code > (1 << size) and size < 12:
                size += 1
        else:  # the table is full: start again
            emit(clear, size)
            table = {(i,): i for i in range(clear)}
            size, next_code = min_code_size + 1, end + 1
        word = (index,)
    if word:
        emit(table[word], size)
    emit(end, size)
    if bit_count:
        out.append(bits & 0xFF)
    blocks = bytearray((min_code_size,))
    for i in range(0, len(out), 255):
        chunk = out[i:i + 255]
        blocks += bytes((len(chunk),)) + chunk
    return bytes(blocks + b'\0')


def gif(width, height, frames, delays, transparent):
    """An endlessly looping GIF89a of whole-screen frames (pixel functions) with one global
    colour table; transparent is the colour drawn as see-through. Every frame is cleared to
    the background after its delay (in hundredths of a second)."""
    pictures = [[frame(x, y) for y in range(height) for x in range(width)] for frame in frames]
    colours = [transparent] + sorted({c for picture in pictures for c in picture} - {transparent})
    if len(colours) > 256:
        raise SystemExit('too many colours: %d' % len(colours))
    bits = max(2, (len(colours) - 1).bit_length())
    colours += [(0, 0, 0)] * ((1 << bits) - len(colours))
    position = {c: i for i, c in enumerate(colours)}
    data = bytearray(b'GIF89a' + struct.pack('<HHBBB', width, height, 0x80 | 0x70 | (bits - 1), 0, 0))
    data += bytes(c for colour in colours for c in colour)
    data += b'\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00'
    for picture, delay in zip(pictures, delays):
        data += b'\x21\xF9\x04' + struct.pack('<BHBB', (2 << 2) | 1, delay, 0, 0)
        data += b'\x2C' + struct.pack('<HHHHB', 0, 0, width, height, 0)
        data += lzw([position[c] for c in picture], bits)
    return bytes(data + b'\x3B')


def practice():
    steps = list(range(TICK_STEPS + 1))
    frames = [practice_frame(step) for step in steps]
    delays = [30] + [8] * (TICK_STEPS - 1) + [150]
    return gif(40, 36, frames, delays, PRACTICE_BACK)


# ---- Window backgrounds: panels and labelled button plates over a light gradient --------
#
# Each background is the size of its window's client area in one screen layout. Panels lie
# behind the grid and the counters; plates lie under the flat buttons, which are captionless
# areas over the picture, so a plate carries its button's label. The rectangles are the
# controls' places in that layout (left, top, width, height), in the picture's coordinates.

LABEL_FONT = '/usr/share/fonts/truetype/arphic/uming.ttc'
FORM_TOP, FORM_BOTTOM = (236, 242, 250), (198, 214, 236)
BAND_LEFT, BAND_RIGHT = (31, 58, 104), (70, 120, 196)    # the title bar's colours
PANEL, PANEL_EDGE, SHADOW = (250, 251, 253), (128, 152, 190), (168, 184, 208)
PLATE_TOP, PLATE_BOTTOM, PLATE_EDGE = (255, 255, 255), (206, 221, 242), (84, 112, 160)
LABEL = (31, 58, 104)


def mix(a, b, t):
    return tuple(round(a[k] + (b[k] - a[k]) * t) for k in range(3))


def rounded_cover(x0, y0, x1, y1, r):
    """Coverage (0..1) of the pixel at x, y by a rectangle with corners of radius r."""
    def cover(x, y):
        cx, cy = x + 0.5, y + 0.5
        dx = max(x0 + r - cx, cx - (x1 - r), 0.0)
        dy = max(y0 + r - cy, cy - (y1 - r), 0.0)
        if dx == 0.0 or dy == 0.0:
            inside = min(cx - x0, x1 - cx, cy - y0, y1 - cy)
            return max(0.0, min(1.0, inside + 0.5))
        return max(0.0, min(1.0, r - math.hypot(dx, dy) + 0.5))
    return cover


class Canvas:
    def __init__(self, width, height):
        self.width, self.height = width, height
        self.rows = [[mix(FORM_TOP, FORM_BOTTOM, y / max(1, height - 1))] * width for y in range(height)]

    def fill(self, rect, colour, radius=0.0):
        """Fills a rounded rectangle; colour is a colour or colour(x, y)."""
        left, top, width, height = rect
        cover = rounded_cover(left, top, left + width, top + height, radius)
        for y in range(max(0, math.floor(top)), min(self.height, math.ceil(top + height))):
            row = self.rows[y]
            for x in range(max(0, math.floor(left)), min(self.width, math.ceil(left + width))):
                t = cover(x, y)
                if t > 0:
                    c = colour(x, y) if callable(colour) else colour
                    row[x] = c if t >= 1 else mix(row[x], c, t)

    def framed(self, rect, face, edge, radius):
        left, top, width, height = rect
        self.fill((left, top, width, height), edge, radius)
        self.fill((left + 1, top + 1, width - 2, height - 2), face, max(0.0, radius - 1))

    def text(self, centre, label, colour, size):
        """Writes label centred on centre, drawn by ImageMagick from the 宋体 face the
        program itself uses, one pixel wider for weight."""
        pgm = subprocess.run(['convert', '-background', 'black', '-fill', 'white', '-font', LABEL_FONT,
                              '-pointsize', str(size), 'label:' + label, '-depth', '8', 'pgm:-'],
                             check=True, capture_output=True).stdout
        magic, width, height, _, pixels = pgm.split(maxsplit=4)
        if magic != b'P5':
            raise SystemExit('unexpected label format')
        width, height = int(width), int(height)
        left, top = round(centre[0] - (width + 1) / 2), round(centre[1] - height / 2)
        for y in range(height):
            for x in range(width + 1):
                here = pixels[y * width + x] if x < width else 0
                before = pixels[y * width + x - 1] if x > 0 else 0
                t = max(here, before) / 255
                px, py = left + x, top + y
                if t > 0 and 0 <= px < self.width and 0 <= py < self.height:
                    self.rows[py][px] = mix(self.rows[py][px], colour, t)

    def pixel(self, x, y):
        return self.rows[y][x]


def background(width, height, frame, panels, plates, band=6):
    """A window background: the light gradient, a title-coloured band along the top (and a
    frame for a borderless window), raised panels and button plates with their labels."""
    canvas = Canvas(width, height)
    canvas.fill((0, 0, width, band), lambda x, y: mix(BAND_LEFT, BAND_RIGHT, x / max(1, width - 1)))
    if frame:
        for rect in ((0, 0, width, 1), (0, height - 1, width, 1), (0, 0, 1, height), (width - 1, 0, 1, height)):
            canvas.fill(rect, BAND_LEFT)
    for left, top, w, h in panels:
        canvas.fill((left + 3, top + 3, w, h), SHADOW, 6)
        canvas.framed((left, top, w, h), PANEL, PANEL_EDGE, 6)
    for (left, top, w, h), label in plates:
        canvas.fill((left + 2, top + 2, w, h), SHADOW, 5)
        canvas.framed((left, top, w, h), lambda x, y, t=top, h=h: mix(PLATE_TOP, PLATE_BOTTOM, (y - t) / h),
                      PLATE_EDGE, 5)
        if label:
            canvas.text((left + w / 2, top + h / 2), label, LABEL, 14)
    return canvas


def around(rect, margin):
    left, top, width, height = rect
    return (left - margin, top - margin, width + 2 * margin, height + 2 * margin)


def shifted(rects, dx):
    return [((left + dx, top, w, h), label) for (left, top, w, h), label in rects]


CHOOSER_LARGE_BUTTONS = [((20, 496, 110, 36), '练习新题'), ((140, 496, 110, 36), '错题重做'),
                         ((260, 496, 110, 36), '习题重温'), ((380, 496, 110, 36), '试题录入'),
                         ((500, 496, 110, 36), '系统设置'), ((770, 496, 110, 36), '关闭')]
CHOOSER_SMALL_BUTTONS = [((8, 376, 100, 32), '练习新题'), ((116, 376, 100, 32), '错题重做'),
                         ((224, 376, 100, 32), '习题重温'), ((332, 376, 100, 32), '试题录入'),
                         ((440, 376, 100, 32), '系统设置'), ((647, 376, 100, 32), '关闭')]
# 查阅 keeps its caption, which turns grey when there is nothing to review: its plate carries none.
RECORDS_LARGE_BUTTONS = [((300, 540, 148, 29), ''), ((760, 540, 67, 29), '设置'), ((840, 540, 67, 29), '关闭')]
# The small records picture lies one pixel left of the window (its image at -1, 0).
RECORDS_SMALL_BUTTONS = [((229, 427, 148, 23), ''), ((605, 444, 67, 29), '设置'), ((678, 444, 67, 29), '关闭')]
LOG_LARGE_BUTTONS = [((790, 460, 100, 28), '设置'), ((790, 510, 100, 28), '关闭')]
LOG_SMALL_BUTTONS = [((632, 370, 100, 28), '设置'), ((632, 414, 100, 28), '关闭')]
# The plan's buttons keep their captions (设定 turns into 保存): their plates carry none.
PLAN_BUTTONS = [((250, 206, 80, 28), ''), ((350, 206, 80, 28), '')]

# The entry window's buttons keep their captions too; its large picture lies two pixels left
# of the window (its image at -2, 0). The right-hand panel holds the input rows in both of
# their arrangements (with and without the law-point row).
ENTRY_SMALL_BUTTONS = [((576, 330, 80, 28), ''), ((664, 330, 80, 28), ''), ((576, 366, 80, 28), ''),
                       ((664, 366, 80, 28), ''), ((576, 402, 80, 28), '')]
ENTRY_LARGE_BUTTONS = [((650, 420, 100, 32), ''), ((760, 420, 100, 32), ''), ((650, 462, 100, 32), ''),
                       ((760, 462, 100, 32), ''), ((650, 504, 100, 32), '')]

# The question-edit window's buttons keep their captions as well; its right-hand panel holds
# the input rows and the law-point rows when they are shown.
EDIT_SMALL_BUTTONS = [((556, 330, 80, 28), ''), ((650, 330, 80, 28), ''), ((556, 366, 80, 28), '')]
EDIT_LARGE_BUTTONS = [((648, 420, 100, 28), ''), ((764, 420, 100, 28), ''), ((648, 460, 100, 28), '')]

BACKGROUNDS = {
    'chooser-large': lambda: background(900, 560, False, [around((20, 20, 860, 400), 4), (12, 430, 876, 46)],
                                        CHOOSER_LARGE_BUTTONS),
    'chooser-small': lambda: background(761, 460, False, [around((8, 8, 739, 300), 3), (4, 314, 747, 40)],
                                        CHOOSER_SMALL_BUTTONS),
    'records-large': lambda: background(934, 605, True, [around((40, 90, 660, 430), 4), (764, 116, 124, 326)],
                                        RECORDS_LARGE_BUTTONS),
    'records-small': lambda: background(762, 479, True, [around((38, 83, 528, 316), 3), (634, 103, 96, 264)],
                                        shifted(RECORDS_SMALL_BUTTONS, 1)),
    'log-large': lambda: background(936, 605, False, [around((33, 78, 718, 465), 4), (778, 78, 132, 264)],
                                    LOG_LARGE_BUTTONS),
    'log-small': lambda: background(760, 470, False, [around((16, 40, 600, 410), 3), (622, 48, 128, 248)],
                                    LOG_SMALL_BUTTONS),
    'plan': lambda: background(460, 250, True, [(12, 14, 436, 80)], PLAN_BUTTONS),
    'entry-small': lambda: background(759, 478, False, [(8, 28, 554, 440), (566, 30, 191, 290)],
                                      ENTRY_SMALL_BUTTONS),
    'entry-large': lambda: background(934, 611, False, [(50, 72, 583, 498), (644, 66, 226, 342)],
                                      shifted(ENTRY_LARGE_BUTTONS, 2)),
    'edit-small': lambda: background(750, 446, False, [(6, 8, 536, 432), (548, 20, 194, 302)],
                                     EDIT_SMALL_BUTTONS),
    'edit-large': lambda: background(888, 556, False, [(12, 8, 620, 536), (638, 26, 236, 360)],
                                     EDIT_LARGE_BUTTONS),
}


def palette_bmp(canvas):
    """An 8-bit bitmap file with RLE8 rows: a window background has long runs of one colour.
    Colours are rounded more coarsely until at most 256 remain."""
    for shift in range(0, 6):
        def rounded(c, s=shift):
            return tuple(min(255, (v >> s << s) + ((1 << s) >> 1)) for v in c)
        rows = [[rounded(c) for c in row] for row in canvas.rows]
        colours = sorted({c for row in rows for c in row})
        if len(colours) <= 256:
            break
    else:
        raise SystemExit('too many colours')
    index = {c: i for i, c in enumerate(colours)}
    data = bytearray()
    for row in reversed(rows):
        data += rle8_row([index[c] for c in row])
    data[-2:] = b'\0\1'  # the last end of line becomes the end of the bitmap
    table = b''.join(bytes((b, g, r, 0)) for r, g, b in colours)
    offset = 54 + len(table)
    header = struct.pack('<2sIHHI', b'BM', offset + len(data), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, canvas.width, canvas.height, 1, 8, 1, len(data), 2835, 2835,
                       len(colours), 0)
    return header + info + table + bytes(data)


def rle8_row(indices):
    """One row in RLE8: runs of one value as count-value pairs, stretches of differing
    values as absolute runs, then the end-of-line code."""
    out, i, n = bytearray(), 0, len(indices)
    while i < n:
        run = 1
        while i + run < n and run < 255 and indices[i + run] == indices[i]:
            run += 1
        if run >= 3 or n - i < 3:
            out += bytes((run, indices[i]))
            i += run
            continue
        start = i  # differing values until the next run of three or the row's end
        while i < n and i - start < 255:
            if i + 2 < n and indices[i] == indices[i + 1] == indices[i + 2]:
                break
            i += 1
        count = i - start
        if count < 3:
            for k in range(start, i):
                out += bytes((1, indices[k]))
        else:
            out += bytes((0, count)) + bytes(indices[start:i]) + (b'\0' if count % 2 else b'')
    return out + b'\0\0'


def block(data):
    text = data.hex().upper()
    return '\n'.join(text[i:i + 64] for i in range(0, len(text), 64))


if __name__ == '__main__':
    name = sys.argv[1]
    if name == 'practice':  # Image.Data of the animator: its size, then the GIF file
        data = practice()
        print(block(struct.pack('<i', len(data)) + data))
        sys.exit(0)
    if name in BACKGROUNDS:  # Picture.Data of a window's image
        data = palette_bmp(BACKGROUNDS[name]())
        print(block(bytes((7,)) + b'TBitmap' + struct.pack('<i', len(data)) + data))
        sys.exit(0)
    width, height, pixel = PICTURES[name]
    data = bmp(width, height, pixel)
    if name in ('titlebar', 'about'):  # Picture.Data: the graphic's class, then its data
        data = bytes((7,)) + b'TBitmap' + struct.pack('<i', len(data)) + data
    else:  # a TBitmap property: its size, then the bitmap file
        data = struct.pack('<i', len(data)) + data
    print(block(data))
