#!/usr/bin/env python3
"""A day of use, compressed: the real Quillon.exe with its default skin, the phone double on
Wi-Fi and by USB (Debian's adb server and the device double beside Quillon, in the private
namespace pair the demo uses), driven by a seeded random schedule of what a user's day does:
the phone leaving the Wi-Fi and coming back (its link down, or its app frozen), the cable
pulled and plugged in again, play and stop from the window and from the phone (also at the
same moment), files dropped in batches (empty files, spaces and CJK in names, an APK), the
window closed to the tray and brought back, the menu opened and closed, "Sent before" rows
deleted.

Checks, all along: Quillon runs and answers within 2 s at every probe; the link comes back
after every Wi-Fi return and every re-plug within the stated bound; the play control, the skin's
state and the phone agree once things settle; no audio block arrives corrupt. At the end, with
the phone back on Wi-Fi and USB: every dropped file's row has an outcome, every file shown sent
is on the phone byte for byte, and the handles, GDI objects, threads and memory sampled along
the way show no upward trend and come back near the start's level when idle.
Prints the figures: events, reconnect times, transfers, audio, resource samples and slopes
(also written to samples.csv in --out).

    soak_day.py --build DIR --dist DIR --tests-bin DIR [--minutes N] [--seed S] [--out DIR]
exits 77 (skipped) without root."""
import argparse
import csv
import json
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "link"))
from netns import PHONE_ADDR, Checks, Namespaces  # noqa: E402
from desktop import ACCENT, PANEL, PEERS, XDND, Phone, near, pixel, wait_for, xdo  # noqa: E402

# The device double relays the app's ports to the phone double over a veth pair of their own, the
# "cable", so that the phone leaving the Wi-Fi (its Wi-Fi veth down) leaves USB as it is.
CABLE_PC, CABLE_PHONE = "10.77.9.1", "10.77.9.2"
RELINK_BOUND = 45  # seconds from a return to the link again: keep-alive expiry (about 30 s) and an announcement
MiB = 1024 * 1024
KEYS = ("handles", "gdi", "threads", "lua", "heap_mib", "committed_mib", "dirty_mib")  # sampled every minute
check = Checks()


def plot(samples, path):
    """The resource samples over time, one small panel each, drawn by ImageMagick into path
    (a PNG) when it is there."""
    keys = [k for k in KEYS if any(s.get(k) is not None for s in samples)]
    fonts = [f for f in ("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                         "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc") if os.path.exists(f)]
    if len(samples) < 2 or not keys or not shutil.which("convert") or not fonts:
        return
    w, h, pad = 640, 110, 40
    end = max(s["t"] for s in samples) or 1
    draw = []
    for i, key in enumerate(keys):
        points = [(s["t"], s[key]) for s in samples if s.get(key) is not None]
        lo, hi = min(v for _, v in points), max(v for _, v in points)
        top = i * h + 20
        line = " ".join(f"{pad + t / end * (w - 2 * pad):.0f},{top + (h - 40) * (1 - v / (hi or 1)):.0f}"
                        for t, v in points)  # from zero: a trend shows at its true size
        draw += ["-stroke", "#2a6fb0", "-fill", "none", "-draw", f"polyline {line}",
                 "-stroke", "none", "-fill", "black", "-draw", f"text 4,{top - 6} '{key}: {lo:g} to {hi:g}'"]
    draw += ["-draw", f"text 4,{len(keys) * h + 12} 'minutes 0 to {end / 60:.0f}'"]
    subprocess.run(["convert", "-size", f"{w}x{len(keys) * h + 20}", "xc:white", "-font", fonts[0], "-pointsize", "12",
                    *draw, path], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class Day:
    def __init__(self, args, ns, tmp):
        self.args, self.ns, self.tmp = args, ns, tmp
        self.rng = random.Random(args.seed)
        self.pc = ["ip", "netns", "exec", ns.pc]
        cable = f"vc{os.getpid() % 100000}"
        subprocess.run(["ip", "link", "add", cable + "a", "netns", ns.pc, "type", "veth", "peer", "name", cable + "b",
                        "netns", ns.phone], check=True)
        for side, dev, address in ((ns.pc, cable + "a", CABLE_PC), (ns.phone, cable + "b", CABLE_PHONE)):
            subprocess.run(["ip", "-n", side, "addr", "add", f"{address}/30", "dev", dev], check=True)
            subprocess.run(["ip", "-n", side, "link", "set", dev, "up"], check=True)
        self.env = ns.wine_prefix(args.build)
        self.env["SHARE_CAPTURE_SOURCE"] = "tone:440"
        self.report_file = os.path.join(tmp, "report.txt")
        self.env["QUILLON_REPORT_FILE"] = "Z:" + self.report_file.replace("/", "\\")
        self.storage = os.path.join(tmp, "phone")
        self.files = os.path.join(tmp, "files")
        os.makedirs(self.files)
        quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        lifetime = str(args.minutes * 60 + 900)
        self.helpers = [
            subprocess.Popen(self.pc + ["env", f"HOME={tmp}", "adb", "-L", "tcp:5037", "nodaemon", "server"], **quiet),
            subprocess.Popen(self.pc + [sys.executable, os.path.join(PEERS, "adb_device_double.py"), "--port", "5601",
                                        "--control", "5602", "--storage", self.storage,
                                        "--relay", f"15568={CABLE_PHONE}:15569", "--relay", f"14127={CABLE_PHONE}:14127",
                                        "--lifetime", lifetime], **quiet)]
        self.phone = Phone(ns, "--usb-port", "15569", "--usb-bind", CABLE_PHONE, "--announce-count", "3", "--start-delay", "1",
                           "--duration", lifetime)
        self.quillon = subprocess.Popen(self.pc + ["wine", os.path.join(args.dist, "Quillon.exe")], env=self.env,
                                        **quiet)
        self.wifi, self.usb, self.frozen = True, False, False
        self.returns = []  # (when, what): a removal's return, due later
        self.events = {}
        self.relinks = {"wifi": [], "usb": []}
        self.dropped = []  # (path, size)
        self.outcomes = {}  # file name: its row as last seen
        self.samples = []
        self.t0 = time.monotonic()
        self.window = None

    # ---- what the program shows and answers ----
    def report(self):
        """The program's diagnostic report as a dict (rows as a list), or None when it did not
        answer within 2 s."""
        r = subprocess.run(self.pc + ["wine", os.path.join(self.args.tests_bin, "report_probe.exe")], env=self.env,
                           capture_output=True, text=True, timeout=60)
        if r.returncode != 0 or not os.path.exists(self.report_file):
            return None
        facts = {"rows": [], "heap": 0}
        with open(self.report_file, encoding="utf-8", errors="replace") as f:
            for line in f:
                key, _, rest = line.rstrip("\n").partition(" ")
                if key == "row":
                    flags, _, name = rest.partition("\t")
                    done, ok, outcome = flags.split(" ", 2)
                    facts["rows"].append({"done": done == "1", "ok": ok == "1", "outcome": outcome, "name": name})
                elif key == "skin":
                    name, _, value = rest.partition(" ")
                    facts[name] = value
                elif key in ("handles", "gdi", "threads", "windows", "tray", "usb", "lua"):
                    facts[key] = int(rest)
                elif key == "heap":  # heap <base> committed <n> busy <n> ...: the bytes in use
                    words = rest.split()
                    facts["heap"] += int(words[words.index("busy") + 1])
        os.remove(self.report_file)
        # Rows of finished batches leave the list when the next batch comes: keep each file's
        # last outcome seen.
        for row in facts["rows"]:
            self.outcomes[row["name"]] = row
        return facts

    def alive(self, what):
        answered = self.report() is not None
        check(answered or self.quillon.poll() is None and self.report() is not None,
              f"{self.clock()} Quillon answers after {what}")
        return answered

    def clock(self):
        return f"[{time.monotonic() - self.t0:6.0f} s]"

    def find_window(self):
        wid = xdo("search", "--onlyvisible", "--name", "^Quillon$").split()
        if wid:
            geo = dict(kv.split("=") for kv in xdo("getwindowgeometry", "--shell", wid[0]).split())
            self.window = (int(geo["X"]), int(geo["Y"]))
        return bool(wid)

    def click(self, dx, dy, button="1"):
        wx, wy = self.window
        xdo("mousemove", str(wx + dx), str(wy + dy), "click", button)
        xdo("mousemove", str(wx + 190), str(wy + 540))  # off every control

    def playing_on_screen(self):
        wx, wy = self.window
        colour = pixel(wx + 74, wy + 166)  # the disc above the sign
        return True if near(colour, ACCENT) else False if near(colour, PANEL) else None

    def links(self):
        """The phone's links so far, from its own report."""
        self.phone.press("report")
        wait_for(lambda: self.phone.seen("so-far "), 5)
        lines = [line for line in self.phone.log if "so-far " in line]
        self.phone.log = [line for line in self.phone.log if "so-far " not in line]
        return json.loads(lines[-1].split("so-far ", 1)[1]) if lines else {}

    def link_count(self, usb):
        return len([k for k in (self.links().get("links") or []) if k["usb"] == usb])

    # ---- the schedule's events ----
    def count(self, name):
        self.events[name] = self.events.get(name, 0) + 1

    def later(self, seconds, what):
        self.returns.append((time.monotonic() + seconds, what))

    def wifi_leave(self):
        self.wifi = False
        subprocess.run(["ip", "-n", self.ns.phone, "link", "set", self.ns.veth_phone, "down"], check=True)
        self.later(self.rng.uniform(3, 25), self.wifi_return)

    def running_app(self):
        """A frozen app comes back first: a return is timed from when the phone can answer."""
        if self.frozen:
            self.returns = [r for r in self.returns if r[1] != self.app_thaw]
            self.app_thaw()

    def wifi_return(self):
        self.running_app()
        before = self.link_count(False)
        subprocess.run(["ip", "-n", self.ns.phone, "link", "set", self.ns.veth_phone, "up"], check=True)
        subprocess.run(["ip", "-n", self.ns.phone, "route", "replace", "default", "dev", self.ns.veth_phone])
        self.wifi = True
        t = time.monotonic()
        # The app announces itself while it has no link; the PC's old link ends by keep-alive.
        relinked = wait_for(lambda: self.phone.press("announce") or self.link_count(False) > before, RELINK_BOUND,
                            step=2)
        self.relinks["wifi"].append(time.monotonic() - t if relinked else None)
        check(relinked, f"{self.clock()} the Wi-Fi link comes back within {RELINK_BOUND} s")

    def app_freeze(self):
        self.frozen = True
        subprocess.run(["kill", "-STOP", str(self.phone.proc.pid)])
        subprocess.run(["pkill", "-STOP", "-P", str(self.phone.proc.pid)])
        self.later(self.rng.uniform(2, 10), self.app_thaw)

    def app_thaw(self):
        subprocess.run(["pkill", "-CONT", "-P", str(self.phone.proc.pid)])
        subprocess.run(["kill", "-CONT", str(self.phone.proc.pid)])
        self.frozen = False

    def adb(self, *words):
        return subprocess.run(self.pc + ["env", f"HOME={self.tmp}", "adb", "-P", "5037", *words],
                              capture_output=True, text=True, timeout=30)

    def unplug(self):
        self.usb = False
        self.adb("disconnect", "127.0.0.1:5601")
        self.later(self.rng.uniform(3, 20), self.plug)

    def plug(self):
        self.running_app()
        before = self.link_count(True)
        t = time.monotonic()
        self.adb("connect", "127.0.0.1:5601")
        self.usb = True
        relinked = wait_for(lambda: self.link_count(True) > before, RELINK_BOUND, step=1)
        self.relinks["usb"].append(time.monotonic() - t if relinked else None)
        check(relinked, f"{self.clock()} the USB link comes back within {RELINK_BOUND} s of the plug")

    def play_click(self):
        self.click(74, 200)

    def phone_play(self):
        self.phone.press(f"state {self.rng.choice((2, 3))}")

    def both_at_once(self):
        self.phone.press(f"state {self.rng.choice((2, 3))}")
        self.click(74, 200)

    def drop(self):
        names = ["photo %d.jpg", "song %d.mp3", "clip %d.mp4", "\u7b14\u8bb0 %d.txt", "empty %d.txt",
                 "\u0444\u043e\u0442\u043e %d.png", "app %d.apk"]
        batch = []
        for _ in range(self.rng.randint(1, 4)):
            n = len(self.dropped) + len(batch)
            name = self.rng.choice(names) % n
            path = os.path.join(self.files, name)
            size = 0 if name.startswith("empty") else self.rng.choice((1, 700, 64 << 10, 1 << 20, 3 << 20))
            with open(path, "wb") as f:
                f.write(random.Random(n).randbytes(size))
            batch.append((path, size))
        self.dropped += batch
        wx, wy = self.window
        subprocess.run(["/usr/bin/python3", XDND, str(wx + 190), str(wy + 338), *[p for p, _ in batch]], timeout=30)

    def visible_windows(self):
        """The program's visible top-level windows (its window, and a menu when one is open)."""
        return (self.report() or {}).get("windows")

    def to_tray_and_back(self):
        self.click(358, 28)  # close: to the tray
        hidden = wait_for(lambda: not xdo("search", "--onlyvisible", "--name", "^Quillon$"), 10)
        check(hidden, f"{self.clock()} the close button hides the window to the tray")
        tray = xdo("search", "--name", "Wine System Tray").split()
        if tray:
            tgeo = dict(kv.split("=") for kv in xdo("getwindowgeometry", "--shell", tray[0]).split())
            xdo("mousemove", str(int(tgeo["X"]) + 11), str(int(tgeo["Y"]) + int(tgeo["HEIGHT"]) - 13), "click", "1")
        check(wait_for(self.find_window, 10), f"{self.clock()} the tray icon brings the window back")

    def menu(self):
        # On a loaded machine the menu may open after a key sent a fixed time after the click:
        # Esc goes once the menu is there, and the next step starts once it is gone.
        self.click(302, 28)  # the menu button
        opened = wait_for(lambda: (self.visible_windows() or 0) >= 2, 10, step=0.5)
        xdo("key", "Escape")
        closed = wait_for(lambda: self.visible_windows() == 1, 10, step=0.5)
        check(opened and closed, f"{self.clock()} the menu opens, and Esc closes it")

    def delete_history_row(self):
        self.click(185, 285)  # "Sent before"
        time.sleep(1)
        self.click(323, 322)  # the first row's remove button
        time.sleep(1)
        self.click(75, 285)  # back to the transfers

    def step(self):
        actions = [(self.play_click, 5), (self.phone_play, 4), (self.both_at_once, 2), (self.drop, 4),
                   (self.to_tray_and_back, 2), (self.menu, 2), (self.delete_history_row, 1)]
        if self.wifi and not self.frozen:
            actions += [(self.wifi_leave, 2), (self.app_freeze, 1)]
        if self.usb:
            actions += [(self.unplug, 2)]
        action = self.rng.choices([a for a, _ in actions], [w for _, w in actions])[0]
        self.count(action.__name__)
        print(f"{self.clock()} {action.__name__}", flush=True)
        action()

    def sample(self):
        facts = self.report() or {}
        with open(f"/proc/{self.quillon.pid}/smaps_rollup") as f:
            dirty = sum(int(line.split()[1]) for line in f if line.startswith("Private_Dirty:")) * 1024
        # Committed private memory as Windows counts it, summed by a probe from outside.
        probe = subprocess.run(self.pc + ["wine", os.path.join(self.args.tests_bin, "process_probe.exe"), "Quillon.exe"],
                               env=self.env, capture_output=True, text=True, timeout=60).stdout.split()
        committed = round(int(probe[1]) / 1024, 2) if len(probe) == 2 else None
        self.samples.append({"t": round(time.monotonic() - self.t0), "handles": facts.get("handles"),
                             "gdi": facts.get("gdi"), "threads": facts.get("threads"), "lua": facts.get("lua"),
                             "heap_mib": round(facts["heap"] / MiB, 2) if facts.get("heap") else None,
                             "committed_mib": committed, "dirty_mib": round(dirty / MiB, 2)})
        print(f"{self.clock()} sample {self.samples[-1]}", flush=True)

    # ---- the day ----
    def run(self):
        if not check(wait_for(self.find_window, 60), "the window shows"):
            return
        check(wait_for(lambda: self.link_count(False) > 0, 40), "linked over Wi-Fi")
        self.plug()
        self.sample()
        end = self.t0 + self.args.minutes * 60
        next_sample = time.monotonic() + self.args.sample_every
        while time.monotonic() < end:
            for due in sorted([r for r in self.returns if r[0] <= time.monotonic()], key=lambda r: r[0]):
                if due not in self.returns:
                    continue  # done by an earlier return (a Wi-Fi return thaws the app first)
                self.returns.remove(due)
                self.count(due[1].__name__)
                print(f"{self.clock()} {due[1].__name__}", flush=True)
                due[1]()
            self.step()
            time.sleep(self.rng.uniform(0.5, 4))
            self.alive("the step")
            if time.monotonic() >= next_sample:
                self.sample()
                next_sample += self.args.sample_every
            if self.quillon.poll() is not None:
                check(False, f"{self.clock()} Quillon ended (exit code {self.quillon.returncode})")
                return
        for _, back in sorted(self.returns, key=lambda r: r[0]):
            self.count(back.__name__)
            back()
        self.returns = []
        self.settle()

    def settle(self):
        """Everything back: the end's checks."""
        self.phone.press("state 2")
        names = [os.path.basename(p) for p, _ in self.dropped]

        def all_done():
            self.report()
            return all(self.outcomes.get(n, {}).get("done") for n in names)
        rows_done = wait_for(all_done, 180, step=3)
        open_rows = [n for n in names if not self.outcomes.get(n, {}).get("done")]
        check(rows_done, f"every dropped file's row ends with an outcome (still open: {open_rows})")
        landed = 0
        for row in self.outcomes.values():
            if not row["ok"]:
                continue
            matches = [p for p, _ in self.dropped if os.path.basename(p) == row["name"]]
            on_phone = [os.path.join(d, row["name"]) for d, _, names in os.walk(self.storage) if row["name"] in names]
            same = matches and on_phone and open(matches[-1], "rb").read() == open(on_phone[-1], "rb").read()
            landed += 1 if same or row["name"].endswith(".apk") else 0
            check(same or row["name"].endswith(".apk"), f"{row['name']}, shown {row['outcome']}, is on the phone byte for byte")
        time.sleep(5)
        facts = self.report() or {}
        playing = self.playing_on_screen()
        check(playing is not None and (facts.get("sound.playing") == "1") == playing,
              f"the play control ({playing}) and the skin ({facts.get('sound.playing')}) agree")
        audio = self.links().get("audio") or {}
        check(audio.get("bad_blocks", 1) == 0, f"no corrupt audio block ({audio})")
        # Idle again: the resources come back near the start's level.
        time.sleep(20)
        self.sample()
        first, last = self.samples[0], self.samples[-1]
        for key, bound in (("handles", 40), ("gdi", 20), ("threads", 4), ("heap_mib", 2), ("committed_mib", 8),
                           ("dirty_mib", 8)):
            if first.get(key) is not None and last.get(key) is not None:
                check(last[key] <= first[key] + bound, f"{key} back near the start when idle: {first[key]} -> {last[key]}")
        self.figures(landed)

    def figures(self, landed):
        print("\nfigures")
        print("  events: " + ", ".join(f"{k} {v}" for k, v in sorted(self.events.items())))
        for kind, times in self.relinks.items():
            done = sorted(t for t in times if t is not None)
            if done:
                p95 = done[min(len(done) - 1, int(round(0.95 * (len(done) - 1))))]
                print(f"  {kind} relinks: {len(done)} of {len(times)}, median {statistics.median(done):.1f} s, "
                      f"95th {p95:.1f} s, worst {done[-1]:.1f} s")
        sizes = sum(s for _, s in self.dropped)
        failed = [n for n, r in self.outcomes.items() if r["done"] and not r["ok"]]
        installed = sum(1 for r in self.outcomes.values() if r["ok"] and r["name"].endswith(".apk"))
        print(f"  transfers: {len(self.dropped)} files dropped ({sizes / MiB:.1f} MiB), {landed - installed} shown sent "
              f"and on the phone byte for byte, {installed} APKs shown installed, {len(failed)} failed (dropped "
              f"without a link or cut off by an unplug or a Wi-Fi loss)")
        print(f"  audio: {json.dumps(self.links().get('audio'))}")
        os.makedirs(self.args.out, exist_ok=True)
        with open(os.path.join(self.args.out, "samples.csv"), "w", newline="") as f:
            w = csv.DictWriter(f, fieldnames=list(self.samples[0]))
            w.writeheader()
            w.writerows(self.samples)
        plot(self.samples, os.path.join(self.args.out, "samples.png"))
        steady = self.samples[1:] if len(self.samples) > 3 else self.samples
        for key in KEYS:
            points = [(s["t"] / 3600, s[key]) for s in steady if s.get(key) is not None]
            if len(points) >= 2 and len({t for t, _ in points}) > 1:
                mt = statistics.mean(t for t, _ in points)
                mv = statistics.mean(v for _, v in points)
                slope = sum((t - mt) * (v - mv) for t, v in points) / sum((t - mt) ** 2 for t, _ in points)
                print(f"  {key}: {min(v for _, v in points)}..{max(v for _, v in points)}, slope {slope:+.2f} per hour")

    def close(self):
        for p in self.helpers + [self.phone.proc]:
            subprocess.run(["kill", "-CONT", str(p.pid)], stderr=subprocess.DEVNULL)
            p.kill()
        if self.quillon.poll() is None:
            self.quillon.kill()


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--build", required=True)
    p.add_argument("--dist", required=True)
    p.add_argument("--tests-bin", required=True)
    p.add_argument("--minutes", type=float, default=2)
    p.add_argument("--seed", type=int, default=1)
    p.add_argument("--sample-every", type=float, default=60)
    p.add_argument("--out", default=None)
    args = p.parse_args()
    if os.geteuid() != 0:
        print("needs root for network namespaces")
        return 77
    tmp = tempfile.mkdtemp(prefix="quillon-day-")
    args.out = args.out or tmp
    print(f"a day of use: {args.minutes:g} minutes, seed {args.seed}", flush=True)
    try:
        with Namespaces("d") as ns:
            day = Day(args, ns, tmp)
            try:
                day.run()
            finally:
                day.close()
    finally:
        if args.out != tmp:
            shutil.rmtree(tmp, ignore_errors=True)
    print(f"{len(check.failures)} failed")
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
