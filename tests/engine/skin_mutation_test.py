#!/usr/bin/env python3
"""Skins under mutation: the test skins, damaged in their zip package (bit flips, truncation,
duplicated and reordered entries) or in their XML documents (bit flips, truncation,
duplicated and reordered elements), each run through skinrun under Wine. A run must end by
itself within the time limit with exit 0 or 1 (failures reported through _ALERT); a crash
(any other exit) or a hang fails. Failing packages are kept in build/skin-mutants/.

    skin_mutation_test.py <skinrun.exe> [--count N] [--seed S] [--limit SECONDS]
"""
import argparse
import io
import os
import random
import shutil
import subprocess
import sys
import tempfile
import warnings
import zipfile

# Appended to each skin's main.lua: a skin whose own expectations broke may wait in its message
# loop for a timer it never set, so the runner ends every loop after a while. A run that
# outlives this is the engine's hang.
WATCHDOG = b"""
local skin_main = main
function main()
  g_TimerMgr:SetTimeout(function() g_UIMgr:Exit() end, %d)
  return skin_main()
end
"""

SKINS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "skins")
ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))


def skin_files(skin):
    base = os.path.join(SKINS, skin)
    for folder, _, names in os.walk(base):
        for n in sorted(names):
            path = os.path.join(folder, n)
            yield os.path.relpath(path, base).replace(os.sep, "/"), open(path, "rb").read()


def zipped(entries):
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in entries:
            z.writestr(zipfile.ZipInfo(name, date_time=(2024, 1, 1, 0, 0, 0)), data,
                       compress_type=zipfile.ZIP_DEFLATED)
    return out.getvalue()


def flip_bits(rng, data):
    data = bytearray(data)
    for _ in range(rng.randint(1, 8)):
        if data:
            data[rng.randrange(len(data))] ^= 1 << rng.randrange(8)
    return bytes(data)


def shuffle_elements(rng, text, duplicate):
    lines = text.split(b"\n")
    inner = list(range(1, max(1, len(lines) - 1)))
    if not inner:
        return text
    if duplicate:
        i = rng.choice(inner)
        lines.insert(i, lines[i])
    else:
        i, j = rng.choice(inner), rng.choice(inner)
        lines[i], lines[j] = lines[j], lines[i]
    return b"\n".join(lines)


def mutate(rng, skin, kind, where, watchdog_ms):
    """Writes one damaged package of skin under where; returns its path."""
    entries = [(n, d + WATCHDOG % watchdog_ms if n == "main.lua" else d) for n, d in skin_files(skin)]
    if kind.startswith("zip"):
        if kind == "zip-duplicate":
            entries = entries + [rng.choice(entries)]
        elif kind == "zip-reorder":
            rng.shuffle(entries)
        data = zipped(entries)
        if kind == "zip-bitflip":
            data = flip_bits(rng, data)
        elif kind == "zip-truncate":
            data = data[:rng.randrange(len(data))]
        path = os.path.join(where, skin + ".zip")
        with open(path, "wb") as f:
            f.write(data)
        return path
    xml = [i for i, (n, _) in enumerate(entries) if n.endswith(".xml")]
    i = rng.choice(xml)
    name, data = entries[i]
    if kind == "xml-bitflip":
        data = flip_bits(rng, data)
    elif kind == "xml-truncate":
        data = data[:rng.randrange(len(data))]
    else:
        data = shuffle_elements(rng, data, kind == "xml-duplicate")
    entries[i] = (name, data)
    path = os.path.join(where, skin)
    for n, d in entries:
        os.makedirs(os.path.dirname(os.path.join(path, n)), exist_ok=True)
        with open(os.path.join(path, n), "wb") as f:
            f.write(d)
    return path


KINDS = ["zip-bitflip", "zip-truncate", "zip-duplicate", "zip-reorder",
         "xml-bitflip", "xml-truncate", "xml-duplicate", "xml-reorder"]


def main():
    p = argparse.ArgumentParser()
    p.add_argument("skinrun")
    p.add_argument("--count", type=int, default=24)
    p.add_argument("--seed", type=int, default=13)
    p.add_argument("--limit", type=float, default=30)
    args = p.parse_args()
    rng = random.Random(args.seed)
    warnings.simplefilter("ignore")  # zipfile warns of the duplicated entries made on purpose
    skins = [s for s in sorted(os.listdir(SKINS)) if any(n.endswith(".xml") for n, _ in skin_files(s))]
    keep = os.path.join(ROOT, "build", "skin-mutants")
    results = {"clean": 0, "alert": 0, "crash": 0, "hang": 0}
    failures = []
    with tempfile.TemporaryDirectory() as tmp:
        for n in range(args.count):
            skin, kind = rng.choice(skins), KINDS[n % len(KINDS)]
            where = os.path.join(tmp, str(n))
            os.makedirs(where)
            package = mutate(rng, skin, kind, where, int(args.limit * 1000 / 4))
            try:
                rc = subprocess.run(["wine", args.skinrun, "Z:" + package.replace("/", "\\")],
                                    stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL, timeout=args.limit).returncode
                outcome = {0: "clean", 1: "alert"}.get(rc, "crash")
            except subprocess.TimeoutExpired:
                rc, outcome = None, "hang"
            results[outcome] += 1
            if outcome in ("crash", "hang"):
                failures.append(f"{n} {skin} {kind}: {outcome} (exit {rc})")
                os.makedirs(keep, exist_ok=True)
                target = os.path.join(keep, f"{n}-{kind}-{os.path.basename(package)}")
                (shutil.copytree if os.path.isdir(package) else shutil.copy)(package, target)
    print(f"{args.count} mutated skins: {results['clean']} ran clean, {results['alert']} reported "
          f"failures through _ALERT, {results['crash']} crashed, {results['hang']} hung")
    for f in failures:
        print("FAIL " + f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
