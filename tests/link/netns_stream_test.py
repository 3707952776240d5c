#!/usr/bin/env python3
"""End to end inside private namespaces: the real bridge (link_host running the scenario
stream.lua under Wine, the capture's tone source at 1000 Hz) and the phone double.

Checks: bad datagrams, random bytes and 200 connect/close cycles on the PC's ports leave it
running without piling up handles; the PC's own announcement reaches the phone; the phone's
announcement makes the PC connect with "pcid"; the phone's 0x0112 reaches the script as
"StateSync" 7; "StartCapture" sends 0x0112 3, then 0x0111 48000, then audio on 14127 whose
decoded tone is 1000 Hz; "StopCapture" sends 2 and the audio stops; the phone's 0x0101 raises
"Disconnect". Exit 77 (skipped) without root."""
import argparse
import json
import os
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(__file__))
from netns import PC_ADDR, PHONE_ADDR, ROOT, Checks, Namespaces  # noqa: E402


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--build", required=True)
    p.add_argument("--hz", type=int, default=1000)
    args = p.parse_args()
    if os.geteuid() != 0:
        print("needs root for network namespaces")
        return 77
    build = os.path.abspath(args.build)
    report_file = os.path.join(build, f"phone-report-{os.getpid()}.json")
    check = Checks()

    with Namespaces("s") as ns:
        env = ns.wine_prefix(build)
        env["SHARE_CAPTURE_SOURCE"] = f"tone:{args.hz}:-6"
        # The phone first: it hears the PC's announcement and starts its bad input after it.
        phone = subprocess.Popen(
            ["ip", "netns", "exec", ns.phone, sys.executable,
             os.path.join(ROOT, "tests", "peers", "phone_double.py"),
             "--bind", PHONE_ADDR, "--pc", PC_ADDR, "--cycles", "200", "--start-delay", "2",
             "--state-sync", "7", "--leave-after-stop", "1", "--until-leave", "--duration", "90",
             "--report", report_file], stdin=subprocess.DEVNULL)
        time.sleep(0.5)
        host = subprocess.Popen(
            ["ip", "netns", "exec", ns.pc, "timeout", "120", "wine",
             os.path.join(build, "tests-bin", "link_host.exe"),
             os.path.join(ROOT, "tests", "link", "scenarios", "stream.lua")],
            env=env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        lines = []

        def read_host():
            for line in host.stdout:
                line = line.strip()
                lines.append(line)
                print("[pc] " + line, flush=True)

        reader = threading.Thread(target=read_host, daemon=True)
        reader.start()
        try:
            phone.wait(100)
        except subprocess.TimeoutExpired:
            phone.kill()
        try:
            host.wait(60)
        except subprocess.TimeoutExpired:
            host.kill()
        reader.join(5)
        check(host.returncode == 0, f"the scenario ended well (exit {host.returncode})")
        check(phone.returncode == 0, "the phone double ran")

    try:
        with open(report_file) as f:
            report = json.load(f)
        os.unlink(report_file)
    except OSError:
        report = {"messages": [], "audio": {}, "pc_announcements": []}
    print(json.dumps(report["audio"]), flush=True)

    check("event StateSync 7" in lines, "the phone's 0x0112 reached the script as StateSync 7")
    check("event Disconnect 0" in lines and "disconnect true" in lines, "the phone's 0x0101 raised Disconnect")
    check(any(a["from"] == PC_ADDR and a["port"] == 15548 for a in report["pc_announcements"]),
          "the PC announced port 15548 to the phone")
    check(report.get("handshake"), "the PC connected after the phone's announcement and wrote pcid")
    kinds = [(m["type"], m["value"]) for m in report["messages"]]
    check(kinds[:2] == [(0x0112, 3), (0x0111, 48000)], f"0x0112 3 then 0x0111 48000 first: {kinds}")
    check((0x0112, 2) in kinds, "StopCapture sent 0x0112 2")
    audio = report["audio"]
    check(audio.get("transport") == "udp", "audio came as datagrams to 14127")
    check(audio.get("blocks", 0) >= 100, f"about 3 s of 20 ms blocks: {audio.get('blocks')}")
    check(audio.get("bad_blocks", 1) == 0, "every block split and decoded")
    hz = audio.get("dominant_hz") or 0
    check(abs(hz - args.hz) < 15, f"decoded tone {hz} Hz, captured {args.hz} Hz")
    check(abs((audio.get("level_dbfs") or -99) + 6) < 2, f"level {audio.get('level_dbfs')} dBFS, captured -6")
    stop = next((m for m in report["messages"] if m["type"] == 0x0112 and m["value"] == 2), None)
    if stop:
        later = report.get("audio_blocks_at_leave", 0) - stop["audio_blocks"]
        check(later <= 5, f"audio stopped with StopCapture ({later} blocks after it)")
    handles = {l.split()[0]: int(l.split()[1]) for l in lines if l.startswith("handles-")}
    if "handles-start" in handles and "handles-linked" in handles:
        grown = handles["handles-linked"] - handles["handles-start"]
        check(grown <= 30, f"handles after bad input and 200 cycles grew by {grown}")
    check(not any(l.startswith("links-after") and l != "links-after 0" for l in lines), "no link left after the leave")
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
