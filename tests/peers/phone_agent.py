#!/usr/bin/env python3
"""A phone on the wire, driven step by step: a test program on the PC side sends it one-line
commands as UDP datagrams (to --bind:--command-port) and gets one line back. It plays the
parts of discovery a test needs to time itself: announcements, listeners that count the PC's
connections and hold them, frames on a held connection, close or reset, connect/close cycles
and bad input against the PC's ports. It also counts the PC's own announcements on UDP 9755.

Commands (answers in brackets):
  listen PORT            a TCP listener on PORT that holds what it accepts      [ok]
  conn PORT              connections accepted on PORT, and how many sent "pcid" [N H]
  frame PORT HEX         bytes on PORT's newest connection                       [ok|none]
  close PORT | reset PORT   ends PORT's newest connection (FIN or RST)           [ok|none]
  eof PORT               whether the PC closed PORT's newest connection          [1|0|none]
  send IP PORT HEX       one datagram from the phone's address                   [ok]
  flood IP PORT HEX N    N such datagrams at once                               [ok]
  stall PORT             a listener on PORT whose queue is full and never taken, so
                         connects to it hang until "unstall PORT" closes it       [ok]
  announce PORT          the phone's announcement, broadcast to 255.255.255.255:9755  [ok]
  heard                  the PC's announcements heard so far                     [N PORT]
  cycles N               N connect/close cycles on the PC's TCP 15548            [done]
  burst N                N connections that send random bytes, then close       [done]
  announce_cycles N PORT N times: announce PORT, take the PC's connection, close [done]
  resets N               N connections to 15548 reset at once, before the PC can accept [done N]
  hold N                 N connections to 15548 one after another, each held once the PC
                         has written to it (its handshake left unread)             [held N]
  drop                   closes the held connections; unread data makes each a reset [dropped N]
  linkdown SECONDS       the phone's network goes: its interface is taken down for SECONDS
                         (connections stay open and silent), then comes back      [ok]
  quit                                                                          [bye]
Every wait is bounded; the agent ends by itself after --lifetime seconds.
"""
import argparse
import random
import select
import socket
import struct
import subprocess
import threading
import time

DISCOVERY_PORT, PC_LISTEN_PORT = 9755, 15548


class Agent:
    def __init__(self, args):
        self.args = args
        self.lock = threading.Lock()
        self.listeners = {}  # port -> {"sock", "conns": [sock], "handshakes": int}
        self.heard = []
        self.stop = threading.Event()
        self.held = []
        self.stalled = {}

    def discovery(self):
        s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        s.bind(("0.0.0.0", DISCOVERY_PORT))
        s.settimeout(0.2)
        while not self.stop.is_set():
            try:
                data, peer = s.recvfrom(64)
            except socket.timeout:
                continue
            if peer[0] == self.args.pc and len(data) >= 2:
                with self.lock:
                    self.heard.append(struct.unpack_from("<H", data)[0])
        s.close()

    def accept_loop(self, port, ls):
        while not self.stop.is_set():
            r, _, _ = select.select([ls], [], [], 0.2)
            if not r:
                continue
            c, _ = ls.accept()
            entry = self.listeners[port]
            with self.lock:
                entry["conns"].append(c)
            threading.Thread(target=self.read_handshake, args=(entry, c), daemon=True).start()

    def read_handshake(self, entry, c):
        buf = b""
        end = time.monotonic() + 5
        while len(buf) < 4 and time.monotonic() < end:
            try:  # the connection may be closed meanwhile by a command
                r, _, _ = select.select([c], [], [], 0.2)
                if not r:
                    continue
                data = c.recv(4 - len(buf))
            except (OSError, ValueError):
                return
            if not data:
                return
            buf += data
        if buf == b"pcid":
            with self.lock:
                entry["handshakes"] += 1

    def newest(self, port):
        entry = self.listeners.get(port)
        return entry["conns"][-1] if entry and entry["conns"] else None

    def handle(self, words):
        cmd = words[0]
        if cmd == "listen":
            port = int(words[1])
            if port not in self.listeners:
                ls = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
                ls.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
                ls.bind((self.args.bind, port))
                ls.listen(64)
                self.listeners[port] = {"sock": ls, "conns": [], "handshakes": 0}
                threading.Thread(target=self.accept_loop, args=(port, ls), daemon=True).start()
            return "ok"
        if cmd == "conn":
            e = self.listeners.get(int(words[1]))
            with self.lock:
                return f"{len(e['conns'])} {e['handshakes']}" if e else "0 0"
        if cmd in ("frame", "close", "reset", "eof"):
            c = self.newest(int(words[1]))
            if c is None:
                return "none"
            if cmd == "frame":
                c.sendall(bytes.fromhex(words[2]))
            elif cmd == "close":
                c.close()
            elif cmd == "reset":
                c.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                c.close()
            else:
                try:
                    r, _, _ = select.select([c], [], [], 0)
                    while r:
                        data = c.recv(4096)
                        if not data:
                            return "1"
                        r, _, _ = select.select([c], [], [], 0)
                    return "0"
                except OSError:
                    return "1"
            return "ok"
        if cmd == "send":
            u = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
            u.bind((self.args.bind, 0))
            u.sendto(bytes.fromhex(words[3]) if len(words) > 3 else b"", (words[1], int(words[2])))
            u.close()
            return "ok"
        if cmd == "flood":
            u = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
            u.bind((self.args.bind, 0))
            for _ in range(int(words[4])):
                u.sendto(bytes.fromhex(words[3]), (words[1], int(words[2])))
                time.sleep(0.001)  # within the PC's receive buffer
            u.close()
            return "ok"
        if cmd == "stall":
            ls = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
            ls.bind((self.args.bind, int(words[1])))
            ls.listen(0)
            filler = socket.create_connection((self.args.bind, int(words[1])), timeout=3)
            self.stalled[int(words[1])] = (ls, filler)  # the queue's one place is taken
            return "ok"
        if cmd == "unstall":
            for sock in self.stalled.pop(int(words[1]), ()):
                sock.close()
            return "ok"
        if cmd == "announce":
            self.announce(int(words[1]))
            return "ok"
        if cmd == "heard":
            with self.lock:
                return f"{len(self.heard)} {self.heard[-1] if self.heard else 0}"
        if cmd == "cycles":
            for _ in range(int(words[1])):
                c = socket.create_connection((self.args.pc, PC_LISTEN_PORT), timeout=3)
                c.close()
            return "done"
        if cmd == "burst":
            rng = random.Random(7)
            for _ in range(int(words[1])):
                c = socket.create_connection((self.args.pc, PC_LISTEN_PORT), timeout=3)
                for _ in range(4):
                    c.sendall(bytes(rng.getrandbits(8) for _ in range(rng.randint(1, 3000))))
                c.close()
            return "done"
        if cmd == "announce_cycles":
            n, port = int(words[1]), int(words[2])
            self.handle(["listen", str(port)])
            done = 0
            for _ in range(n):
                before = len(self.listeners[port]["conns"])
                self.announce(port)
                end = time.monotonic() + 5
                while len(self.listeners[port]["conns"]) == before and time.monotonic() < end:
                    time.sleep(0.005)
                if len(self.listeners[port]["conns"]) == before:
                    break
                self.listeners[port]["conns"][-1].close()
                done += 1
            return f"done {done}"
        if cmd == "resets":
            done = 0
            for _ in range(int(words[1])):
                try:  # a PC that stopped accepting lets the backlog fill: connects time out
                    c = socket.create_connection((self.args.pc, PC_LISTEN_PORT), timeout=3)
                except OSError:
                    break
                c.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                c.close()
                done += 1
            return f"done {done}"
        if cmd == "hold":
            for _ in range(int(words[1])):
                c = socket.create_connection((self.args.pc, PC_LISTEN_PORT), timeout=3)
                self.held.append(c)
                select.select([c], [], [], 3)  # the PC's handshake: it took the connection
            return f"held {len(self.held)}"
        if cmd == "drop":
            n = len(self.held)
            for c in self.held:
                c.close()
            self.held = []
            return f"dropped {n}"
        if cmd == "linkdown":
            threading.Thread(target=self.link_down, args=(float(words[1]),), daemon=True).start()
            return "ok"
        if cmd == "quit":
            self.stop.set()
            return "bye"
        return "unknown"

    def link_down(self, seconds):
        """Takes the interface holding the phone's address down and up again; the default
        route goes with it and is made again."""
        out = subprocess.run(["ip", "-o", "-4", "addr", "show"], capture_output=True, text=True).stdout
        dev = next(l.split()[1] for l in out.splitlines() if f" {self.args.bind}/" in l)
        time.sleep(0.3)  # the answer leaves first
        subprocess.run(["ip", "link", "set", "dev", dev, "down"], check=True)
        time.sleep(seconds)
        subprocess.run(["ip", "link", "set", "dev", dev, "up"], check=True)
        subprocess.run(["ip", "route", "replace", "default", "dev", dev], check=True)

    def announce(self, port):
        s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        s.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
        s.bind((self.args.bind, 0))
        s.sendto(struct.pack("<H", port), ("255.255.255.255", DISCOVERY_PORT))
        s.close()

    def run(self):
        threading.Thread(target=self.discovery, daemon=True).start()
        cs = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        cs.bind((self.args.bind, self.args.command_port))
        cs.settimeout(0.2)
        end = time.monotonic() + self.args.lifetime
        while not self.stop.is_set() and time.monotonic() < end:
            try:
                data, peer = cs.recvfrom(65536)
            except socket.timeout:
                continue
            words = data.decode(errors="replace").split()
            try:
                answer = self.handle(words) if words else "empty"
            except (OSError, ValueError, IndexError) as e:
                answer = f"error {e}"
            print(f"[agent] {' '.join(words)[:60]} -> {answer}", flush=True)
            cs.sendto(answer.encode(), peer)
        self.stop.set()


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--bind", required=True, help="the phone's address")
    p.add_argument("--pc", required=True, help="the PC's address")
    p.add_argument("--command-port", type=int, default=9900)
    p.add_argument("--lifetime", type=float, default=240)
    Agent(p.parse_args()).run()


if __name__ == "__main__":
    main()
