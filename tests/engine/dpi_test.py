#!/usr/bin/env python3
"""Runs skins/dpi at 144 DPI (150 %) in a Wine prefix of its own and reads chosen pixels of the
screen.  dpi_test.py <skinrun.exe> <source root>"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

skinrun, root = sys.argv[1:3]
RED, GREEN, BLUE, YELLOW, MAGENTA = (255, 0, 0), (0, 200, 0), (0, 0, 255), (255, 255, 0), (255, 0, 255)
BACKGROUND = (0x20, 0x30, 0x40)


def png(path, w, h, pixel):
    raw = b"".join(b"\0" + b"".join(bytes(pixel(x, y) + (255,)) for x in range(w)) for y in range(h))
    chunk = lambda kind, data: (struct.pack(">I", len(data)) + kind + data +
                                struct.pack(">I", zlib.crc32(kind + data)))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)) +
                chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def pictures(img):
    os.makedirs(img)
    png(os.path.join(img, "mark.png"), 20, 20, lambda x, y: GREEN)
    png(os.path.join(img, "mark@1.5x.png"), 30, 30, lambda x, y: BLUE)  # only the variant is blue
    png(os.path.join(img, "wide.png"), 20, 10, lambda x, y: YELLOW if x < 10 else MAGENTA)
    png(os.path.join(img, "strip.png"), 40, 10, lambda x, y: (RED, GREEN, BLUE, YELLOW)[x // 10])
    png(os.path.join(img, "frame.png"), 20, 20, lambda x, y: RED if min(x, y, 19 - x, 19 - y) < 5 else BLUE)


def run(prefix, package):
    """The skin's stderr and exit code, and the screen's top-left 320 x 200 once it is ready."""
    proc = subprocess.Popen(["wine", skinrun, "Z:" + package.replace("/", "\\")], stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            env=dict(os.environ, WINEPREFIX=prefix))
    raw = b""
    for line in proc.stdout:
        if line.strip() == b"ready":
            shot = ["import", "-window", "root", "-crop", "320x200+0+0", "+repage", "-depth", "8", "rgb:-"]
            raw = subprocess.run(shot, capture_output=True, check=True, timeout=30).stdout
    err = proc.stderr.read().decode("utf-8", "replace")
    return err, proc.wait(timeout=60), lambda x, y: tuple(raw[(y * 320 + x) * 3:(y * 320 + x) * 3 + 3])


def near(a, b):
    return len(a) == 3 and all(abs(p - q) <= 40 for p, q in zip(a, b))


def checks(pixel):
    # "H" in a 20-unit font: about 14 pixels tall at 96 DPI, 21 at 144.
    rows = [y for y in range(75, 135) if any(sum(pixel(x, y)) > 600 for x in range(30, 90))]
    yield rows and rows[-1] - rows[0] >= 18, "text at the larger size (%s)" % (rows and rows[-1] - rows[0])
    yield pixel(298, 178) == BACKGROUND and pixel(303, 100) != BACKGROUND, "the window is 300 x 180"
    yield pixel(31, 31) == RED and pixel(88, 58) == RED and pixel(92, 45) == BACKGROUND, "a rect at 1.5x"
    yield pixel(135, 45) == BLUE, "mark@1.5x.png drawn instead of mark.png"
    yield near(pixel(167, 37), YELLOW) and near(pixel(193, 43), MAGENTA), "a picture scaled to 1.5x"
    yield near(pixel(217, 37), RED) and near(pixel(223, 43), RED), "a strip frame over 15 x 15"
    yield near(pixel(247, 37), GREEN), "src in the picture's own pixels"
    # The grid lines follow the picture (5 -> 8): blue 10 pixels in, where lines left at 5
    # would stretch the rest of the red edge.
    yield near(pixel(126, 105), RED) and near(pixel(130, 105), BLUE), "nine-grid lines at 1.5x"
    yield pixel(225, 105) == BLUE, "a control placed by a script in skin units"


def main():
    with tempfile.TemporaryDirectory() as tmp:
        prefix, package = os.path.join(tmp, "prefix"), os.path.join(tmp, "skin")
        make = 'source "$0/tools/wine-env.sh" "" && wine_prefix_dpi "$1" 144'
        subprocess.run(["bash", "-c", make, root, prefix], check=True, stdin=subprocess.DEVNULL, timeout=120)
        shutil.copytree(os.path.join(root, "tests", "engine", "skins", "dpi"), package)
        pictures(os.path.join(package, "img"))
        try:
            err, code, pixel = run(prefix, package)
        finally:
            subprocess.run(["wineserver", "-k"], env=dict(os.environ, WINEPREFIX=prefix), capture_output=True)
    sys.stderr.write(err)
    failed = [what for ok, what in checks(pixel) if not ok] + ([] if code == 0 else ["exit code %d" % code])
    for what in failed:
        print("failed: " + what)
    print("done" if not failed else "%d checks failed" % len(failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
