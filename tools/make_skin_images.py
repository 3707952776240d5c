#!/usr/bin/env python3
"""Draws the default skin's pictures into a folder (straight-alpha PNG strips, frames side by
side in the order the controls pick them: normal, hover, pressed, disabled; a check box's
checked frames first), each at 1x ("images/play.png") and for 150 % screens at 1.5x
("images/play@1.5x.png", which the engine prefers at 144 DPI).
usage: make_skin_images.py <out folder>"""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_icon import render  # noqa: E402
from skin_art import box, circle, ring, scaled, segment, triangle, write_png, write_strip  # noqa: E402

ACCENT = (255, 160, 40)
ACCENT_HOVER = (255, 184, 80)
ACCENT_PRESSED = (224, 136, 16)
PANEL = (46, 58, 74)
PANEL_HOVER = (58, 72, 92)
PANEL_PRESSED = (38, 49, 64)
GREY = (96, 104, 116)
INK = (30, 37, 48)
TEXT = (232, 238, 244)
DANGER = (200, 69, 58)


def play_frames(size=96):
    """The sound control: playing (a pause sign on the accent disc), then stopped (a play sign
    in an accent ring)."""
    c, r = size / 2, size / 2 - 2
    frames = []
    for disc in (ACCENT, ACCENT_HOVER, ACCENT_PRESSED, GREY):
        bar = 0.09 * size
        frames.append([(disc, circle(c, c, r)),
                       (INK, box(c - 2.2 * bar, c - 2.6 * bar, c - 0.8 * bar, c + 2.6 * bar, 2)),
                       (INK, box(c + 0.8 * bar, c - 2.6 * bar, c + 2.2 * bar, c + 2.6 * bar, 2))])
    for disc, mark in ((PANEL, ACCENT), (PANEL_HOVER, ACCENT_HOVER), (PANEL_PRESSED, ACCENT_PRESSED),
                       (PANEL, GREY)):
        t = 0.22 * size
        frames.append([(disc, circle(c, c, r)), (mark, ring(c, c, r - 2, 4)),
                       (mark, triangle(c - 0.7 * t, c - t, c - 0.7 * t, c + t, c + 1.1 * t, c))])
    return frames


def icon_frames(size, glyph, hot=PANEL_HOVER):
    """A small window button: the glyph on nothing, on a hover square, on a pressed square, and
    greyed."""
    back = lambda colour: (colour, box(1, 1, size - 1, size - 1, 4))
    return [glyph(TEXT), [back(hot)] + glyph(TEXT), [back(PANEL_PRESSED)] + glyph(TEXT), glyph(GREY)]


def menu_glyph(s):
    return lambda ink: [(ink, box(s * 0.25, s * y - 1, s * 0.75, s * y + 1, 1)) for y in (0.32, 0.5, 0.68)]


def minimize_glyph(s):
    return lambda ink: [(ink, box(s * 0.28, s * 0.62, s * 0.72, s * 0.62 + 2, 1))]


def close_glyph(s):
    a, b = s * 0.3, s * 0.7
    return lambda ink: [(ink, segment(a, a, b, b, 2)), (ink, segment(a, b, b, a, 2))]


def tab_frames(w, h):
    """A page tab: checked frames carry the accent underline; an unchecked tab shows hover by
    its text colour alone, so that it never looks chosen."""
    line = lambda colour: [(colour, box(8, h - 3, w - 8, h, 1))]
    checked = [line(ACCENT), line(ACCENT_HOVER), line(ACCENT_PRESSED), line(GREY)]
    unchecked = [[], [], line(PANEL_PRESSED), []]
    return checked + unchecked


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


def panel_pixel(w, h, scale=1):
    """A dashed frame for the drop area on white (white becomes transparent); w and h in
    pixels, the frame's width and dashes in units."""
    edge_width, dash = 2 * scale, 8 * scale

    def pixel(x, y):
        edge = x < edge_width or y < edge_width or x >= w - edge_width or y >= h - edge_width
        if edge and int((x + y) // dash) % 2 == 0:
            return (120, 200, 255)
        return (255, 255, 255)
    return pixel


SCALES = ((1, ""), (1.5, "@1.5x"))


def draw(images, scale, suffix):
    path = lambda name, ext: os.path.join(images, name + suffix + ext)
    for name, size in (("phone", 128), ("phone64", 64)):
        px = scaled(size, scale)
        write_png(path(name, ".png"), px, px, render(px))
    pw, ph = scaled(340, scale), scaled(64, scale)
    bmp24(path("panel", ".bmp"), pw, ph, panel_pixel(pw, ph, scale))
    write_strip(path("play", ".png"), 96, 96, play_frames(), scale)
    write_strip(path("menu", ".png"), 24, 24, icon_frames(24, menu_glyph(24)), scale)
    write_strip(path("minimize", ".png"), 24, 24, icon_frames(24, minimize_glyph(24)), scale)
    write_strip(path("close", ".png"), 24, 24, icon_frames(24, close_glyph(24), DANGER), scale)
    write_strip(path("remove", ".png"), 18, 18, icon_frames(18, close_glyph(18), DANGER), scale)
    write_strip(path("tab", ".png"), 110, 30, tab_frames(110, 30), scale)


def main(out):
    images = os.path.join(out, "images")
    os.makedirs(images, exist_ok=True)
    for scale, suffix in SCALES:
        draw(images, scale, suffix)


if __name__ == "__main__":
    main(sys.argv[1])
