#!/usr/bin/env python3
"""Draws the program's icon (a phone sending a sound wave) at 16, 32 and 48 pixels and writes
it as a Windows .ico with 32-bit alpha images.  usage: make_icon.py <out.ico>"""
import math
import struct
import sys

BODY = (40, 44, 52)       # phone body
SCREEN = (92, 190, 240)   # screen
WAVE = (255, 160, 40)     # sound wave


def coverage(size, fn, samples=4):
    """Anti-aliased coverage of a shape given by fn(x, y) -> bool, in [0, 1] per pixel."""
    img = []
    for py in range(size):
        row = []
        for px in range(size):
            hit = 0
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) / size
                    y = (py + (sy + 0.5) / samples) / size
                    hit += fn(x, y)
            row.append(hit / (samples * samples))
        img.append(row)
    return img


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def arc(cx, cy, radius, width, half_angle):
    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        a = math.atan2(y - cy, x - cx)
        return abs(d - radius) <= width / 2 and abs(a) <= half_angle
    return inside


def render(size):
    layers = [
        (BODY, rounded_rect(0.12, 0.04, 0.58, 0.96, 0.08)),
        (SCREEN, rounded_rect(0.17, 0.13, 0.53, 0.80, 0.02)),
        (BODY, rounded_rect(0.30, 0.85, 0.40, 0.90, 0.02)),
        (WAVE, arc(0.55, 0.47, 0.16, 0.07, 0.9)),
        (WAVE, arc(0.55, 0.47, 0.30, 0.07, 0.8)),
    ]
    pixels = [[(0, 0, 0, 0.0)] * size for _ in range(size)]
    for colour, shape in layers:
        cov = coverage(size, shape)
        for y in range(size):
            for x in range(size):
                a = cov[y][x]
                if a == 0:
                    continue
                r, g, b, da = pixels[y][x]
                out_a = a + da * (1 - a)
                mix = lambda c, d: (c * a + d * da * (1 - a)) / out_a
                pixels[y][x] = (mix(colour[0], r), mix(colour[1], g), mix(colour[2], b), out_a)
    return pixels


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
