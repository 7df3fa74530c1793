#!/usr/bin/env python3
"""Renders the enemies as the enemy window shows them, into one PNG.

    python3 tools/gen_res/preview.py [res-folder] [out.png]

Reads the .bmp files gen_res.py wrote. For each type: the cyan view, then
the red view OR-ed over it 4 pixels to the right, scaled to 204 x 204 with
nearest neighbour. The five pictures stand side by side, then the icon.
"""

import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_RES = os.path.normpath(os.path.join(HERE, '..', '..', 'res'))
SHOW = 204
OFFSET = 4
GAP = 8


def read_bmp(path):
    """Rows of (r, g, b), top first, of a 24-bit bottom-up .bmp file."""
    data = open(path, 'rb').read()
    offset = struct.unpack_from('<I', data, 10)[0]
    width, height = struct.unpack_from('<ii', data, 18)
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height):
        base = offset + (height - 1 - y) * stride
        rows.append([(data[base + 3 * x + 2], data[base + 3 * x + 1], data[base + 3 * x]) for x in range(width)])
    return rows


def scale(rows, size):
    h, w = len(rows), len(rows[0])
    return [[rows[y * h // size][x * w // size] for x in range(size)] for y in range(size)]


def stereo(red, cyan):
    """The cyan view with the red view OR-ed in, shifted right."""
    out = [list(row) for row in cyan]
    for y, row in enumerate(red):
        for x, (r, g, b) in enumerate(row):
            if x + OFFSET < SHOW:
                cr, cg, cb = out[y][x + OFFSET]
                out[y][x + OFFSET] = (cr | r, cg | g, cb | b)
    return out


def png(path, rows):
    h, w = len(rows), len(rows[0])
    raw = b''.join(b'\0' + bytes(c for px in row for c in px) for row in rows)

    def chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))
    with open(path, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0))
                + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def main():
    res = sys.argv[1] if len(sys.argv) > 1 else DEFAULT_RES
    out = sys.argv[2] if len(sys.argv) > 2 else 'enemies.png'
    sys.path.insert(0, HERE)
    import sprites
    pictures = []
    for t in range(5):
        red = scale(read_bmp(os.path.join(res, 'enemy%d_red.bmp' % t)), SHOW)
        cyan = scale(read_bmp(os.path.join(res, 'enemy%d_cyan.bmp' % t)), SHOW)
        pictures.append(stereo(red, cyan))
    grey = (40, 40, 40)
    icon = [[grey if i is None else sprites.ICON_PALETTE[i] for i in row] for row in sprites.icon_rows(32)]
    icon = scale(icon, 128)
    width = 6 * (SHOW + GAP) + GAP
    sheet = [[grey] * width for _ in range(SHOW + 2 * GAP)]
    for k, pic in enumerate(pictures + [icon]):
        x0 = GAP + k * (SHOW + GAP)
        for y, row in enumerate(pic):
            sheet[GAP + y][x0:x0 + len(row)] = row
    png(out, sheet)


if __name__ == '__main__':
    main()
