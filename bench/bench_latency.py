#!/usr/bin/env python3
"""Sound to wire: the delay from a click played on the PC to the arrival of the first network
block that carries it at the phone, over UDP (the Wi-Fi link) and over TCP (the USB link).

A PulseAudio daemon of this run's own (user mode, runtime folder under the build folder, a null
sink as the default output and its monitor as the default input) is what Wine's audio driver
talks to; Quillon.exe captures the default recording device (SHARE_CAPTURE_SOURCE=device). The
clicks are written into the null sink through libpulse-simple; each click's play time is the
moment the sink renders it (write time plus the stream's reported latency). The phone double
logs every block's arrival and decoded peak (--block-log); the first block after the play time
whose peak passes the threshold carries the click. All times are CLOCK_MONOTONIC. While the
clicks play, the CPU time of Quillon and of its wineserver is read too: the cost of streaming
from a real capture device. --sink gives the null sink another rate or channel count, so that
the capture's mix format takes the downmix and resampler on its way.

    bench_latency.py --dist DIR --build DIR [--clicks N] [--transport udp|tcp|both] [--sink RATE:CHANNELS]"""
import argparse
import ctypes
import math
import os
import shutil
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "link"))
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "share"))
from netns import PHONE_ADDR, ROOT, Namespaces  # noqa: E402
from pulse_server import PulseServer  # noqa: E402
from bench_startup import cpu_seconds, prefix_server  # noqa: E402

PEERS = os.path.join(ROOT, "tests", "peers")
RATE, CHANNELS = 48000, 2
SPACING = 0.3      # seconds between clicks: far longer than any delay measured
PHASES = 4         # successive gaps grow by one chunk, up to PHASES - 1, then start again
CLICK = 0.004      # a 4 ms burst of 2 kHz at half scale, Hann-shaped
THRESHOLD = 0.05   # decoded peak that counts as the click (silence decodes to ~0)
CHUNK = 240        # frames written at a time (5 ms)
QUIET = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class SampleSpec(ctypes.Structure):
    _fields_ = [("format", ctypes.c_int), ("rate", ctypes.c_uint32), ("channels", ctypes.c_uint8)]


class BufferAttr(ctypes.Structure):
    _fields_ = [(n, ctypes.c_uint32) for n in ("maxlength", "tlength", "prebuf", "minreq", "fragsize")]


def play_clicks(server, count):
    """Writes silence with `count` clicks into the default sink, paced by the server; returns
    the monotonic time each click is rendered."""
    os.environ.update(server.env())
    lib = ctypes.CDLL("libpulse-simple.so.0")
    pulse = ctypes.CDLL("libpulse.so.0")
    lib.pa_simple_new.restype = ctypes.c_void_p
    lib.pa_simple_new.argtypes = [ctypes.c_char_p, ctypes.c_char_p, ctypes.c_int, ctypes.c_char_p, ctypes.c_char_p,
                                  ctypes.POINTER(SampleSpec), ctypes.c_void_p, ctypes.POINTER(BufferAttr),
                                  ctypes.POINTER(ctypes.c_int)]
    lib.pa_simple_write.argtypes = [ctypes.c_void_p, ctypes.c_void_p, ctypes.c_size_t, ctypes.POINTER(ctypes.c_int)]
    lib.pa_simple_get_latency.restype = ctypes.c_uint64
    lib.pa_simple_get_latency.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int)]
    lib.pa_simple_free.argtypes = [ctypes.c_void_p]
    pulse.pa_strerror.restype = ctypes.c_char_p
    spec = SampleSpec(5, RATE, CHANNELS)  # PA_SAMPLE_FLOAT32LE
    chunk_bytes = CHUNK * CHANNELS * 4
    attr = BufferAttr(0xFFFFFFFF, 2 * chunk_bytes, 0xFFFFFFFF, chunk_bytes, 0xFFFFFFFF)
    err = ctypes.c_int(0)
    s = lib.pa_simple_new(None, b"bench_latency", 1, None, b"clicks", ctypes.byref(spec), None,
                          ctypes.byref(attr), ctypes.byref(err))
    if not s:
        raise RuntimeError("pa_simple_new: " + pulse.pa_strerror(err.value).decode())
    silence = (ctypes.c_float * (CHUNK * CHANNELS))()
    burst = (ctypes.c_float * (CHUNK * CHANNELS))()
    n = int(CLICK * RATE)
    for i in range(n):
        v = 0.5 * math.sin(2 * math.pi * 2000 * i / RATE) * (0.5 - 0.5 * math.cos(2 * math.pi * i / n))
        burst[2 * i] = burst[2 * i + 1] = v
    per_gap = int(SPACING * RATE / CHUNK)
    played = []
    for _ in range(per_gap):  # settle the stream first
        lib.pa_simple_write(s, silence, chunk_bytes, ctypes.byref(err))
    for i in range(count):
        latency = lib.pa_simple_get_latency(s, ctypes.byref(err)) / 1e6
        played.append(time.monotonic() + latency)
        lib.pa_simple_write(s, burst, chunk_bytes, ctypes.byref(err))
        # Gaps of a whole number of capture frames would put every click at the same place in
        # its frame, and the median would be that one place's wait for the frame's end; gaps
        # that step by a chunk (5 ms) spread the clicks over the frame.
        for _ in range(per_gap - 1 + i % PHASES):
            lib.pa_simple_write(s, silence, chunk_bytes, ctypes.byref(err))
    lib.pa_simple_free(s)
    return played


def delays(played, log):
    blocks = []
    with open(log) as f:
        for line in f:
            t, peak = line.split()
            blocks.append((float(t), float(peak)))
    out = []
    for t in played:
        hit = next((b for b, peak in blocks if b >= t and peak >= THRESHOLD), None)
        if hit is not None and hit - t < SPACING:
            out.append(hit - t)
    return out


def stages(played, trace, log):
    """Where each click's delay goes, from Quillon's capture trace (SHARE_CAPTURE_TRACE): play to
    frame ready, ready to encoded, encoded to handed to the senders, sent to arrival. Wine's
    performance counter is CLOCK_MONOTONIC_RAW; it is moved onto CLOCK_MONOTONIC here."""
    shift = time.clock_gettime(time.CLOCK_MONOTONIC) - time.clock_gettime(time.CLOCK_MONOTONIC_RAW)
    rows = []
    with open(trace) as f:
        for line in f:
            if not line.startswith("#"):
                ready, encoded, sent, peak = (float(v) for v in line.split())
                rows.append((ready + shift, encoded + shift, sent + shift, peak))
    arrivals = [float(line.split()[0]) for line in open(log) if float(line.split()[1]) >= THRESHOLD]
    parts = [[], [], [], []]
    for t in played:
        row = next((r for r in rows if r[0] >= t and r[3] >= THRESHOLD), None)
        hit = next((a for a in arrivals if a >= t), None)
        if row is None or hit is None or row[0] - t > SPACING:
            continue
        for i, v in enumerate((row[0] - t, row[1] - row[0], row[2] - row[1], hit - row[2])):
            parts[i].append(v * 1000)
    if not parts[0]:
        return "  no traced click"
    names = ("play to frame ready", "encode", "hand to senders", "sent to arrival")
    return "  medians: " + ", ".join(f"{n} {statistics.median(p):.2f} ms" for n, p in zip(names, parts))


def measure(args, server, transport):
    tmp = os.path.join(args.build, f"latency-{transport}-{os.getpid()}")
    os.makedirs(tmp, exist_ok=True)
    log = os.path.join(tmp, "blocks.log")
    with Namespaces("l") as ns:
        env = ns.wine_prefix(args.build)
        env.update(server.env(), SHARE_CAPTURE_SOURCE="device")
        trace = os.path.abspath(args.trace) + f".{transport}" if args.trace else None
        if trace:
            env["SHARE_CAPTURE_TRACE"] = "Z:" + trace
        subprocess.run(["ip", "netns", "exec", ns.pc, "wine", "reg", "add", r"HKCU\Software\Wine\Drivers",
                        "/v", "Audio", "/d", "pulse", "/f"], env=env, **QUIET)
        pc = ["ip", "netns", "exec", ns.pc]
        helpers = []
        phone_args = ["--bind", PHONE_ADDR, "--state-sync", "3", "--state-delay", "1", "--start-delay", "0",
                      "--duration", str(60 + args.clicks * SPACING), "--block-log", log]
        if transport == "tcp":
            # The USB link: the adb server and the device double beside Quillon; the device
            # relays the phone app's ports to the phone, whose audio then comes over TCP.
            helpers += [
                subprocess.Popen(pc + ["env", f"HOME={tmp}", "adb", "-L", "tcp:5037", "nodaemon", "server"], **QUIET),
                subprocess.Popen(pc + [sys.executable, os.path.join(PEERS, "adb_device_double.py"), "--port", "5601",
                                       "--control", "5602", "--storage", tmp, "--relay", f"15568={PHONE_ADDR}:15568",
                                       "--relay", f"14127={PHONE_ADDR}:14127", "--lifetime", "300"], **QUIET)]
            phone_args += ["--usb", "--announce-count", "0"]
        phone = subprocess.Popen(["ip", "netns", "exec", ns.phone, sys.executable,
                                  os.path.join(PEERS, "phone_double.py"), *phone_args],
                                 stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, text=True)
        quillon = subprocess.Popen(pc + ["wine", os.path.join(args.dist, "Quillon.exe")], env=env, **QUIET)
        if transport == "tcp":
            time.sleep(6)
            subprocess.run(pc + ["env", f"HOME={tmp}", "adb", "-P", "5037", "connect", "127.0.0.1:5601"],
                           timeout=30, **QUIET)
        arrived = False
        for line in phone.stdout:
            if "audio arrives" in line:
                arrived = True
                break
        try:
            if not arrived:
                print(f"{transport}: no audio arrived")
                return [], None, None
            time.sleep(1)
            wineserver = prefix_server(ns.prefix)
            c0, s0, w0 = cpu_seconds(quillon.pid), cpu_seconds(wineserver) if wineserver else 0, time.monotonic()
            played = play_clicks(server, args.clicks)
            c1, s1, w1 = cpu_seconds(quillon.pid), cpu_seconds(wineserver) if wineserver else 0, time.monotonic()
            minute = 60 / (w1 - w0)
            cpu = f"  CPU per streaming minute {(c1 - c0) * minute:.2f} s Quillon, {(s1 - s0) * minute:.2f} s wineserver"
            time.sleep(1)
        finally:
            phone.kill()
            phone.wait()
            for p in helpers:
                p.kill()
            quillon.kill()
        found = delays(played, log)
        detail = stages(played, trace, log) if args.trace else None
    shutil.rmtree(tmp, ignore_errors=True)
    return found, detail, cpu


def summary(name, found, detail, cpu, clicks):
    if not found:
        print(f"{name}: no click found in {clicks}")
        return
    ms = sorted(d * 1000 for d in found)
    p95 = ms[min(len(ms) - 1, math.ceil(0.95 * len(ms)) - 1)]
    print(f"{name}: {len(ms)}/{clicks} clicks  median {statistics.median(ms):6.1f} ms  p95 {p95:6.1f} ms  "
          f"worst {ms[-1]:6.1f} ms  best {ms[0]:6.1f} ms")
    if cpu:
        print(cpu)
    if detail:
        print(detail)


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--dist", required=True)
    p.add_argument("--build", required=True)
    p.add_argument("--clicks", type=int, default=50)
    p.add_argument("--transport", choices=("udp", "tcp", "both"), default="both")
    p.add_argument("--trace", help="Quillon writes its capture trace to this path (+ .udp/.tcp)")
    p.add_argument("--sink", default="48000:2", help="the null sink's RATE:CHANNELS (the capture's mix format)")
    args = p.parse_args()
    if os.geteuid() != 0:
        print("needs root for network namespaces")
        return 1
    rate, channels = (int(v) for v in args.sink.split(":"))
    with PulseServer(args.build, "pulse-latency") as server:
        server.load_sink("bench", rate, channels)
        print(f"sink: {rate} Hz, {channels} channels")
        for transport in ("udp", "tcp") if args.transport == "both" else (args.transport,):
            summary(f"{transport} (play to block arrival)", *measure(args, server, transport), args.clicks)
    return 0


if __name__ == "__main__":
    sys.exit(main())
