#!/usr/bin/env python3
"""Writes the program's artwork and sounds into res/.

    python3 tools/gen_res/gen_res.py [output-folder]

Outputs: enemyN_red.bmp and enemyN_cyan.bmp (N = 0..4), the fifteen .wav
sound effects and dorvan3d.ico. Python 3 standard library only; the same
sources give the same bytes on every run.
"""

import os
import struct
import sys

import sprites
import synth

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_OUT = os.path.normpath(os.path.join(HERE, '..', '..', 'res'))

PIXELS_PER_METRE = 2834   # 72 dots per inch


# --- bitmaps ------------------------------------------------------------------

def bmp_bytes(rows):
    """A 24-bit bottom-up BI_RGB .bmp file of the given rows of (r, g, b)."""
    height = len(rows)
    width = len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):           # bottom-up
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        pixels += line
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(pixels),
                       PIXELS_PER_METRE, PIXELS_PER_METRE, 0, 0)
    offset = 14 + len(info)
    header = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    return header + info + bytes(pixels)


# --- sounds -------------------------------------------------------------------

def pcm16(samples):
    out = bytearray()
    for s in samples:
        if isinstance(s, tuple):
            for c in s:
                out += struct.pack('<h', max(-32767, min(32767, round(c * 32767))))
        else:
            out += struct.pack('<h', max(-32767, min(32767, round(s * 32767))))
    return bytes(out)


def wav_mono(data, rate):
    """RIFF WAVE: a 16-byte fmt chunk followed directly by the data chunk."""
    fmt = struct.pack('<HHIIHH', 1, 1, rate, rate * 2, 2, 16)
    body = b'WAVE' + b'fmt ' + struct.pack('<I', len(fmt)) + fmt + b'data' + struct.pack('<I', len(data)) + data
    return b'RIFF' + struct.pack('<I', len(body)) + body


def wav_stereo_fact(data, rate):
    """RIFF WAVE: an 18-byte fmt chunk (cbSize 0), a fact chunk, then data."""
    frames = len(data) // 4
    fmt = struct.pack('<HHIIHHH', 1, 2, rate, rate * 4, 4, 16, 0)
    fact = struct.pack('<I', frames)
    body = (b'WAVE' + b'fmt ' + struct.pack('<I', len(fmt)) + fmt
            + b'fact' + struct.pack('<I', len(fact)) + fact
            + b'data' + struct.pack('<I', len(data)) + data)
    return b'RIFF' + struct.pack('<I', len(body)) + body


# (file name, data bytes, sound); all mono 22,050 Hz except the bat's screech.
SOUNDS = [
    ('enemyattack0.wav', 34796, synth.orbit_zap),
    ('enemyattack1.wav', 110288, synth.window_crash),
    ('enemyattack3.wav', 20440, synth.snake_hiss),
    ('enemyattack4.wav', 62890, synth.demon_roar),
    ('critical.wav', 24534, synth.critical_sting),
    ('magic.wav', 87824, synth.magic_fizzle),
    ('item.wav', 3478, synth.item_blip),
    ('playerattack.wav', 9644, synth.sword_slash),
    ('playerhurt.wav', 17002, synth.hurt_thud),
    ('enemyvanish.wav', 29484, synth.vanish_warble),
    ('playerdefeated.wav', 20472, synth.defeat_jingle),
    ('enemyhurt.wav', 15660, synth.enemy_crunch),
    ('miss.wav', 6512, synth.miss_whoosh),
    ('run.wav', 18476, synth.run_footsteps),
]
STEREO_SOUND = ('enemyattack2.wav', 139288, synth.bat_screech)


# --- icon ---------------------------------------------------------------------

def ico_image(size):
    """One 4-bpp icon image: BITMAPINFOHEADER, 16 colours, XOR and AND masks."""
    rows = sprites.icon_rows(size)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for row in reversed(rows):           # bottom-up, like any DIB
        line = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x, index in enumerate(row):
            value = 0 if index is None else index
            if x % 2 == 0:
                line[x // 2] |= value << 4
            else:
                line[x // 2] |= value
            if index is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += line
        mask += bits
    palette = b''.join(bytes((b, g, r, 0)) for r, g, b in sprites.ICON_PALETTE)
    # The height counts both masks.
    info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + palette + bytes(xor) + bytes(mask)


def ico_bytes(sizes):
    images = [ico_image(s) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return out + b''.join(images)


# --- main ---------------------------------------------------------------------

def write(folder, name, data):
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(data)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else DEFAULT_OUT
    os.makedirs(out, exist_ok=True)
    for t in range(5):
        write(out, 'enemy%d_red.bmp' % t, bmp_bytes(sprites.view(t, red=True)))
        write(out, 'enemy%d_cyan.bmp' % t, bmp_bytes(sprites.view(t, red=False)))
    rate = 22050
    for name, size, sound in SOUNDS:
        data = pcm16(sound(size // 2, rate))
        assert len(data) == size
        write(out, name, wav_mono(data, rate))
    name, size, sound = STEREO_SOUND
    data = pcm16(sound(size // 4, 44100))
    assert len(data) == size
    write(out, name, wav_stereo_fact(data, 44100))
    write(out, 'dorvan3d.ico', ico_bytes([16, 32]))


if __name__ == '__main__':
    main()
