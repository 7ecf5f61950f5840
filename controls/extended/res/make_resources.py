#!/usr/bin/env python3
"""Draws the extended controls' glyphs and cursors and writes them as BMP and CUR files.

Each picture is pixel art: one character a pixel, looked up in a colour table. Run it
again after changing a picture; the files it writes are committed beside it.
"""
import struct, os

HERE = os.path.dirname(os.path.abspath(__file__))
# The 16 colours of a 4-bit bitmap (the standard VGA order).
VGA = [(0,0,0),(128,0,0),(0,128,0),(128,128,0),(0,0,128),(128,0,128),(0,128,128),(192,192,192),
       (128,128,128),(255,0,0),(0,255,0),(255,255,0),(0,0,255),(255,0,255),(0,255,255),(255,255,255)]
# Characters of the pictures: '.' is the transparent magenta, the others plain colours.
KEYS = {'.': 13, 'k': 0, 'g': 8, 's': 7, 'w': 15, 'r': 9, 'G': 10, 'b': 12, 'n': 4, 'R': 1, 'y': 11}

def bmp4(rows):
    h, w = len(rows), len(rows[0])
    assert all(len(r) == w for r in rows), rows
    stride = ((w * 4 + 31) // 32) * 4
    data = b''
    for r in reversed(rows):
        line = bytearray(stride)
        for x, ch in enumerate(r):
            v = KEYS[ch]
            line[x // 2] |= v << 4 if x % 2 == 0 else v
        data += bytes(line)
    pal = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in VGA)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 4, 0, len(data), 2835, 2835, 16, 0)
    off = 14 + len(info) + len(pal)
    return struct.pack('<2sIHHI', b'BM', off + len(data), 0, 0, off) + info + pal + data

def cur(rows, hotspot):
    # 32 x 32 monochrome cursor: 'k' black, 'w' white, '.' transparent.
    h, w = len(rows), len(rows[0])
    assert (w, h) == (32, 32)
    xor = b''; andm = b''
    for r in reversed(rows):
        xb = bytearray(4); ab = bytearray(4)
        for x, ch in enumerate(r):
            bit = 0x80 >> (x % 8)
            if ch == '.': ab[x // 8] |= bit
            elif ch == 'w': xb[x // 8] |= bit
        xor += bytes(xb); andm += bytes(ab)
    info = struct.pack('<IiiHHIIiiII', 40, 32, 64, 1, 1, 0, len(xor) + len(andm), 0, 0, 2, 0)
    pal = struct.pack('<BBBBBBBB', 0, 0, 0, 0, 255, 255, 255, 0)
    image = info + pal + xor + andm
    head = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', 32, 32, 0, 0, hotspot[0], hotspot[1], len(image), 6 + 16)
    return head + entry + image

def pad(rows, w, h):
    rows = [r.ljust(w, '.') for r in rows]
    return rows + ['.' * w] * (h - len(rows))

def switch(on):
    # A rocker in a frame, 32 x 48: the lit half is up when on.
    rows = ['.' * 32] * 4
    rows += ['....' + 'k' * 24 + '....']
    for y in range(38):
        inner = ['s'] * 21
        lever_top = y < 19
        lit = lever_top == on
        for x in range(21):
            if 2 <= x < 19 and 2 <= y < 36:
                inner[x] = ('G' if on else 'r') if lit else 'g'
        if 2 <= y < 36 and (y == 18 or y == 19):
            inner = ['k' if 2 <= x < 19 else c for x, c in enumerate(inner)]
        rows.append('....kw' + ''.join(inner) + 'k....')
    rows += ['....' + 'k' * 24 + '....']
    return pad(rows, 32, 48)

CALC = [
    'kkkkkkkkkk',
    'kwwwwwwwwk',
    'kwbbbbbbwk',
    'kwwwwwwwwk',
    'kwkwkwkwwk',
    'kwwwwwwwwk',
    'kwkwkwkwwk',
    'kwwwwwwwwk',
    'kwkwkwkwwk',
    'kkkkkkkkkk',
]
DATE = [
    'kkkkkkkkkkk',
    'krrrrrrrrrk',
    'kwwwwwwwwwk',
    'kwkwkwkwkwk',
    'kwwwwwwwwwk',
    'kwkwkwkwkwk',
    'kwwwwwwwwwk',
    'kwkwkwkwkwk',
    'kwwwwwwwwwk',
    'kkkkkkkkkkk',
]

def framed(rows, width):
    # A transparent border, so that the bottom-left pixel (the key colour) is transparent.
    rows = ['.' + r.ljust(width - 2, '.') + '.' for r in rows]
    return ['.' * width] + rows + ['.' * width]

def grey(rows):
    return [''.join('g' if c == 'k' else ('.' if c == '.' else 's') for c in r) for r in rows]

def strip(*cells):
    return [''.join(c[y] for c in cells) for y in range(len(cells[0]))]

def arrow(double, left):
    one = ['....k', '...kk', '..kkk', '.kkkk', '..kkk', '...kk', '....k']
    rows = [r + ('.' + r if double else '') for r in one]
    rows = [r.ljust(10 if double else 5, '.') for r in rows]
    rows = rows if left else [r[::-1] for r in rows]
    # A transparent column on each side keeps the bottom-left pixel transparent.
    return ['.' + r + '.' for r in rows]

def calcbtns():
    w = 16
    def cell(lines):
        return pad([l.center(w, '.') for l in lines], w, 13)
    cancel = cell(['', 'r.....r', '.r...r.', '..r.r..', '...r...', '..r.r..', '.r...r.', 'r.....r'])
    ok = cell(['', '......G', '.....GG', 'G...GG.', 'GG.GG..', '.GGG...', '..G....'])
    sign = cell(['', '...k...', '..kkk..', '...k...', '.......', '.kkkkk.', '', '.kkkkk.'])
    mul = cell(['', '.k...k.', '..k.k..', '...k...', '..k.k..', '.k...k.'])
    sub = cell(['', '', '', '.kkkkk.'])
    add = cell(['', '...k...', '...k...', '.kkkkk.', '...k...', '...k...'])
    return strip(cancel, ok, sign, mul, sub, add)

HAND = pad([
    '.....kk', '....kwwk', '....kwwk', '....kwwk', '....kwwkkk', '....kwwkwwkkk',
    '.kk.kwwkwwkwwkk', 'kwwkkwwkwwkwwkwk', 'kwwwkwwwwwwwwkwk', '.kwwkwwwwwwwwwwk',
    '..kwwwwwwwwwwwwk', '..kwwwwwwwwwwwwk', '...kwwwwwwwwwwk', '...kwwwwwwwwwwk',
    '....kwwwwwwwwk', '....kwwwwwwwwk', '....kkkkkkkkkk'], 32, 32)
DRAG = pad([
    '....kk.kk.kk', '...kwwkwwkwwk', '...kwwkwwkwwkk', '...kwwkwwkwwkwk', '.kkkwwwwwwwwkwk',
    'kwwkwwwwwwwwwwk', 'kwwwwwwwwwwwwwk', '.kwwwwwwwwwwwwk', '..kwwwwwwwwwwwk',
    '..kwwwwwwwwwwk', '...kwwwwwwwwwk', '...kwwwwwwwwk', '....kkkkkkkkk'], 32, 32)

def write(name, data):
    with open(os.path.join(HERE, name), 'wb') as f:
        f.write(data)

write('switch_off.bmp', bmp4(switch(False)))
write('switch_on.bmp', bmp4(switch(True)))
CALC = framed(CALC, 12)
DATE = framed(DATE, 13)[:12]
write('ceditbmp.bmp', bmp4(strip(CALC, grey(CALC))))
write('deditbmp.bmp', bmp4(strip(DATE, grey(DATE))))
write('prev2.bmp', bmp4(arrow(True, True)))
write('prev1.bmp', bmp4(arrow(False, True)))
write('next1.bmp', bmp4(arrow(False, False)))
write('next2.bmp', bmp4(arrow(True, False)))
write('calcbtns.bmp', bmp4(calcbtns()))
write('hand.cur', cur(HAND, (6, 1)))
write('drag.cur', cur(DRAG, (7, 4)))
