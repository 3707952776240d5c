#!/usr/bin/env python3
"""Draws the program's icon (a phone sending a sound wave) at 16, 32 and 48 pixels and writes
it as a Windows .ico with 32-bit alpha images.  usage: make_icon.py <out.ico>"""
import math
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from skin_art import box, paint  # noqa: E402

BODY = (40, 44, 52)       # phone body
SCREEN = (92, 190, 240)   # screen
WAVE = (255, 160, 40)     # sound wave


def arc(cx, cy, radius, width, half_angle):
    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        a = math.atan2(y - cy, x - cx)
        return abs(d - radius) <= width / 2 and abs(a) <= half_angle
    return inside


def render(size):
    """The icon at size pixels; its shapes are drawn in units of the icon's width."""
    unit = lambda shape: (lambda x, y: shape(x / size, y / size))
    layers = [
        (BODY, box(0.12, 0.04, 0.58, 0.96, 0.08)),
        (SCREEN, box(0.17, 0.13, 0.53, 0.80, 0.02)),
        (BODY, box(0.30, 0.85, 0.40, 0.90, 0.02)),
        (WAVE, arc(0.55, 0.47, 0.16, 0.07, 0.9)),
        (WAVE, arc(0.55, 0.47, 0.30, 0.07, 0.8)),
    ]
    return paint(size, size, [(colour, unit(shape)) for colour, shape in layers])


def dib(size, pixels):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    for y in reversed(range(size)):  # bottom-up
        rows.append(b"".join(struct.pack("BBBB", int(round(b)), int(round(g)), int(round(r)), int(round(a * 255)))
                             for r, g, b, a in pixels[y]))
    mask_row = ((size + 31) // 32) * 4
    return header + b"".join(rows) + b"\0" * (mask_row * size)


def main(out):
    sizes = [16, 32, 48]
    images = [dib(s, render(s)) for s in sizes]
    data = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, img in zip(sizes, images):
        data += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    with open(out, "wb") as f:
        f.write(data + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1])
