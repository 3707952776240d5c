#!/usr/bin/env python3
"""Push throughput of kelp.dll against Debian's `adb push`, to the same device double over
loopback, side by side in one sandbox run; and the time from attach to the ready notice.

    bench/bench_push.py <bench_push.exe> [size MiB] [repetitions]

Runs itself inside tests/peers/adb_sandbox.py (a namespace of its own, needs root).
"""
import os
import re
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SANDBOX = os.path.join(HERE, "..", "tests", "peers", "adb_sandbox.py")


def inside(exe, size_mib, reps):
    box = os.environ["QUILLON_SANDBOX"]
    serial = "127.0.0.1:" + os.environ["QUILLON_DOUBLE_PORT"]
    local = os.path.join(box, "bench.bin")
    with open(local, "wb") as f:
        block = os.urandom(1024 * 1024)
        for _ in range(size_mib):
            f.write(block)
    out = subprocess.run(["wine", exe, "Z:" + local.replace("/", "\\"), str(reps)],
                         capture_output=True, text=True, timeout=600)
    sys.stdout.write(out.stdout)
    if out.returncode != 0:
        sys.stderr.write(out.stderr)
        return 1
    kelp = float(re.search(r"kelp_push_mbps ([0-9.]+)", out.stdout).group(1))
    best = 0.0
    for i in range(reps):
        start = time.perf_counter()
        subprocess.run(["adb", "-s", serial, "push", local, "/sdcard/fernavoy/bench_adb.bin"],
                       check=True, capture_output=True, timeout=600)
        mbps = size_mib / (time.perf_counter() - start)
        print("adb_push_run %d %.1f MB/s" % (i + 1, mbps))
        best = max(best, mbps)
    print("adb_push_mbps %.1f" % best)
    print("file %d MiB, best of %d runs each; kelp/adb ratio %.2f" % (size_mib, reps, kelp / best))
    return 0


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 64
    exe = os.path.abspath(sys.argv[1])
    size_mib = int(sys.argv[2]) if len(sys.argv) > 2 else 64
    reps = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    if os.environ.get("QUILLON_SANDBOX"):
        return inside(exe, size_mib, reps)
    return subprocess.run([sys.executable, SANDBOX, "--wine", "--wine-env", "--timeout", "900", "--",
                           sys.executable, os.path.abspath(__file__), exe, str(size_mib),
                           str(reps)]).returncode


if __name__ == "__main__":
    sys.exit(main())
