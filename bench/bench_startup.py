#!/usr/bin/env python3
"""Quillon.exe with its default skin, started as a user starts it: the time from the process
start to its window on the screen and painted; the memory it holds (resident set of the Wine
process) after some seconds idle and after streaming to a phone; the CPU time per streaming
minute, of Quillon and of the wineserver apart, and the quality of what the phone decoded: the
SNR of its last second against the 440 Hz tone played. The phone (the phone double on Wi-Fi) is
started after the idle phase, in a private namespace pair; the sound is the test tone.

    bench_startup.py --dist DIR --build DIR [--idle S] [--stream S]"""
import argparse
import os
import re
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "link"))
from netns import PHONE_ADDR, ROOT, Namespaces  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")


def xdo(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True).stdout.split()


def band_painted(wid):
    geo = dict(kv.split("=") for kv in subprocess.run(["xdotool", "getwindowgeometry", "--shell", wid],
                                                      capture_output=True, text=True).stdout.split())
    x, y = int(geo["X"]) + 100, int(geo["Y"]) + 10
    out = subprocess.run(["import", "-window", "root", "-crop", f"1x1+{x}+{y}", "txt:-"],
                         capture_output=True, text=True).stdout
    m = re.search(r"srgb\((\d+),(\d+),(\d+)", out)
    return m is not None and (int(m[1]), int(m[2]), int(m[3])) != (0, 0, 0)


def pids(pattern):
    out = subprocess.run(["pgrep", "-f", pattern], capture_output=True, text=True).stdout.split()
    return [int(p) for p in out]


def prefix_server(prefix):
    """The wineserver of this run's own prefix (other Wine programs may run beside it)."""
    for pid in pids("wineserver"):
        try:
            with open(f"/proc/{pid}/environ", "rb") as f:
                if f"WINEPREFIX={prefix}".encode() in f.read().split(b"\0"):
                    return pid
        except OSError:
            pass
    return 0


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def resident_mib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def start_streaming_phone(ns, seconds):
    """The phone double on Wi-Fi, pressing play once linked; returns when the audio arrives."""
    phone = subprocess.Popen(
        ["ip", "netns", "exec", ns.phone, sys.executable, os.path.join(ROOT, "tests", "peers", "phone_double.py"),
         "--bind", PHONE_ADDR, "--state-sync", "3", "--state-delay", "1", "--start-delay", "0",
         "--duration", str(seconds + 30), "--commands"], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    for line in phone.stdout:
        if "audio arrives" in line:
            break
    return phone


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--dist", required=True)
    p.add_argument("--build", required=True)
    p.add_argument("--idle", type=float, default=10)
    p.add_argument("--stream", type=float, default=60)
    args = p.parse_args()
    if os.geteuid() != 0:
        print("needs root for network namespaces")
        return 1
    with Namespaces("b") as ns:
        env = ns.wine_prefix(args.build)
        env["SHARE_CAPTURE_SOURCE"] = "tone:440"
        t0 = time.monotonic()
        quillon = subprocess.Popen(["ip", "netns", "exec", ns.pc, "wine", os.path.join(args.dist, "Quillon.exe")],
                                   env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        wid = None
        while time.monotonic() - t0 < 60 and not wid:
            found = xdo("search", "--onlyvisible", "--name", "^Quillon$")
            wid = found[0] if found else None
            time.sleep(0.01)
        shown = time.monotonic() - t0
        while time.monotonic() - t0 < 60 and wid and not band_painted(wid):
            time.sleep(0.01)
        painted = time.monotonic() - t0
        print(f"start to window shown      {shown * 1000:7.0f} ms")
        print(f"start to window painted    {painted * 1000:7.0f} ms")
        # ip netns exec, the wine script and Wine's loader all exec in place: the process
        # started is the program.
        pid = quillon.pid
        server = prefix_server(ns.prefix)
        i0, j0, k0 = cpu_seconds(pid), cpu_seconds(server) if server else 0, time.monotonic()
        time.sleep(max(0.0, args.idle - (time.monotonic() - t0)))
        i1, j1, k1 = cpu_seconds(pid), cpu_seconds(server) if server else 0, time.monotonic()
        print(f"resident after {args.idle:.0f} s idle    {resident_mib(pid):7.1f} MiB")
        if k1 - k0 > 1:
            minute = 60 / (k1 - k0)
            print(f"CPU per idle minute        {(i1 - i0) * minute:7.2f} s Quillon, {(j1 - j0) * minute:.2f} s wineserver")
        phone = start_streaming_phone(ns, args.stream)
        c0, s0, w0 = cpu_seconds(pid), cpu_seconds(server) if server else 0, time.monotonic()
        time.sleep(args.stream)
        c1, s1, w1 = cpu_seconds(pid), cpu_seconds(server) if server else 0, time.monotonic()
        minute = 60 / (w1 - w0)
        print(f"resident after {args.stream:.0f} s streaming {resident_mib(pid):7.1f} MiB")
        print(f"CPU per streaming minute   {(c1 - c0) * minute:7.2f} s Quillon, {(s1 - s0) * minute:.2f} s wineserver")
        phone.stdin.write("snr 440\n")
        phone.stdin.flush()
        for line in phone.stdout:
            if " snr " in line:
                print(f"decoded tone SNR           {line.split()[-1]:>7} dB (the phone's last second)")
                break
        phone.kill()
        quillon.kill()
    return 0


if __name__ == "__main__":
    sys.exit(main())
