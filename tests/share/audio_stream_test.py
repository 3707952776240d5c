#!/usr/bin/env python3
"""The capture's stream as the phone hears it: capture_probe runs the capture library under
Wine and decodes every block; this checks the blocks' timing and levels.

    silence  a tone that stops delivering for 5 s: blocks throughout, silence decoded in the
             pause, the tone after it at its place in time, no gap and no burst
    formats  test sources of 6 channels at 44.1 kHz (a tone in the centre only) and of
             96 kHz (a tone at 29 kHz, which would fold onto 19 kHz): the centre at -3 dB in
             both channels, nothing of the 29 kHz tone
    device   a PulseAudio null sink's monitor captured as the default device, the sink
             unloaded under the running stream and a new one loaded 3 s later: the stream goes
             on with silence and the new sink's tone arrives (skipped without pulseaudio)

    audio_stream_test.py --build DIR --case silence|formats|device"""
import argparse
import math
import os
import struct
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
from pulse_server import PulseServer, available  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
GAP_BOUND = 0.25   # longest time between two blocks the phone may see (s); 20 ms is the norm
FRAME = 0.02


class Checks:
    def __init__(self):
        self.failures = 0

    def __call__(self, ok, text):
        print(("ok   " if ok else "FAIL ") + text, flush=True)
        self.failures += 0 if ok else 1


def parse(lines):
    """Blocks as (time, left dB, right dB, zero crossings); the end line's count and flag."""
    blocks, end = [], None
    for line in lines:
        w = line.split()
        if w and w[0] == "end":
            end = (int(w[1]), int(w[2]))
        elif len(w) == 4:
            blocks.append((float(w[0]), float(w[1]), float(w[2]), int(w[3])))
        elif len(w) == 2 and w[1] == "bad":
            blocks.append((float(w[0]), None, None, 0))
    return blocks, end


def probe(build, source, seconds, env=None, on_line=None):
    env = dict(env or os.environ, SHARE_CAPTURE_SOURCE=source, WINEDEBUG="-all")
    p = subprocess.Popen(["wine", os.path.join(build, "tests-bin", "capture_probe.exe"), str(seconds)], env=env,
                         stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    lines = []
    for line in p.stdout:
        lines.append(line)
        if on_line:
            on_line(line)
    p.wait(60)
    return parse(lines)


def steady(check, blocks, end, what):
    """Blocks all decoded, none missing, none bunched, and no stop of the stream."""
    check(end is not None and end[1] == 0, f"{what}: the capture ran to the end without a stop: {end}")
    check(all(b[1] is not None for b in blocks), f"{what}: every block decoded")
    gaps = [b[0] - a[0] for a, b in zip(blocks, blocks[1:])]
    worst = max(gaps) if gaps else 99
    check(worst < GAP_BOUND, f"{what}: longest time between blocks {worst * 1000:.0f} ms (bound {GAP_BOUND * 1000:.0f})")
    # A burst: more blocks in a second than a second holds. After the thread is held up (a
    # loaded machine) up to 60 ms of sound may follow at once; anything older is dropped.
    most = max(sum(1 for c in blocks if a[0] <= c[0] < a[0] + 1) for a in blocks) if blocks else 0
    check(most <= 56, f"{what}: at most {most} blocks in any second (50 due)")
    # Silence added beside the sound would show as extra blocks; held-up time as fewer.
    span = blocks[-1][0] - blocks[0][0] if blocks else 0
    due = span / FRAME + 1
    check(0.95 * due - 3 <= len(blocks) <= due + 3, f"{what}: {len(blocks)} blocks over {span:.2f} s")


def level(blocks, t0, t1, side=1):
    v = [b[side] for b in blocks if t0 <= b[0] < t1 and b[side] is not None]
    return sum(v) / len(v) if v else None


def case_silence(args, check):
    blocks, end = probe(args.build, "tone:1000:-6:pause=2+5", 10)
    steady(check, blocks, end, "pause")
    before, during, after = level(blocks, 0.2, 1.9), level(blocks, 2.1, 6.9), level(blocks, 7.3, 9.5)
    check(before is not None and abs(before + 6) < 1, f"tone before the pause at {before} dBFS")
    check(during is not None and during < -80, f"silence decoded in the pause: {during} dBFS")
    check(after is not None and abs(after + 6) < 1, f"tone after the pause at {after} dBFS")
    # No jump in time: the tone comes back in the block that its own clock says (7 s in).
    back = next((i for i, b in enumerate(blocks) if b[0] > 3 and b[1] is not None and b[1] > -40), None)
    at = blocks[back][0] if back is not None else 0
    check(back is not None and abs(at - 7) < 0.15 and abs(back - at / FRAME) <= 5,
          f"tone back at {at:.2f} s in block {back} (due: 7 s, block {7 / FRAME:.0f})")
    hz = sum(b[3] for b in blocks[back + 5:back + 55]) / 50 / FRAME if back else 0
    check(abs(hz - 1000) < 30, f"tone after the pause at {hz:.0f} Hz")


def case_formats(args, check):
    blocks, end = probe(args.build, "tone:1000:-6:rate=44100:channels=6:only=2", 4)
    steady(check, blocks, end, "44.1 kHz 5.1")
    left, right = level(blocks, 0.5, 3.5, 1), level(blocks, 0.5, 3.5, 2)
    check(left is not None and abs(left + 9) < 1, f"centre tone at -6 dBFS: left {left} dBFS (-9 due)")
    check(right is not None and abs(right + 9) < 1, f"centre tone at -6 dBFS: right {right} dBFS (-9 due)")
    hz = sum(b[3] for b in blocks[25:175]) / 150 / FRAME
    check(abs(hz - 1000) < 30, f"centre tone at {hz:.0f} Hz")
    blocks, end = probe(args.build, "tone:29000:-6:rate=96000", 4)
    steady(check, blocks, end, "96 kHz")
    alias = level(blocks, 0.5, 3.5, 1)
    print(f"29 kHz at 96 kHz: what arrives is {alias:.1f} dBFS, {-6 - alias:.1f} dB below the tone", flush=True)
    check(alias is not None and alias < -66, f"no alias of 29 kHz below 24 kHz: {alias} dBFS")


def tone_bytes(hz, rate, channels, seconds, only=None, dbfs=-6):
    """Interleaved float32 samples of a sine; a second of it (a whole number of periods for
    whole hertz) repeated."""
    a = 10 ** (dbfs / 20)
    second = bytearray()
    for i in range(rate):
        v = a * math.sin(2 * math.pi * hz * i / rate)
        second += struct.pack(f"<{channels}f", *[v if only is None or c == only else 0.0 for c in range(channels)])
    return bytes(second) * int(seconds)


def case_device(args, check):
    if not available():
        print("pulseaudio is not installed")
        return 77
    prefix = os.path.join(args.build, f"wine-pulse-{os.getpid()}")
    subprocess.run(["bash", "-c", f'set --; source "{ROOT}/tools/wine-env.sh" >/dev/null; wine_prefix_copy "{prefix}"'],
                   check=True)
    with PulseServer(args.build) as pulse:
        env = dict(os.environ, WINEPREFIX=prefix, **pulse.env())
        subprocess.run(["wine", "reg", "add", r"HKCU\Software\Wine\Drivers", "/v", "Audio", "/d", "pulse", "/f"],
                       env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        first = pulse.load_sink("first")
        # Wine 8 opens every PulseAudio capture device as 48 kHz stereo (the sound server
        # converts), so the new sink is one of those too, with a tone of its own.
        second = tone_bytes(1500, 48000, 2, 15)
        players = [pulse.play("first", 48000, 2, tone_bytes(1000, 48000, 2, 30))]
        events = {}

        def on_line(line):
            w = line.split()
            if len(w) != 4:
                return
            t, db = float(w[0]), float(w[1])
            if "tone" not in events and db > -20:
                events["tone"] = t
                events["tone_at"] = time.monotonic()
            if "tone_at" in events and "lost" not in events and time.monotonic() - events["tone_at"] > 2:
                players[0].kill()
                pulse.unload(first)
                events["lost"] = t
            if "lost" in events and "second" not in events and t - events["lost"] > 3:
                pulse.load_sink("second")
                players.append(pulse.play("second", 48000, 2, second))
                events["second"] = t
            if "second" in events and "back" not in events and t > events["second"] and db > -20:
                events["back"] = t

        try:
            blocks, end = probe(args.build, "device", 16, env, on_line)
        finally:
            for p in players:
                p.kill()
            subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            time.sleep(0.5)
            subprocess.run(["rm", "-rf", prefix])
    print(f"events (s of stream): {events}", flush=True)
    check("tone" in events, "the first sink's tone arrived")
    check("lost" in events and "second" in events, "the sink was unloaded and a new one loaded under the stream")
    if "lost" not in events or "second" not in events:
        return 1
    steady(check, blocks, end, "device loss")
    gone = level(blocks, events["lost"] + 0.5, events["second"])
    check(gone is not None and gone < -60, f"silence while no sink exists: {gone} dBFS")
    back = events.get("back")
    check(back is not None, f"the new sink's tone arrived {back - events['second']:.2f} s after it was loaded"
          if back else "the new sink's tone never arrived")
    if back:
        after = level(blocks, back + 0.5, back + 3)
        hz = sum(b[3] for b in blocks if back + 0.5 <= b[0] < back + 3) / (2.5 / FRAME) / FRAME
        check(after is not None and abs(after + 6) < 1 and abs(hz - 1500) < 40,
              f"its tone arrived whole: {after} dBFS, {hz:.0f} Hz (-6 dBFS, 1500 Hz played)")
    return 0


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--build", required=True)
    p.add_argument("--case", choices=("silence", "formats", "device"), required=True)
    args = p.parse_args()
    args.build = os.path.abspath(args.build)
    check = Checks()
    status = {"silence": case_silence, "formats": case_formats, "device": case_device}[args.case](args, check)
    if status == 77:
        return 77
    return 1 if check.failures or status else 0


if __name__ == "__main__":
    sys.exit(main())
