#!/usr/bin/env python3
"""Start-up and footprint: Quillon.exe with its default skin beside a bare window program of
our own (bench_bare_window, built the same way), started in turn in the same prefix, display
and warm wineserver (a private namespace pair), medians over the runs. For each: the time from
the process start to its window shown and painted, then after some seconds idle its memory
(the Wine process's resident, proportional and private dirty sets, and Windows' private
committed bytes), threads, GDI objects (user objects where the platform counts them). Then
Quillon's own start-up steps (the marks of its diagnostic report), and where its memory goes:
its threads by start function, its committed private memory by owner (thread stacks, process
heaps, the rest by region) and the largest private dirty mappings Linux sees. Last, in the
last run's process, the phases beside its idle figures: streaming the test tone to the phone
double on Wi-Fi, that phone stopping and leaving; a phone on USB (Debian's adb server and the
device double) given a file of --transfer MB dropped on the window, then unplugged.

The program runs from --dist (the release's stripped files: Wine reads a DLL's debug sections
into memory with the rest of the file, 17 MiB of private memory for the build folder's
binaries); thread start addresses are named from --symbols (the build folder).

    bench_footprint.py --dist DIR --symbols DIR --build DIR --arch win32|x64 [--runs N] [--idle S]
                       [--stream S] [--transfer MB]"""
import argparse
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "link"))
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "skin"))
from netns import Namespaces  # noqa: E402
from bench_startup import band_painted, start_streaming_phone, xdo  # noqa: E402
from desktop import XDND, Phone, usb_sandbox  # noqa: E402

MiB = 1024 * 1024


def smaps(pid):
    """Resident, proportional and private dirty bytes of the Linux process, and its mappings
    with their private dirty bytes."""
    totals, maps, current = {"Rss": 0, "Pss": 0, "Private_Dirty": 0}, [], None
    with open(f"/proc/{pid}/smaps") as f:
        for line in f:
            head = line.split()
            if re.match(r"^[0-9a-f]+-[0-9a-f]+ ", line):
                current = [line.split(None, 5)[5].strip() if len(head) > 5 else "[anon]", head[0], 0]
                maps.append(current)
            elif head and head[0].rstrip(":") in totals:
                totals[head[0].rstrip(":")] += int(head[1]) * 1024
                if head[0] == "Private_Dirty:":
                    current[2] += int(head[1]) * 1024
    return totals, maps


def linux_threads(pid):
    return len(os.listdir(f"/proc/{pid}/task"))


class Run:
    def __init__(self, ns, env):
        self.ns, self.env = ns, env

    def wine(self, *args, **kw):
        return subprocess.run(["ip", "netns", "exec", self.ns.pc, "wine", *args], env=self.env,
                              stdin=subprocess.DEVNULL, capture_output=True, text=True, **kw)

    def probe(self, probe_exe, window_class, report=None):
        if report and os.path.exists(report):
            os.remove(report)
        out = self.wine(probe_exe, window_class, *(["report"] if report else []), timeout=60).stdout
        facts = {"threads": [], "regions": [], "heaps": [], "heapregions": set(), "lua": 0, "skin": {},
                 "marks": []}
        for line in out.splitlines():
            key, _, rest = line.partition(" ")
            if key == "thread":
                facts["threads"].append(rest.split()[-1])
            elif key == "region":
                base, size, end, owner = rest.split()
                facts["regions"].append((int(base, 16), int(size), int(end, 16), owner))
            else:
                facts[key] = rest
        if report and os.path.exists(report):
            for line in open(report):
                f = line.split()
                if not f:
                    continue
                if f[0] == "heap":  # heap <base> committed <n> busy <n> blocks <n> large <n>
                    facts["heaps"].append({k: int(v) for k, v in zip(f[2::2], f[3::2])})
                elif f[0] == "heapregion":
                    facts["heapregions"].add(int(f[1], 16))
                elif f[0] == "lua":
                    facts["lua"] = int(f[1])
                elif f[0] in ("handles", "gdi"):
                    facts["own_" + f[0]] = int(f[1])
                elif f[0] == "skin" and len(f) > 1:  # skin link.state linked
                    facts["skin"][f[1]] = f[2] if len(f) > 2 else ""
                elif f[0] == "mark" and len(f) == 3:  # mark <name> <ms since the process started>
                    facts["marks"].append((f[1], float(f[2])))
        # Regions the program's heaps walk as their own.
        facts["regions"] = [(b, s, e, "heap" if b in facts["heapregions"] else o) for b, s, e, o in facts["regions"]]
        return facts

    def start(self, exe, title):
        t0 = time.monotonic()
        proc = subprocess.Popen(["ip", "netns", "exec", self.ns.pc, "wine", exe], env=self.env,
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wid = None
        while time.monotonic() - t0 < 60 and not wid:
            found = xdo("search", "--onlyvisible", "--name", f"^{title}$")
            wid = found[0] if found else None
            time.sleep(0.005)
        shown = time.monotonic() - t0
        while time.monotonic() - t0 < 60 and wid and not band_painted(wid):
            time.sleep(0.005)
        return proc, shown, time.monotonic() - t0


def measure(run, probe_exe, window_class, pid, report=None):
    totals, maps = smaps(pid)
    facts = run.probe(probe_exe, window_class, report)
    # Wine answers no private usage for another process: the committed private regions' sum.
    committed = sum(size for _, size, _, _ in facts["regions"])
    return {"rss": totals["Rss"], "pss": totals["Pss"], "dirty": totals["Private_Dirty"], "private": committed,
            "gdi": facts.get("own_gdi", int(facts.get("gdi_objects", 0))), "user": int(facts.get("user_objects", 0)),
            "handles": facts.get("own_handles", int(facts.get("handles", 0))), "threads": linux_threads(pid), "facts": facts, "maps": maps,
            "heap": sum(h["busy"] for h in facts["heaps"])}


def symbolize(dist, arch, start):
    """"share.dll+0x1234" as the function it names, from the unstripped build folder."""
    module, _, offset = start.partition("+")
    path = os.path.join(dist, module)
    if not os.path.isfile(path):
        return start
    triple = "i686-w64-mingw32" if arch == "win32" else "x86_64-w64-mingw32"
    header = subprocess.run([f"{triple}-objdump", "-p", path], capture_output=True, text=True).stdout
    m = re.search(r"^ImageBase\s+([0-9a-fA-F]+)", header, re.M)
    if not m:
        return start
    address = hex(int(m.group(1), 16) + int(offset, 16))
    name = subprocess.run([f"{triple}-addr2line", "-f", "-e", path, address], capture_output=True,
                          text=True).stdout.split("\n")[0]
    if not name or name == "??":
        return start
    # i686 names lose their leading underscore and carry the stdcall suffix.
    mangled = re.sub(r"@\d+$", "", name)
    mangled = "_" + mangled if mangled.startswith("ZN") else mangled
    name = subprocess.run(["c++filt", mangled], capture_output=True, text=True).stdout.strip() or name
    return f"{module}: {name}"


def row(name, bare, quillon, unit, scale=1.0, ratio=False):
    b, q = statistics.median(bare) / scale, statistics.median(quillon) / scale
    extra = f"{q / b:5.2f}x" if ratio and b else f"{q - b:+8.1f}"
    print(f"  {name:<26} {b:9.1f} {q:9.1f} {unit:<4} {extra}")


def breakdown(m, dist, arch, label):
    print(f"\nQuillon's threads {label}: {m['threads']} (Linux), by start function:")
    counts = {}
    for start in m["facts"]["threads"]:
        name = symbolize(dist, arch, start)
        counts[name] = counts.get(name, 0) + 1
    for name, n in sorted(counts.items(), key=lambda kv: -kv[1]):
        print(f"  {n:3d}  {name}")
    # The same addresses in both views: Linux's private dirty bytes given to Windows' regions.
    regions = m["facts"]["regions"]

    def owner_of(address):
        for base, _, end, owner in regions:
            if base <= address < end:
                return "thread stacks" if owner.startswith("stack:") else owner
        return None
    owners = {}
    for base, size, _, owner in regions:
        kind = "thread stacks" if owner.startswith("stack:") else owner
        owners.setdefault(kind, [0, 0])[0] += size
    others = {}
    for name, span, dirty in m["maps"]:
        start = int(span.split("-")[0], 16)
        kind = owner_of(start) if name == "[anon]" or not name.startswith("/") else None
        kind = kind or ("mapped files (DLLs, fonts, Wine)" if name.startswith("/") else "Wine's own (outside any region)")
        owners.setdefault(kind, [0, 0])[1] += dirty
        if kind in ("unknown", "Wine's own (outside any region)"):
            others[f"{span} {name if name != '[anon]' else ''}".strip()] = (kind, dirty)
    print(f"memory {label} by owner: committed (Windows' view; Wine commits whole stacks) and private dirty (Linux's)")
    for kind, (size, dirty) in sorted(owners.items(), key=lambda kv: -kv[1][1]):
        print(f"  {size / MiB:7.2f} MiB  {dirty / MiB:7.2f} MiB  {kind}")
    for h in m["facts"]["heaps"]:
        print(f"  heap: {h['committed'] / MiB:.2f} MiB committed, {h['busy'] / MiB:.2f} MiB in {h['blocks']} blocks"
              f" ({h['large'] / MiB:.2f} MiB in blocks of 512 KiB or more)")
    if m["facts"]["lua"]:
        print(f"  the Lua state: {m['facts']['lua'] / MiB:.2f} MiB")
    print("  largest private dirty mappings of unknown owner or Wine's own:")
    for span, (kind, d) in sorted(others.items(), key=lambda kv: -kv[1][1])[:8]:
        print(f"    {d / MiB:6.2f} MiB  {span}  ({'in a Windows region' if kind == 'unknown' else 'outside'})")


def wait_link(run, probe_exe, report, states, seconds=60):
    """Polls the skin's link state (through the report) until it is one of states."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if run.probe(probe_exe, "QuillonInstance", report)["skin"].get("link.state") in states:
            return True
        time.sleep(1)
    return False


def stream_phase(run, probe_exe, pid, report, args):
    """The phone double on Wi-Fi plays for --stream seconds, then stops and leaves."""
    phone = start_streaming_phone(run.ns, args.stream)
    time.sleep(args.stream)
    streaming = measure(run, probe_exe, "QuillonInstance", pid, report)
    for command in ("state 2", "leave"):
        phone.stdin.write(command + "\n")
        phone.stdin.flush()
        time.sleep(1)
    left = wait_link(run, probe_exe, report, ("searching", "nophone"))
    time.sleep(args.idle)
    after = measure(run, probe_exe, "QuillonInstance", pid, report)
    phone.kill()
    phone.wait(10)
    return [(f"after {args.stream:.0f} s streaming", streaming),
            ("after the phone left" if left else "phone still linked (!)", after)]


def transfer_phase(run, probe_exe, pid, report, args):
    """A phone plugged in by USB (Debian's adb server and the device double in the PC's
    namespace, the phone double behind the double's relay), a file of --transfer MB dropped on
    the window (XDND) and pushed through the program's own transfer path; then unplugged."""
    ns, tmp = run.ns, tempfile.mkdtemp(prefix="quillon-footprint-")
    pc = ["ip", "netns", "exec", ns.pc]
    storage = os.path.join(tmp, "phone")
    os.makedirs(storage)
    helpers = usb_sandbox(pc, tmp, storage, 900)
    phone = Phone(ns, "--usb", "--announce-count", "0", "--start-delay", "0", "--duration", "900")
    phases = []
    try:
        adb = pc + ["env", f"HOME={tmp}", "adb", "-P", "5037"]
        time.sleep(2)
        subprocess.run(adb + ["connect", "127.0.0.1:5601"], capture_output=True, timeout=30)
        if not phone.wait("sent 0x0110", 60):
            print("transfer phase: the USB phone did not link")
            return phases
        big = os.path.join(tmp, "transfer.bin")
        with open(big, "wb") as f:
            for _ in range(args.transfer):
                f.write(os.urandom(1000 * 1000))
        wid = xdo("search", "--onlyvisible", "--name", "^Quillon$")[0]
        geo = dict(kv.split("=") for kv in subprocess.run(["xdotool", "getwindowgeometry", "--shell", wid],
                                                          capture_output=True, text=True).stdout.split())
        t0 = time.monotonic()
        subprocess.run(["/usr/bin/python3", XDND, str(int(geo["X"]) + 190), str(int(geo["Y"]) + 338), big],
                       timeout=30)
        landed = None
        while time.monotonic() - t0 < 600 and landed is None:
            for folder, _, names in os.walk(storage):
                if "transfer.bin" in names and os.path.getsize(os.path.join(folder, "transfer.bin")) == args.transfer * 10**6:
                    landed = time.monotonic() - t0
            time.sleep(0.5)
        if landed is None:
            print("transfer phase: the file did not land on the phone")
            return phases
        print(f"\n{args.transfer} MB dropped and on the phone after {landed:.1f} s")
        time.sleep(args.idle)  # the row ends, the media scan's shell returns
        phases.append((f"after a {args.transfer} MB transfer", measure(run, probe_exe, "QuillonInstance", pid, report)))
        phone.press("leave")
        subprocess.run(adb + ["disconnect", "127.0.0.1:5601"], capture_output=True, timeout=30)
        left = wait_link(run, probe_exe, report, ("searching", "nophone"))
        time.sleep(args.idle)
        phases.append(("after the USB phone unplugged" if left else "USB phone still linked (!)",
                       measure(run, probe_exe, "QuillonInstance", pid, report)))
    finally:
        for p in helpers + [phone.proc]:
            p.kill()
            p.wait(10)
        shutil.rmtree(tmp, ignore_errors=True)
    return phases


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--dist", required=True)
    p.add_argument("--symbols", required=True)
    p.add_argument("--build", required=True)
    p.add_argument("--arch", default="win32")
    p.add_argument("--runs", type=int, default=5)
    p.add_argument("--idle", type=float, default=8)
    p.add_argument("--stream", type=float, default=60)
    p.add_argument("--transfer", type=int, default=48, help="MB dropped on the USB phone; 0: no transfer phase")
    args = p.parse_args()
    if os.geteuid() != 0:
        print("needs root for network namespaces")
        return 1
    bare_exe = os.path.join(args.build, "bench", "bench_bare_window.exe")
    probe_exe = os.path.join(args.build, "bench", "bench_footprint_probe.exe")
    quillon_exe = os.path.join(args.dist, "Quillon.exe")
    with Namespaces("f") as ns:
        env = ns.wine_prefix(args.build)
        env["SHARE_CAPTURE_SOURCE"] = "tone:440"
        report = os.path.join(args.build, f"footprint-report-{os.getpid()}.txt")
        env["QUILLON_REPORT_FILE"] = "Z:" + report.replace("/", "\\")
        run = Run(ns, env)
        figures = {"bare": [], "quillon": []}
        last = None
        for i in range(args.runs):
            for kind, exe, title, cls in (("bare", bare_exe, "Bare", "BareWindow"),
                                          ("quillon", quillon_exe, "Quillon", "QuillonInstance")):
                proc, shown, painted = run.start(exe, title)
                time.sleep(args.idle)
                m = measure(run, probe_exe, cls, proc.pid, report if kind == "quillon" else None)
                m.update(shown=shown, painted=painted)
                figures[kind].append(m)
                if kind == "quillon" and i == args.runs - 1:
                    last = (proc, m)
                else:
                    proc.kill()
                    proc.wait(30)
                    time.sleep(1)
        print(f"{args.arch} build, {args.runs} runs each, turn about; medians, after {args.idle:.0f} s idle")
        print(f"  {'':<26} {'bare':>9} {'Quillon':>9}")

        def col(kind, key):
            return [m[key] for m in figures[kind]]
        row("start to window shown", col("bare", "shown"), col("quillon", "shown"), "ms", 0.001, True)
        row("start to window painted", col("bare", "painted"), col("quillon", "painted"), "ms", 0.001, True)
        for key, name in (("rss", "resident"), ("pss", "proportional"), ("dirty", "private dirty"),
                          ("private", "private committed")):
            row(name, col("bare", key), col("quillon", key), "MiB", MiB)
        for key, name in (("threads", "threads"), ("handles", "handles"), ("gdi", "GDI objects"),
                          ("user", "user objects")):
            if key != "user" or any(col("bare", key) + col("quillon", key)):  # Wine counts none
                row(name, col("bare", key), col("quillon", key), "")

        marks = {}
        for m in figures["quillon"]:
            for name, ms in m["facts"]["marks"]:
                marks.setdefault(name, []).append(ms)
        if marks:
            print("\nQuillon's start-up steps, ms from the process's creation as Windows keeps it (medians; Wine's"
                  " loader runs before that)")
            previous = 0.0
            for name, times in sorted(marks.items(), key=lambda kv: statistics.median(kv[1])):
                at = statistics.median(times)
                print(f"  {name:<22} {at:7.1f}  {at - previous:+7.1f}")
                previous = at

        proc, idle = last
        breakdown(idle, args.symbols, args.arch, "at idle")
        phases = [("idle", idle)]
        if args.stream > 0:
            phases += stream_phase(run, probe_exe, proc.pid, report, args)
        if args.transfer > 0:
            phases += transfer_phase(run, probe_exe, proc.pid, report, args)
        if len(phases) > 1:
            print(f"\nQuillon after each phase, beside its own idle figures (the last run's, {args.idle:.0f} s after start)")
            print(f"  {'':<34} {'dirty MiB':>14} {'committed MiB':>15} {'heaps MiB':>14} {'threads':>8}")
            for label, m in phases:
                print(f"  {label:<34}" + "".join(
                    f" {m[k] / MiB:6.1f} ({(m[k] - idle[k]) / MiB:+5.1f})" for k in ("dirty", "private", "heap"))
                    + f" {m['threads']:4d} ({m['threads'] - idle['threads']:+d})")
            breakdown(phases[-1][1], args.symbols, args.arch, f"{phases[-1][0]}")
        proc.kill()
        if os.path.exists(report):
            os.remove(report)
    return 0


if __name__ == "__main__":
    sys.exit(main())
