#!/usr/bin/env python3
"""Draws the name dialog's button faces and the application icon as XPM files.

Run from this folder; the XPM files it writes are the ones compiled into the program.
Buttons are 72x40 with 16 colours at most: a light grey face with a black outline, the symbol
on the left and the word on the right. U raised, D pressed (content one pixel down and right,
dotted focus rectangle), F raised with the focus rectangle, X the symbol and word as grey
embossed outlines.
"""

W, H = 72, 40
PALETTE = {
    '.': '#C0C0C0', 'k': '#000000', 'w': '#FFFFFF', 'd': '#808080',
    'g': '#008000', 'G': '#00C000', 'r': '#C00000', 'R': '#FF0000',
    'b': '#000080', 'y': '#FFFF00', 'c': '#008080', ' ': 'None',
}

# 5x7 letters for the two words.
FONT = {
    'O': ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    'K': ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
    'C': ["01110", "10001", "10000", "10000", "10000", "10001", "01110"],
    'a': ["00000", "00000", "01110", "00001", "01111", "10001", "01111"],
    'n': ["00000", "00000", "10110", "11001", "10001", "10001", "10001"],
    'c': ["00000", "00000", "01110", "10000", "10000", "10001", "01110"],
    'e': ["00000", "00000", "01110", "10001", "11111", "10000", "01110"],
    'l': ["01100", "00100", "00100", "00100", "00100", "00100", "01110"],
}


def blank(w, h, fill='.'):
    return [[fill] * w for _ in range(h)]


def put(img, x, y, c):
    if 0 <= y < len(img) and 0 <= x < len(img[0]):
        img[y][x] = c


def frame(img, pressed):
    w, h = len(img[0]), len(img)
    for x in range(w):
        put(img, x, 0, 'k')
        put(img, x, h - 1, 'k')
    for y in range(h):
        put(img, 0, y, 'k')
        put(img, w - 1, y, 'k')
    hi, lo = ('d', '.') if pressed else ('w', 'd')
    for x in range(1, w - 1):
        put(img, x, 1, hi)
        put(img, x, h - 2, lo)
    for y in range(1, h - 1):
        put(img, 1, y, hi)
        put(img, w - 2, y, lo)


def focus_rect(img):
    w, h = len(img[0]), len(img)
    for x in range(4, w - 4, 2):
        put(img, x, 4, 'k')
        put(img, x, h - 5, 'k')
    for y in range(4, h - 4, 2):
        put(img, 4, y, 'k')
        put(img, w - 5, y, 'k')


def check_points(ox, oy):
    pts = []
    for i in range(6):  # short stroke down to the right
        pts += [(ox + i, oy + 10 + i), (ox + i, oy + 11 + i), (ox + i + 1, oy + 10 + i)]
    for i in range(12):  # long stroke up to the right
        pts += [(ox + 6 + i, oy + 15 - i), (ox + 6 + i, oy + 16 - i), (ox + 7 + i, oy + 15 - i)]
    return pts


def cross_points(ox, oy):
    pts = []
    for i in range(14):
        for t in range(3):
            pts += [(ox + i + t, oy + 2 + i), (ox + 13 - i + t, oy + 2 + i)]
    return pts


def word_points(text, ox, oy, scale=1):
    pts = []
    x = ox
    for ch in text:
        glyph = FONT[ch]
        for gy, row in enumerate(glyph):
            for gx, bit in enumerate(row):
                if bit == '1':
                    for sx in range(scale):
                        for sy in range(scale):
                            pts.append((x + gx * scale + sx, oy + gy * scale + sy))
        x += 6 * scale
    return pts


def draw(img, pts, colour, dx=0, dy=0):
    for x, y in pts:
        put(img, x + dx, y + dy, colour)


def embossed(img, pts):
    # Grey outline: white one pixel down-right, grey shape on top, no colour.
    s = set(pts)
    for x, y in s:
        put(img, x + 1, y + 1, 'w')
    for x, y in s:
        put(img, x, y, 'd')


def button(kind, state):
    img = blank(W, H)
    pressed = state == 'D'
    frame(img, pressed)
    off = 1 if pressed else 0
    if kind == 'OK':
        sym, word = check_points(9, 8), word_points("OK", 38, 13, 2)
        sym_colour = 'g'
    else:
        sym, word = cross_points(7, 11), word_points("Cancel", 29, 17, 1)
        sym_colour = 'r'
    if state == 'X':
        embossed(img, sym)
        embossed(img, word)
    else:
        draw(img, sym, sym_colour, off, off)
        draw(img, word, 'k', off, off)
    if state in ('D', 'F'):
        focus_rect(img)
    return img


def icon(size):
    img = blank(size, size, ' ')
    s = size / 32.0
    # A loudspeaker cabinet: dark frame, grey front, two cones, and a blue badge.
    for y in range(int(2 * s), int(30 * s)):
        for x in range(int(6 * s), int(26 * s)):
            edge = y in (int(2 * s), int(30 * s) - 1) or x in (int(6 * s), int(26 * s) - 1)
            put(img, x, y, 'k' if edge else '.')

    def cone(cx, cy, r, colour):
        for y in range(size):
            for x in range(size):
                d2 = (x - cx) ** 2 + (y - cy) ** 2
                if d2 <= r * r:
                    put(img, x, y, 'k' if d2 > (r - 1) ** 2 else colour)

    cone(16 * s, 10 * s, 5 * s, 'd')
    cone(16 * s, 10 * s, 2 * s, 'k')
    cone(16 * s, 22 * s, 6 * s, 'd')
    cone(16 * s, 22 * s, 2.5 * s, 'k')
    return img


def write_xpm(name, img):
    used = sorted({c for row in img for c in row})
    assert len(used) <= 16, name
    h, w = len(img), len(img[0])
    lines = ['/* XPM */', 'static const char* %s[] = {' % name.lower(),
             '"%d %d %d 1",' % (w, h, len(used))]
    lines += ['"%s c %s",' % (c, PALETTE[c]) for c in used]
    lines += ['"%s"%s' % (''.join(row), ',' if i < h - 1 else '') for i, row in enumerate(img)]
    lines.append('};')
    with open(name + '.xpm', 'w') as f:
        f.write('\n'.join(lines) + '\n')


if __name__ == '__main__':
    for st in 'UDFX':
        write_xpm('OK' + st, button('OK', st))
    for st in 'UD':
        write_xpm('CANCEL' + st, button('CANCEL', st))
    write_xpm('ICON32', icon(32))
    write_xpm('ICON16', icon(16))
