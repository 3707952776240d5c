#!/usr/bin/env python3
"""A hostile phone: everything a broken or malicious peer on the network can send to the PC's
control port (TCP 15548) and discovery port (UDP 9755). Every part is bounded in count and
time; the run prints what it sent as one JSON line ("sent ...").

Parts, in order (--scale multiplies the counts):
  random      connections that send random bytes, then close
  frames      truncated frames, oversized frames, and every message type 0x0100-0x011f with
              wrong payload lengths, one connection each
  drip        one connection that sends frames one byte per 100 ms (beside the parts after it),
              until the PC closes it (it does when the link it was filed under ends)
  half-open   connections opened and left idle (never a byte), then all dropped at once
  cycles      connect-close cycles
  datagrams   random and empty datagrams to 9755
"""
import argparse
import json
import random
import socket
import struct
import threading
import time

MAGIC = 0x00015A01
DISCOVERY_PORT, PC_LISTEN_PORT = 9755, 15548


class Hostile:
    def __init__(self, args):
        self.args = args
        self.rng = random.Random(args.seed)
        self.sent = {"connections": 0, "messages": 0, "bytes": 0, "datagrams": 0, "failed_connects": 0,
                     "drip_bytes": 0}
        self.lock = threading.Lock()

    def count(self, **kw):
        with self.lock:
            for k, v in kw.items():
                self.sent[k] += v

    def connect(self):
        try:
            c = socket.create_connection((self.args.pc, PC_LISTEN_PORT), timeout=3)
        except OSError:
            self.count(failed_connects=1)
            return None
        self.count(connections=1)
        return c

    @staticmethod
    def close(c):
        """Takes the PC's handshake first: a close with unread bytes would be a reset."""
        try:
            c.settimeout(1)
            got = b""
            while len(got) < 4:
                data = c.recv(4 - len(got))
                if not data:
                    break
                got += data
        except OSError:
            pass
        c.close()

    def send_one(self, data, reset=False):
        c = self.connect()
        if not c:
            return
        try:
            c.sendall(data)
            self.count(messages=1, bytes=len(data))
        except OSError:
            pass
        if reset:
            c.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            c.close()
        else:
            self.close(c)

    def random_bytes(self, n):
        for _ in range(n):
            self.send_one(self.rng.randbytes(self.rng.randint(1, 4096)), reset=self.rng.random() < self.args.resets)

    def frames(self, n):
        def frame(kind, length, payload):
            return struct.pack("<IHH", MAGIC, kind, length) + payload
        cases = [frame(0x0112, 4, b"")[:k] for k in range(1, 8)]  # truncated headers
        cases += [frame(0x0112, 65535, self.rng.randbytes(3000)), frame(0x0101, 65535, b""),
                  frame(0x0111, 4, self.rng.randbytes(70000)), b"\xff" * 9000]
        for kind in list(range(0x0100, 0x0120)) + [0x0000, 0xFFFF]:
            for length, size in ((0, 4), (4, 0), (4, 1), (1, 4), (65535, 8), (3, 3)):
                if kind in (0x0101,) and length == size:
                    continue  # a well-formed leave is not bad input
                cases.append(frame(kind, length, self.rng.randbytes(size)))
        for data in (cases * (n // len(cases) + 1))[:max(n, 1)]:
            self.send_one(data)

    def drip(self, seconds, done):
        c = self.connect()
        if not c:
            return
        data = struct.pack("<IHHI", MAGIC, 0x0112, 4, 7) * 100
        end = time.monotonic() + seconds
        i = 0
        try:
            while time.monotonic() < end and not done.is_set():
                c.sendall(data[i % len(data):i % len(data) + 1])
                self.count(bytes=1, drip_bytes=1)
                i += 1
                time.sleep(0.1)
        except OSError:
            pass
        self.count(messages=1)
        self.close(c)

    def half_open(self, n):
        held = [c for c in (self.connect() for _ in range(n)) if c]
        time.sleep(1)
        for c in held:
            self.close(c)

    def cycles(self, n):
        for _ in range(n):
            c = self.connect()
            if c:
                c.close()

    def datagrams(self, n):
        u = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        u.bind((self.args.bind, 0))
        for i in range(n):
            data = b"" if i % 4 == 0 else self.rng.randbytes(self.rng.randint(1, 64))
            u.sendto(data, (self.args.pc, DISCOVERY_PORT))
            self.count(datagrams=1)
            if i % 50 == 49:
                time.sleep(0.01)  # the PC's socket buffer is not the subject
        u.close()

    def run(self):
        s = self.args.scale
        parts = set((self.args.parts or "random,frames,drip,half-open,cycles,datagrams").split(","))
        t0 = time.monotonic()
        if "random" in parts:
            self.random_bytes(int(60 * s))
        if "frames" in parts:
            self.frames(int(300 * s))
        done = threading.Event()
        drip = threading.Thread(target=self.drip, args=(self.args.drip_seconds, done), daemon=True)
        if "drip" in parts:
            drip.start()
        if "half-open" in parts:
            self.half_open(int(100 * s))
        if "cycles" in parts:
            self.cycles(int(200 * s))
        if "datagrams" in parts:
            self.datagrams(int(400 * s))
        if drip.is_alive():
            drip.join(self.args.drip_seconds + 5)
        done.set()
        self.sent["seconds"] = round(time.monotonic() - t0, 1)
        print("sent " + json.dumps(self.sent), flush=True)


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--bind", required=True, help="the phone's address")
    p.add_argument("--pc", required=True, help="the PC's address")
    p.add_argument("--scale", type=float, default=1.0, help="multiplies every count")
    p.add_argument("--drip-seconds", type=float, default=5)
    p.add_argument("--seed", type=int, default=13)
    p.add_argument("--parts", help="comma-separated subset of the parts above")
    p.add_argument("--resets", type=float, default=0.05,
                   help="share of random-byte connections ended by a reset (each is reported after the PC's 2 s pause)")
    Hostile(p.parse_args()).run()


if __name__ == "__main__":
    main()
