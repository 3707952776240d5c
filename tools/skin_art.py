"""Shapes for the skin's pictures: anti-aliased coverage of simple figures, layered into
straight-alpha pixels and written as PNG strips (frames side by side).  Shapes are given in
skin units; a scale above 1 draws them with more pixels per unit (a picture for a screen at
more than 96 DPI), sampled afresh rather than resampled."""
import math
import struct
import zlib


def coverage(w, h, fn, samples=4, scale=1):
    """Per-pixel coverage in [0, 1] of fn(x, y) -> bool over w x h pixels, x and y in units
    of scale pixels."""
    img = []
    for py in range(h):
        row = []
        for px in range(w):
            hit = 0
            for sy in range(samples):
                for sx in range(samples):
                    hit += fn((px + (sx + 0.5) / samples) / scale, (py + (sy + 0.5) / samples) / scale)
            row.append(hit / (samples * samples))
        img.append(row)
    return img


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r, width):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) <= width / 2


def box(x0, y0, x1, y1, r=0.0):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def triangle(ax, ay, bx, by, cx, cy):
    def side(x, y, px, py, qx, qy):
        return (qx - px) * (y - py) - (qy - py) * (x - px)

    def inside(x, y):
        d1, d2, d3 = side(x, y, ax, ay, bx, by), side(x, y, bx, by, cx, cy), side(x, y, cx, cy, ax, ay)
        return not ((d1 < 0 or d2 < 0 or d3 < 0) and (d1 > 0 or d2 > 0 or d3 > 0))
    return inside


def segment(ax, ay, bx, by, width):
    def inside(x, y):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        return math.hypot(x - ax - t * dx, y - ay - t * dy) <= width / 2
    return inside


def scaled(size, scale):
    """A size in units as whole pixels at scale."""
    return int(round(size * scale))


def paint(w, h, layers, scale=1):
    """layers: (rgb, shape) from bottom to top, over w x h pixels; returns rows of (r, g, b, a)."""
    pixels = [[(0, 0, 0, 0.0)] * w for _ in range(h)]
    for colour, shape in layers:
        cov = coverage(w, h, shape, scale=scale)
        for y in range(h):
            for x in range(w):
                a = cov[y][x]
                if a == 0:
                    continue
                r, g, b, da = pixels[y][x]
                out_a = a + da * (1 - a)
                mix = lambda c, d: (c * a + d * da * (1 - a)) / out_a
                pixels[y][x] = (mix(colour[0], r), mix(colour[1], g), mix(colour[2], b), out_a)
    return pixels


def write_png(path, w, h, pixels):
    raw = b"".join(b"\0" + b"".join(struct.pack("BBBB", int(round(r)), int(round(g)), int(round(b)),
                                                int(round(a * 255))) for r, g, b, a in pixels[y])
                   for y in range(h))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
    data += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(data)


def write_strip(path, w, h, frames, scale=1):
    """frames: one layer list per frame, each w by h units; written side by side, each frame
    w * scale by h * scale pixels (rounded), so that frames stay an equal division."""
    pw, ph = scaled(w, scale), scaled(h, scale)
    painted = [paint(pw, ph, layers, scale) for layers in frames]
    rows = [sum((p[y] for p in painted), []) for y in range(ph)]
    write_png(path, pw * len(frames), ph, rows)
