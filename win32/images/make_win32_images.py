#!/usr/bin/env python3
"""Turns the window's XPM images into the Windows resources of vrx3km.exe.

Reads ui/images/*.xpm (drawn by ui/images/make_images.py) and writes, beside this script:
- OKU.bmp, OKD.bmp, OKF.bmp, OKX.bmp, CANCELU.bmp, CANCELD.bmp: the name dialog's button faces,
  4 bits per pixel (16 colours), bottom-up, with a palette of the image's own colours;
- vrx3km.ico: the application icon, a 32 by 32 and a 16 by 16 image of 16 colours each, where
  the XPM's "None" pixels are transparent (set in the icon's mask).

The files it writes are committed; run it again after the XPM files change:
    python3 win32/images/make_win32_images.py
`--check` only compares: it exits 1 and names the files that differ from what it would write.
"""

import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
XPM_DIR = os.path.join(HERE, '..', '..', 'ui', 'images')
BUTTONS = ['OKU', 'OKD', 'OKF', 'OKX', 'CANCELU', 'CANCELD']
ICONS = ['ICON32', 'ICON16']
TRANSPARENT = None


def read_xpm(name):
    """Returns (width, height, rows of colours), a colour being (r, g, b) or None."""
    with open(os.path.join(XPM_DIR, name + '.xpm'), encoding='ascii') as f:
        strings = []
        for line in f:
            line = line.strip()
            if line.startswith('"'):
                strings.append(line[1:line.rindex('"')])
    width, height, ncolors, cpp = (int(v) for v in strings[0].split()[:4])
    colours = {}
    for entry in strings[1:1 + ncolors]:
        key, rest = entry[:cpp], entry[cpp:].split()
        value = rest[rest.index('c') + 1]
        if value.lower() == 'none':
            colours[key] = TRANSPARENT
        else:
            colours[key] = tuple(int(value[i:i + 2], 16) for i in (1, 3, 5))
    rows = []
    for text in strings[1 + ncolors:1 + ncolors + height]:
        rows.append([colours[text[i:i + cpp]] for i in range(0, width * cpp, cpp)])
    return width, height, rows


def palette_of(rows, fill):
    """The image's colours in order of first use (transparent pixels drawn as fill)."""
    palette = []
    for row in rows:
        for c in row:
            c = fill if c is TRANSPARENT else c
            if c not in palette:
                palette.append(c)
    if len(palette) > 16:
        raise SystemExit('more than 16 colours')
    return palette + [(0, 0, 0)] * (16 - len(palette))


def pixels_4bpp(width, height, rows, palette, fill):
    """Bottom-up rows of 4-bit indices, each padded to 4 bytes."""
    stride = ((width * 4 + 31) // 32) * 4
    data = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, c in enumerate(row):
            index = palette.index(fill if c is TRANSPARENT else c)
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
        data += line
    return bytes(data)


def mask_1bpp(width, height, rows):
    """Bottom-up AND mask: 1 where the pixel is transparent."""
    stride = ((width + 31) // 32) * 4
    data = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, c in enumerate(row):
            if c is TRANSPARENT:
                line[x // 8] |= 0x80 >> (x % 8)
        data += line
    return bytes(data)


def info_header(width, height, bits, image_size):
    return struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, 0, image_size, 0, 0, 16, 0)


def palette_bytes(palette):
    return b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in palette)


def bitmap_file(name):
    width, height, rows = read_xpm(name)
    face = (0xC0, 0xC0, 0xC0)
    palette = palette_of(rows, face)
    pixels = pixels_4bpp(width, height, rows, palette, face)
    body = info_header(width, height, 4, len(pixels)) + palette_bytes(palette)
    offset = 14 + len(body)
    return struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset) + body + pixels


def icon_file(names):
    images = []
    for name in names:
        width, height, rows = read_xpm(name)
        # Transparent pixels carry black in the colour image, as the mask expects.
        black = (0, 0, 0)
        palette = palette_of(rows, black)
        pixels = pixels_4bpp(width, height, rows, palette, black)
        mask = mask_1bpp(width, height, rows)
        # An icon's header counts the colour image and the mask: twice the height.
        images.append((width, height, info_header(width, height * 2, 4, len(pixels) + len(mask)) +
                       palette_bytes(palette) + pixels + mask))
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for width, height, data in images:
        out += struct.pack('<BBBBHHII', width, height, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b''.join(data for _, _, data in images)


def main():
    check = '--check' in sys.argv[1:]
    wanted = {name + '.bmp': bitmap_file(name) for name in BUTTONS}
    wanted['vrx3km.ico'] = icon_file(ICONS)
    stale = []
    for file_name, data in wanted.items():
        path = os.path.join(HERE, file_name)
        if check:
            try:
                with open(path, 'rb') as f:
                    if f.read() != data:
                        stale.append(file_name)
            except OSError:
                stale.append(file_name)
        else:
            with open(path, 'wb') as f:
                f.write(data)
    if stale:
        print('out of date, run win32/images/make_win32_images.py: ' + ' '.join(stale))
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
