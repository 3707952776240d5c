#!/usr/bin/env python3
"""A hostile phone against the real program, inside private namespaces: Quillon.exe runs under
Wine in the "pc" namespace (the capture a 440 Hz tone), tests/peers/hostile_phone.py sends its
bad input from the "phone" namespace, then the phone double links and asks for the sound.

Checks: Quillon still runs; its handles and committed memory (read by process_probe through
Wine's handle table) come back within a small bound of where they started; the good phone
links and decodes the tone. Prints what was sent, handles and memory before and after, and
the time the good phone took to link. --scale 5 --drip-seconds 60 gives the long run.
Exit 77 (skipped) without root."""
import argparse
import json
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
from netns import PC_ADDR, PHONE_ADDR, ROOT, Checks, Namespaces  # noqa: E402

HANDLE_BOUND = 16
MEMORY_BOUND_KIB = 4096


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--build", required=True)
    p.add_argument("--scale", type=float, default=1.0)
    p.add_argument("--drip-seconds", type=float, default=5)
    p.add_argument("--rounds", type=int, default=1)
    p.add_argument("--parts", help="only these parts of the hostile phone (comma-separated)")
    p.add_argument("--settle", type=float, default=60, help="longest wait for handles to come back")
    args = p.parse_args()
    if os.geteuid() != 0:
        print("needs root for network namespaces")
        return 77
    build = os.path.abspath(args.build)
    dist = os.environ.get("QUILLON_DIST") or os.path.join(ROOT, "build", "dist-x64")
    report_file = os.path.join(build, f"hostile-report-{os.getpid()}.json")
    skin_file = os.path.join(build, f"hostile-skin-{os.getpid()}.txt")
    check = Checks()

    with Namespaces("h") as ns:
        env = ns.wine_prefix(build)
        env["SHARE_CAPTURE_SOURCE"] = "tone:440:-6"
        env["QUILLON_REPORT_FILE"] = "Z:" + skin_file.replace("/", "\\")

        def in_pc(*cmd):
            return ["ip", "netns", "exec", ns.pc, *cmd]

        def skin_state():
            """The skin's link and sound state, from the program's diagnostic report."""
            subprocess.run(in_pc("wine", os.path.join(build, "tests-bin", "report_probe.exe")), env=env,
                           stdin=subprocess.DEVNULL, capture_output=True, timeout=60)
            try:
                with open(skin_file, errors="replace") as f:
                    lines = [l.strip()[5:] for l in f if l.startswith("skin ")]
                os.unlink(skin_file)
                return ", ".join(lines)
            except OSError:
                return "no report"

        def probe():
            out = subprocess.run(in_pc("wine", os.path.join(build, "tests-bin", "process_probe.exe"), "Quillon.exe"),
                                 env=env, stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=60).stdout
            words = out.split()
            return (int(words[0]), int(words[1])) if len(words) == 2 else None

        budget = 120 + args.settle + 4 * args.drip_seconds + 60 * args.scale
        quillon = subprocess.Popen(in_pc("timeout", str(int(budget)), "wine", os.path.join(dist, "Quillon.exe")),
                                   env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        try:
            start = None
            for _ in range(30):
                time.sleep(1)
                start = probe()
                if start:
                    break
            time.sleep(5)  # the skin is up and discovery announced
            start = probe() or start
            check(start is not None, f"Quillon runs: handles, committed KiB at start {start}")
            if start is None:
                return 1

            for round_ in range(args.rounds):
                hostile = subprocess.run(
                    ["ip", "netns", "exec", ns.phone, "timeout", str(int(budget)), sys.executable,
                     os.path.join(ROOT, "tests", "peers", "hostile_phone.py"), "--bind", PHONE_ADDR, "--pc", PC_ADDR,
                     "--scale", str(args.scale), "--drip-seconds", str(args.drip_seconds), "--seed", str(13 + round_),
                     *(["--parts", args.parts] if args.parts else [])],
                    stdin=subprocess.DEVNULL, capture_output=True, text=True)
                sent = next((json.loads(l[5:]) for l in hostile.stdout.splitlines() if l.startswith("sent ")), {})
                print(f"hostile phone sent {json.dumps(sent)}", flush=True)
                check(hostile.returncode == 0 and sent, "the hostile phone ran to its end")

                # Reset reads are reported after the completion server's pause, and announced
                # ports are still being connected: let them finish.
                end = time.monotonic() + args.settle
                after = probe()
                while after and (after[0] > start[0] + HANDLE_BOUND or after[1] > start[1] + MEMORY_BOUND_KIB) \
                        and time.monotonic() < end:
                    time.sleep(2)
                    after = probe()
                print(f"after round {round_ + 1}: handles, committed KiB {after}", flush=True)
            check(quillon.poll() is None and after is not None, "Quillon still runs after the bad input")

            t = time.monotonic()
            good = subprocess.run(
                ["ip", "netns", "exec", ns.phone, sys.executable, os.path.join(ROOT, "tests", "peers", "phone_double.py"),
                 "--bind", PHONE_ADDR, "--state-sync", "3", "--state-delay", "1", "--start-delay", "0.5",
                 "--announce-every", "1", "--announce-count", "20", "--duration", "30", "--report", report_file],
                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=90)
            try:
                with open(report_file) as f:
                    report = json.load(f)
                os.unlink(report_file)
            except OSError:
                report = {"audio": {}}
            linked = report.get("handshake_at")
            link_s = round(linked - report.get("first_announce_at", 0), 2) if linked is not None else None
            print(f"good phone: linked {link_s} s after its first announcement; audio {json.dumps(report['audio'])}",
                  flush=True)
            check(report.get("handshake"), "the good phone linked after the bad input")
            audio = report["audio"]
            if not check(audio.get("blocks", 0) >= 100, f"the good phone received audio: {audio.get('blocks', 0)} blocks"):
                print(f"the program's view then: {skin_state()}; the phone's messages {report.get('messages')}, "
                      f"links {report.get('links')}, unlinks {report.get('unlinks')}", flush=True)
            check(abs((audio.get("dominant_hz") or 0) - 440) < 15, f"decoded tone {audio.get('dominant_hz')} Hz")
            check(quillon.poll() is None, "Quillon still runs after the good phone")
            print(f"handles {start[0]} before, {after[0] if after else '?'} after the bad input; "
                  f"committed {start[1]} KiB before, {after[1] if after else '?'} KiB after", flush=True)
            if after:
                check(after[0] <= start[0] + HANDLE_BOUND, f"handles back within {HANDLE_BOUND} of the start")
                check(after[1] <= start[1] + MEMORY_BOUND_KIB,
                      f"committed memory back within {MEMORY_BOUND_KIB} KiB of the start")
        finally:
            quillon.kill()
            quillon.wait(10)
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
