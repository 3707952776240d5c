#!/usr/bin/env python3
"""Draws the default skin's pictures into a folder: images/phone.png (the program's phone
with its sound wave, straight alpha) and images/panel.bmp (a 24-bit picture whose white
background the engine makes transparent).  usage: make_skin_images.py <out folder>"""
import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_icon import render  # noqa: E402


def png(path, size, pixels):
    raw = b""
    for y in range(size):
        raw += b"\0" + b"".join(struct.pack("BBBB", int(round(r)), int(round(g)), int(round(b)),
                                            int(round(a * 255))) for r, g, b, a in pixels[y])

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
    data += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(data)


def bmp24(path, w, h, pixel):
    pitch = (w * 3 + 3) & ~3
    rows = b""
    for y in reversed(range(h)):
        row = b"".join(struct.pack("BBB", *reversed(pixel(x, y))) for x in range(w))
        rows += row + b"\0" * (pitch - len(row))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(rows), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + rows)


def panel_pixel(x, y):
    """A dashed frame for the drop area on white (white becomes transparent)."""
    w, h = 300, 110
    edge = x < 3 or y < 3 or x >= w - 3 or y >= h - 3
    if edge and ((x + y) // 10) % 2 == 0:
        return (120, 200, 255)
    return (255, 255, 255)


def main(out):
    os.makedirs(os.path.join(out, "images"), exist_ok=True)
    png(os.path.join(out, "images", "phone.png"), 128, render(128))
    bmp24(os.path.join(out, "images", "panel.bmp"), 300, 110, panel_pixel)


if __name__ == "__main__":
    main(sys.argv[1])
