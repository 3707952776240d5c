#!/usr/bin/env python3
"""A phone double: behaves like the phone app on the wire of the phone link.

It announces its control port on UDP 9755 (2 bytes, little-endian), accepts the PC's control
connection (or connects to the PC's port when it hears the PC's announcement, with --connect),
checks the "pcid" handshake, answers 0x0110 when it plays the USB link (--usb, or on the links
that reach its --usb-port), reads 0x0111 and 0x0112, sends 0x0112 and 0x0101 when told, and
listens for audio on port 14127 over TCP and UDP.
Audio blocks are a 2-byte little-endian length and an Opus packet; TCP streams are split on
those lengths. The blocks are decoded with libopus (ctypes) and the report gives blocks, bytes,
gaps, the decoded signal's dominant frequency and level. With --block-log every block's arrival
(time.monotonic, shared by all processes on the machine) and its decoded peak are written to a
file, one "seconds peak" line per block, for the delay benchmark.

Frames on the control socket: magic 0x00015A01, type (16 bits), payload length (16 bits),
payload; all little-endian. Every wait has a bound; the run ends by itself after --duration.
"""
import argparse
import ctypes
import ctypes.util
import json
import math
import os
import random
import socket
import struct
import sys
import threading
import time

MAGIC = 0x00015A01
LEAVE, USB_CONFIRMED, STREAM_FORMAT, STATE_SYNC = 0x0101, 0x0110, 0x0111, 0x0112
DISCOVERY_PORT, PC_LISTEN_PORT, AUDIO_PORT = 9755, 15548, 14127


def frame(kind, payload=b""):
    return struct.pack("<IHH", MAGIC, kind, len(payload)) + payload


class Decoder:
    """Opus decoding through the host's libopus; absent library: blocks are only counted."""

    def __init__(self):
        name = ctypes.util.find_library("opus")
        self.lib = ctypes.CDLL(name) if name else None
        self.state = None
        if self.lib:
            self.lib.opus_decoder_create.restype = ctypes.c_void_p
            self.lib.opus_decoder_create.argtypes = [ctypes.c_int, ctypes.c_int, ctypes.POINTER(ctypes.c_int)]
            self.lib.opus_decode_float.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int,
                                                   ctypes.POINTER(ctypes.c_float), ctypes.c_int, ctypes.c_int]
            err = ctypes.c_int(0)
            self.state = self.lib.opus_decoder_create(48000, 2, ctypes.byref(err))
        self.pcm = (ctypes.c_float * (5760 * 2))()

    def decode(self, packet):
        if not self.state:
            return None
        n = self.lib.opus_decode_float(self.state, packet, len(packet), self.pcm, 5760, 0)
        if n <= 0:
            return None
        return [self.pcm[2 * i] for i in range(n)]


class Phone:
    def __init__(self, args):
        self.args = args
        self.lock = threading.Lock()
        self.stop = threading.Event()
        self.t0 = time.monotonic()
        self.decoder = Decoder()
        self.report = {"handshake": False, "messages": [], "pc_announcements": [], "audio": {
            "blocks": 0, "bytes": 0, "bad_blocks": 0, "gaps": 0, "transport": None,
            "first_at": None, "last_at": None}, "decoder": bool(self.decoder.state), "errors": []}
        self.samples = []
        self.last_block_at = None
        self.control = None
        self.block_log = open(args.block_log, "w", buffering=1) if args.block_log else None

    def now(self):
        return round(time.monotonic() - self.t0, 3)

    log_lock = threading.Lock()

    def log(self, text):
        # One write per line under a lock: print's text and newline are two writes, and another
        # thread's line could land between them (a reader then gets two lines run together).
        with self.log_lock:
            sys.stdout.write(f"[phone {self.now():7.3f}] {text}\n")
            sys.stdout.flush()

    # ---- audio ----
    def on_block(self, packet, transport):
        t = time.monotonic()
        with self.lock:
            a = self.report["audio"]
            a["blocks"] += 1
            a["bytes"] += len(packet) + 2
            a["transport"] = transport
            if a["first_at"] is None:
                a["first_at"] = self.now()
                self.log(f"audio arrives over {transport}")
            a["last_at"] = self.now()
            if self.last_block_at is not None and t - self.last_block_at > 0.05:
                a["gaps"] += 1  # more than two 20 ms blocks missing
            self.last_block_at = t
            pcm = self.decoder.decode(packet)
            if pcm is None and self.decoder.state:
                a["bad_blocks"] += 1
            elif pcm:
                self.samples.extend(pcm)
                del self.samples[:-96000]  # keep the last 2 s
            if self.block_log:
                peak = max(abs(v) for v in pcm) if pcm else 0.0
                self.block_log.write(f"{t:.6f} {peak:.4f}\n")

    def udp_audio(self):
        s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        s.bind((self.audio_address(), AUDIO_PORT))
        s.settimeout(0.2)
        while not self.stop.is_set():
            try:
                data = s.recv(65536)
            except socket.timeout:
                continue
            if len(data) >= 2 and struct.unpack_from("<H", data)[0] == len(data) - 2:
                self.on_block(data[2:], "udp")
            else:
                with self.lock:
                    self.report["audio"]["bad_blocks"] += 1
        s.close()

    def tcp_audio(self):
        ls = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        ls.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        ls.bind((self.audio_address(), AUDIO_PORT))
        ls.listen(4)
        ls.settimeout(0.2)
        while not self.stop.is_set():
            try:
                c, _ = ls.accept()
            except socket.timeout:
                continue
            threading.Thread(target=self.tcp_audio_reader, args=(c,), daemon=True).start()
        ls.close()

    def tcp_audio_reader(self, c):
        c.settimeout(0.2)
        buf = b""
        while not self.stop.is_set():
            try:
                data = c.recv(65536)
            except socket.timeout:
                continue
            except OSError:
                break
            if not data:
                break
            buf += data
            while len(buf) >= 2:
                n = struct.unpack_from("<H", buf)[0]
                if len(buf) < 2 + n:
                    break
                self.on_block(buf[2:2 + n], "tcp")
                buf = buf[2 + n:]
        c.close()

    # ---- control ----
    def send(self, kind, payload=b""):
        try:
            self.control.sendall(frame(kind, payload))
            self.log(f"sent 0x{kind:04x} {payload.hex()}")
        except OSError as e:
            self.report["errors"].append(f"send: {e}")

    def serve_control(self, c, usb=False):
        c.settimeout(0.2)
        buf = b""
        deadline = time.monotonic() + 5
        while len(buf) < 4 and time.monotonic() < deadline and not self.stop.is_set():
            try:
                data = c.recv(4 - len(buf))
            except socket.timeout:
                continue
            if not data:
                break
            buf += data
        if buf != b"pcid":
            self.log(f"no handshake: {buf!r}")
            c.close()
            return
        self.report["handshake"] = True
        self.report.setdefault("handshake_at", self.now())
        self.control = c
        self.report.setdefault("links", []).append({"at": self.now(), "usb": bool(self.args.usb or usb)})
        self.log("handshake pcid")
        if self.args.usb or usb:
            self.send(USB_CONFIRMED)
        if self.args.state_sync is not None:
            time.sleep(self.args.state_delay)
            self.send(STATE_SYNC, struct.pack("<I", self.args.state_sync))
        buf = b""
        while not self.stop.is_set():
            try:
                data = c.recv(4096)
            except socket.timeout:
                continue
            except OSError:
                break
            if not data:
                self.log("the PC closed the control connection")
                break
            buf += data
            while len(buf) >= 8:
                magic, kind, length = struct.unpack_from("<IHH", buf)
                if magic != MAGIC:
                    self.report["errors"].append(f"bad magic {magic:#x}")
                    buf = b""
                    break
                if len(buf) < 8 + length:
                    break
                payload = buf[8:8 + length]
                buf = buf[8 + length:]
                value = struct.unpack("<I", payload)[0] if length == 4 else None
                self.report["messages"].append({"type": kind, "value": value, "at": self.now(),
                                                "audio_blocks": self.report["audio"]["blocks"]})
                self.log(f"got 0x{kind:04x} {value}")
                if kind == STATE_SYNC and value == 2 and self.args.leave_after_stop is not None:
                    threading.Thread(target=self.leave_later, daemon=True).start()
        try:
            c.close()
        except OSError:
            pass
        if self.control is c:
            self.control = None
        self.report.setdefault("unlinks", []).append(self.now())

    def leave_later(self):
        time.sleep(self.args.leave_after_stop)
        with self.lock:
            self.report["audio_blocks_at_leave"] = self.report["audio"]["blocks"]
        self.send(LEAVE)

    def audio_address(self):
        """Audio arrives on Wi-Fi and, with --usb-bind, on the cable's address too."""
        return "0.0.0.0" if self.args.usb_bind else self.args.bind

    def usb_control_listener(self):
        self.control_listener(self.args.usb_port, True, self.args.usb_bind)

    def control_listener(self, port=None, usb=False, address=None):
        """The app's control port. The real app tells a USB link by its peer, the adb forward on
        its own loopback; the double, reached through a relay either way, is told by the port
        (--usb-port)."""
        ls = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        ls.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        ls.bind((address or self.args.bind, port or self.args.control_port))
        ls.listen(4)
        ls.settimeout(0.2)
        while not self.stop.is_set():
            try:
                c, peer = ls.accept()
            except socket.timeout:
                continue
            self.log(f"control connection from {peer[0]}")
            threading.Thread(target=self.serve_control, args=(c, usb), daemon=True).start()
        ls.close()

    def discovery(self):
        s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        s.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
        s.bind(("0.0.0.0", DISCOVERY_PORT))
        s.settimeout(0.2)
        while not self.stop.is_set():
            try:
                data, peer = s.recvfrom(64)
            except socket.timeout:
                continue
            if peer[0] == self.args.bind or len(data) < 2:
                continue
            port = struct.unpack_from("<H", data)[0]
            self.report["pc_announcements"].append({"from": peer[0], "port": port, "at": self.now()})
            self.log(f"PC {peer[0]} announces port {port}")
            if self.args.connect and self.control is None:
                c = socket.create_connection((peer[0], port), timeout=3)
                threading.Thread(target=self.serve_control, args=(c,), daemon=True).start()
        s.close()

    # ---- bad input, before the real link ----
    def bad_input(self):
        pc = self.args.pc
        rng = random.Random(5)
        ours = struct.pack("<H", self.args.control_port)
        u = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        for size in (0, 1, 40, 200):
            # The PC takes any datagram for an announcement: its first two bytes name the port
            # (a 1-byte one keeps the second byte of the datagram before). None may name ours by
            # chance, or the PC links before the bad input and its cycles replace that link.
            data = ours
            while data[:1] == ours[:1]:
                data = bytes(rng.getrandbits(8) for _ in range(size)) if size else b""
            u.sendto(data, (pc, DISCOVERY_PORT))
        u.close()
        for _ in range(5):  # bursts of random bytes on the PC's control listener
            try:
                c = socket.create_connection((pc, PC_LISTEN_PORT), timeout=3)
                for _ in range(4):
                    c.sendall(bytes(rng.getrandbits(8) for _ in range(rng.randint(1, 3000))))
                self.await_close(c)
            except OSError as e:
                self.report["errors"].append(f"burst: {e}")
        for i in range(self.args.cycles):  # connect/close cycles: handles must not pile up
            try:
                self.await_close(socket.create_connection((pc, PC_LISTEN_PORT), timeout=3))
            except OSError as e:
                self.report["errors"].append(f"cycle {i}: {e}")
                break
        self.log(f"bad input sent ({self.args.cycles} connect/close cycles)")

    @staticmethod
    def await_close(c):
        """Ends our side and waits (bounded) for the PC to close its own: every connection of
        the bad input is then behind the PC before the real link starts. A slow PC would
        otherwise take a late one from its backlog for the phone's newest link."""
        try:
            c.shutdown(socket.SHUT_WR)
            c.settimeout(5)
            while c.recv(4096):
                pass
        except OSError:
            pass
        finally:
            c.close()

    def announce(self):
        s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        s.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
        s.bind((self.args.bind, 0))
        s.sendto(struct.pack("<H", self.args.control_port), ("255.255.255.255", DISCOVERY_PORT))
        s.close()
        self.report.setdefault("first_announce_at", self.now())
        self.log(f"announced control port {self.args.control_port}")

    def analyse(self):
        x = self.samples[-48000:]
        a = self.report["audio"]
        if len(x) < 4800:
            return
        rms = math.sqrt(sum(v * v for v in x) / len(x))
        a["level_dbfs"] = round(20 * math.log10(rms * math.sqrt(2)), 2) if rms > 0 else None
        ups = [i for i in range(1, len(x)) if x[i - 1] < 0 <= x[i]]
        if len(ups) > 1:
            a["dominant_hz"] = round((len(ups) - 1) * 48000 / (ups[-1] - ups[0]), 1)

    def snr(self, hz):
        """The last second's decoded signal against the best-fitting sine of `hz` (least
        squares, any phase): signal to residual power in dB."""
        with self.lock:
            x = self.samples[-48000:]
        if len(x) < 4800:
            return None
        w = 2 * math.pi * hz / 48000
        s = [math.sin(w * i) for i in range(len(x))]
        c = [math.cos(w * i) for i in range(len(x))]
        a = 2 * sum(v * k for v, k in zip(x, s)) / len(x)
        b = 2 * sum(v * k for v, k in zip(x, c)) / len(x)
        residual = sum((v - a * si - b * ci) ** 2 for v, si, ci in zip(x, s, c))
        signal = (a * a + b * b) / 2 * len(x)
        return round(10 * math.log10(signal / residual), 1) if residual > 0 else None

    def commands(self):
        """The phone's buttons, pressed by the test: "state N" sends 0x0112 N, "leave" 0x0101,
        "blocks" prints the audio blocks received so far, "snr HZ" the last second's SNR
        against a tone of HZ, "announce" announces the control port once (as the app does while
        it has no link), "report" prints the report so far as one line of JSON."""
        for line in sys.stdin:
            words = line.split()
            if words and words[0] == "snr":
                self.log(f"snr {self.snr(float(words[1]))}")
                continue
            if words and words[0] == "announce":
                try:
                    self.announce()
                except OSError as e:  # off the network: the announcement goes nowhere
                    self.log(f"announce failed: {e}")
                continue
            if words and words[0] == "report":
                with self.lock:
                    self.log("so-far " + json.dumps({k: self.report.get(k) for k in (
                        "audio", "links", "unlinks", "messages", "errors")}))
                continue
            if not words or self.control is None and words[0] != "blocks":
                continue
            if words[0] == "state":
                self.send(STATE_SYNC, struct.pack("<I", int(words[1])))
            elif words[0] == "leave":
                self.send(LEAVE)
            elif words[0] == "blocks":
                with self.lock:
                    self.log(f"blocks {self.report['audio']['blocks']}")

    def run(self):
        work = [self.udp_audio, self.tcp_audio, self.control_listener, self.discovery]
        if self.args.usb_port:
            work.append(self.usb_control_listener)
        if self.args.commands:
            work.append(self.commands)
        threads = [threading.Thread(target=f, daemon=True) for f in work]
        for t in threads:
            t.start()
        if self.args.pc:
            # Bad input only once the PC is up: its announcement tells.
            deadline = time.monotonic() + 60
            while not self.report["pc_announcements"] and time.monotonic() < deadline:
                time.sleep(0.1)
        time.sleep(self.args.start_delay)
        if self.args.pc:
            self.bad_input()
            time.sleep(1)
        if not self.args.connect:
            for _ in range(self.args.announce_count):
                if self.control is not None:
                    break
                self.announce()
                time.sleep(self.args.announce_every)
        end = self.t0 + self.args.duration
        while time.monotonic() < end and not self.stop.is_set():
            if self.args.until_leave and "audio_blocks_at_leave" in self.report:
                time.sleep(0.5)
                break
            time.sleep(0.1)
        self.stop.set()
        for t in threads:
            t.join(1)
        self.analyse()
        if self.block_log:
            self.block_log.close()
        self.log("report " + json.dumps(self.report["audio"]))
        if self.args.report:
            with open(self.args.report, "w") as f:
                json.dump(self.report, f, indent=1)


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--bind", required=True, help="the phone's own address")
    p.add_argument("--pc", help="the PC's address: send bad input to it first")
    p.add_argument("--control-port", type=int, default=15568)
    p.add_argument("--connect", action="store_true", help="connect to the PC when it announces")
    p.add_argument("--usb", action="store_true", help="confirm the link with 0x0110")
    p.add_argument("--usb-port", type=int, help="a second control port whose links confirm USB")
    p.add_argument("--usb-bind", help="the --usb-port's address, when the cable has its own (default --bind)")
    p.add_argument("--state-sync", type=int, help="send 0x0112 with this value once linked")
    p.add_argument("--state-delay", type=float, default=1.0)
    p.add_argument("--leave-after-stop", type=float, help="send 0x0101 this long after 0x0112 2")
    p.add_argument("--until-leave", action="store_true", help="end soon after the leave")
    p.add_argument("--cycles", type=int, default=0)
    p.add_argument("--start-delay", type=float, default=2.0)
    p.add_argument("--announce-count", type=int, default=10)
    p.add_argument("--announce-every", type=float, default=1.5)
    p.add_argument("--duration", type=float, default=30)
    p.add_argument("--report", help="write the JSON report here")
    p.add_argument("--block-log", help="write each block's arrival time and decoded peak here")
    p.add_argument("--commands", action="store_true", help="take button presses on stdin")
    Phone(p.parse_args()).run()


if __name__ == "__main__":
    main()
