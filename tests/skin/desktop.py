"""What the desktop tests share: waiting, the X display (xdotool, pixels), the tray's balloons,
the phone double driven by its commands, and the device double's control port."""
import os
import queue
import re
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "link"))
from netns import PHONE_ADDR, ROOT  # noqa: E402

PEERS = os.path.join(ROOT, "tests", "peers")
XDND = os.path.join(ROOT, "tools", "xdnd_drop.py")
ACCENT, PANEL = (255, 160, 40), (46, 58, 74)
GOOD, BAD = (92, 201, 138), (224, 96, 90)  # a row's outcome: sent, failed


def wait_for(pred, timeout, step=0.2):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        if pred():
            return True
        time.sleep(step)
    return pred()


def xdo(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True).stdout.strip()


def pixel(x, y):
    out = subprocess.run(["import", "-window", "root", "-crop", f"1x1+{x}+{y}", "txt:-"],
                         capture_output=True, text=True).stdout
    m = re.search(r"srgb\((\d+),(\d+),(\d+)", out)
    return tuple(int(v) for v in m.groups()) if m else None


def near(rgb, want, tolerance=24):
    return rgb is not None and all(abs(a - b) <= tolerance for a, b in zip(rgb, want))


def area_has(x, y, w, h, want, tolerance=40):
    """Whether any pixel of the area is near the colour: text is anti-aliased, so its colour
    shows at some pixels only."""
    out = subprocess.run(["import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}", "txt:-"],
                         capture_output=True, text=True).stdout
    return any(near(tuple(int(v) for v in m.groups()), want, tolerance)
               for m in re.finditer(r"srgb\((\d+),(\d+),(\d+)", out))


class Balloons:
    """Counts the tray's balloons as they show. Wine's explorer, which keeps the tray, maps each
    balloon as an override-redirect window of its own, so the root's map events tell."""

    def __init__(self):
        from Xlib import X, display
        self.X, self.display = X, display.Display()
        self.display.screen().root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.display.flush()
        self.shown = []  # monotonic times
        threading.Thread(target=self.watch, daemon=True).start()

    def watch(self):
        while True:
            e = self.display.next_event()
            if e.type != self.X.MapNotify or not e.override:
                continue
            try:
                owner = (e.window.get_wm_class() or ("",))[0].lower()
                name = e.window.get_wm_name() or ""
            except Exception:  # gone already
                continue
            # The tray's own window is mapped again at times (after a balloon, when icons change).
            if owner == "explorer.exe" and name != "Wine System Tray":
                try:
                    g = e.window.get_geometry()
                    size = (g.width, g.height)
                except Exception:
                    size = None
                self.shown.append((time.monotonic(), size))
                print(f"balloon {size} at {time.monotonic():.2f}", flush=True)

    def since(self, t, unlike=None):
        """Balloons shown from t on; unlike: leave out those of this size (the same text)."""
        return len([s for at, s in self.shown if at >= t and (unlike is None or s != unlike)])

    def size_of_first(self, t):
        return next((s for at, s in self.shown if at >= t), None)


class Phone:
    """The phone double, its log read as it comes."""

    def __init__(self, ns, *args):
        """args: the double's own options besides --bind and --commands."""
        self.proc = subprocess.Popen(
            ["ip", "netns", "exec", ns.phone, sys.executable, os.path.join(PEERS, "phone_double.py"),
             "--bind", PHONE_ADDR, "--commands", *args], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.lines = queue.Queue()
        self.log = []
        threading.Thread(target=self.read, daemon=True).start()

    def read(self):
        for line in self.proc.stdout:
            self.lines.put(line.rstrip())

    def seen(self, text):
        while not self.lines.empty():
            self.log.append(self.lines.get())
        return any(text in line for line in self.log)

    def wait(self, text, timeout=20):
        return wait_for(lambda: self.seen(text), timeout)

    def press(self, command):
        self.proc.stdin.write(command + "\n")
        self.proc.stdin.flush()

    def blocks(self):
        self.log = [l for l in self.log if " blocks " not in l]
        self.press("blocks")
        if not self.wait(" blocks ", 5):
            return -1
        return int([l for l in self.log if " blocks " in l][-1].split()[-1])


def usb_sandbox(pc, home, storage, lifetime):
    """Debian's adb server and the device double (its storage a folder of ours, its relays to
    the phone double's ports) in the PC's namespace: the processes, to be killed by the caller."""
    quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return [
        subprocess.Popen(pc + ["env", f"HOME={home}", "adb", "-L", "tcp:5037", "nodaemon", "server"], **quiet),
        subprocess.Popen(pc + [sys.executable, os.path.join(PEERS, "adb_device_double.py"), "--port", "5601",
                               "--control", "5602", "--storage", storage, "--relay", f"15568={PHONE_ADDR}:15568",
                               "--relay", f"14127={PHONE_ADDR}:14127", "--lifetime", str(lifetime)], **quiet)]


def device_control(pc, command, port=5602):
    """One command to the device double's control port, which lives in the PC's namespace."""
    code = ("import socket,sys; s=socket.create_connection(('127.0.0.1',%d),timeout=5); "
            "s.sendall(sys.argv[1].encode()+b'\\n'); print(s.recv(256).decode().strip())" % port)
    return subprocess.run(pc + [sys.executable, "-c", code, command], capture_output=True, text=True,
                          timeout=15).stdout.strip()
