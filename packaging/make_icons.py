#!/usr/bin/env python3
"""Draws the menu icons of the installed program from its window icon.

    packaging/make_icons.py [OUT_DIR]      (default: packaging/icons)

16 and 32 pixels are the window icon itself (ui/images/ICON16.xpm and ICON32.xpm, drawn by
ui/images/make_images.py). 48, 64 and 128 pixels and the scalable SVG are the same design
(a loudspeaker cabinet with two cones) drawn as shapes on the icon's 32-pixel grid, the PNGs
smoothed by 4x4 sampling. Only the standard library is used, and the output is the same on
every run, so the committed files can be checked against it.
"""

import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
IMAGES = os.path.join(HERE, '..', 'ui', 'images')
NAME = 'org.vrx3km.Vrx3km'

# The design on the 32-pixel grid, painted in order: ('rect', x0, y0, x1, y1, colour) or
# ('circle', cx, cy, r, colour). Pixel (x, y) of the XPM covers [x, x+1] x [y, y+1].
SHAPES = [
    ('rect', 6, 2, 26, 30, '#000000'),        # the cabinet's outline
    ('rect', 7, 3, 25, 29, '#C0C0C0'),        # its grey front
    ('circle', 16.5, 10.5, 5.5, '#000000'),   # the upper cone: rim, cone, centre
    ('circle', 16.5, 10.5, 4.5, '#808080'),
    ('circle', 16.5, 10.5, 2.5, '#000000'),
    ('circle', 16.5, 22.5, 6.5, '#000000'),   # the lower cone
    ('circle', 16.5, 22.5, 5.5, '#808080'),
    ('circle', 16.5, 22.5, 3.0, '#000000'),
]


def rgb(colour):
    return tuple(int(colour[i:i + 2], 16) for i in (1, 3, 5))


def read_xpm(path):
    """Returns the XPM's pixels as rows of (r, g, b, a)."""
    with open(path) as f:
        strings = [line.split('"')[1] for line in f if line.startswith('"')]
    w, h, ncolours, cpp = (int(v) for v in strings[0].split())
    colours = {}
    for entry in strings[1:1 + ncolours]:
        key, value = entry[:cpp], entry[cpp:].split()[-1]
        colours[key] = (0, 0, 0, 0) if value == 'None' else rgb(value) + (255,)
    rows = strings[1 + ncolours:1 + ncolours + h]
    return [[colours[row[x * cpp:(x + 1) * cpp]] for x in range(w)] for row in rows]


def shape_colour(x, y):
    """The colour of the design at a point of the 32-unit grid, or None outside it."""
    found = None
    for shape in SHAPES:
        if shape[0] == 'rect':
            _, x0, y0, x1, y1, colour = shape
            if x0 <= x < x1 and y0 <= y < y1:
                found = colour
        else:
            _, cx, cy, r, colour = shape
            if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                found = colour
    return found


def draw(size, samples=4):
    scale = 32.0 / size
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = covered = 0
            for sy in range(samples):
                for sx in range(samples):
                    colour = shape_colour((px + (sx + 0.5) / samples) * scale,
                                          (py + (sy + 0.5) / samples) * scale)
                    if colour:
                        cr, cg, cb = rgb(colour)
                        r, g, b, covered = r + cr, g + cg, b + cb, covered + 1
            if covered:
                row.append((r // covered, g // covered, b // covered,
                            255 * covered // (samples * samples)))
            else:
                row.append((0, 0, 0, 0))
        pixels.append(row)
    return pixels


def png(pixels):
    h, w = len(pixels), len(pixels[0])
    raw = b''.join(b'\0' + bytes(v for p in row for v in p) for row in pixels)

    def chunk(kind, data):
        return (struct.pack('>I', len(data)) + kind + data +
                struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def svg():
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             '<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" '
             'viewBox="0 0 32 32">']
    for shape in SHAPES:
        if shape[0] == 'rect':
            _, x0, y0, x1, y1, colour = shape
            lines.append('  <rect x="%g" y="%g" width="%g" height="%g" fill="%s"/>' %
                         (x0, y0, x1 - x0, y1 - y0, colour))
        else:
            _, cx, cy, r, colour = shape
            lines.append('  <circle cx="%g" cy="%g" r="%g" fill="%s"/>' % (cx, cy, r, colour))
    lines.append('</svg>')
    return '\n'.join(lines) + '\n'


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, 'icons')
    images = {16: read_xpm(os.path.join(IMAGES, 'ICON16.xpm')),
              32: read_xpm(os.path.join(IMAGES, 'ICON32.xpm'))}
    for size in (16, 32, 48, 64, 128):
        folder = os.path.join(out, '%dx%d' % (size, size))
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, NAME + '.png'), 'wb') as f:
            f.write(png(images[size] if size in images else draw(size)))
    folder = os.path.join(out, 'scalable')
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, NAME + '.svg'), 'w') as f:
        f.write(svg())


if __name__ == '__main__':
    main()
