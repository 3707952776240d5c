#!/usr/bin/env python3
"""A stand-in for an Android phone on the device side of an adb server.

It listens on a TCP port; the adb server attaches it with `adb connect 127.0.0.1:PORT`
(smart socket `host:connect:127.0.0.1:PORT`) and then talks the device transport to it:
CNXN (no AUTH unless asked to play an unauthorized phone), streams opened by the server
with OPEN, answered with OKAY/WRTE/CLSE, one WRTE in flight per stream and direction. The
double never sends OPEN itself: Debian's patched server aborts when a device does.

Services:
  shell:<cmd>, exec:<cmd>   canned device answers (getprop, am start, pm install, rm,
                            am broadcast, echo, ls); every command is logged
  sync:                     SEND/DATA/DONE into a folder that stands for the phone's
                            storage ("/sdcard/x" is <storage>/sdcard/x), STAT, RECV, QUIT
  tcp:<port>                relayed to --relay PORT=HOST:PORT targets, or an echo service
                            for --echo-port ports; anything else is refused

A control port (--control) takes one-line commands and answers one line:
  set <key> <value>   keys: app_installed, install_fails, drop_after, model, crlf
  log                 the shell commands so far, as a JSON list
  ping                "pong"

    adb_device_double.py --port P --storage DIR [--control C] [--unauthorized] ...
"""
import argparse
import asyncio
import json
import os
import shlex
import struct
import sys

A_CNXN = 0x4E584E43
A_AUTH = 0x48545541
A_OPEN = 0x4E45504F
A_OKAY = 0x59414B4F
A_WRTE = 0x45545257
A_CLSE = 0x45534C43
A_VERSION = 0x01000001
MAX_PAYLOAD = 256 * 1024

APK_PACKAGE = "com.tovrel.quillon"


class Settings:
    def __init__(self, args):
        self.model = args.model
        self.app_installed = not args.no_app
        self.install_fails = args.install_fails
        self.drop_after = args.drop_after  # bytes of pushed file data, then the link drops
        self.crlf = args.crlf
        self.unauthorized = args.unauthorized
        self.storage = os.path.abspath(args.storage)
        self.relays = {}
        for spec in args.relay:
            port, target = spec.split("=", 1)
            host, tport = target.rsplit(":", 1)
            self.relays[int(port)] = (host, int(tport))
        self.echo_ports = set(args.echo_port)
        self.log = []
        self.log_file = args.log


def local_path(settings, remote):
    """The storage folder's file for a phone path; None for paths that leave the folder."""
    parts = [p for p in remote.split("/") if p not in ("", ".")]
    if ".." in parts or not parts:
        return None
    return os.path.join(settings.storage, *parts)


def packet(cmd, arg0, arg1, data=b""):
    # The byte-sum checksum keeps pre-2018 servers happy; newer ones ignore it.
    return struct.pack("<6I", cmd, arg0, arg1, len(data), sum(data) & 0xFFFFFFFF,
                       cmd ^ 0xFFFFFFFF) + data


class Stream:
    """One stream opened by the server: our id, the server's id, and the flow control."""

    def __init__(self, link, local_id, remote_id):
        self.link = link
        self.local_id = local_id
        self.remote_id = remote_id
        self.inbound = asyncio.Queue()  # bytes, or None at the end
        self.acked = asyncio.Event()
        self.acked.set()
        self.closed = False

    async def write(self, data):
        view = memoryview(data)
        while view and not self.closed:
            await self.acked.wait()
            if self.closed:
                return
            chunk = bytes(view[:self.link.max_payload])
            view = view[len(chunk):]
            self.acked.clear()
            self.link.send(packet(A_WRTE, self.local_id, self.remote_id, chunk))

    async def finish(self):
        """Waits for the last write's OKAY, then closes the stream."""
        if not self.closed:
            try:
                await asyncio.wait_for(self.acked.wait(), 10)
            except asyncio.TimeoutError:
                pass
        self.close()

    def close(self):
        if not self.closed:
            self.closed = True
            self.acked.set()
            self.link.send(packet(A_CLSE, self.local_id, self.remote_id))
            self.link.streams.pop(self.local_id, None)
            self.inbound.put_nowait(None)


class Reader:
    """Buffered reads from a stream's inbound queue (sync messages span packets)."""

    def __init__(self, stream):
        self.stream = stream
        self.buf = bytearray()

    async def read_exact(self, n):
        while len(self.buf) < n:
            data = await self.stream.inbound.get()
            if data is None:
                raise EOFError
            self.buf += data
        out = bytes(self.buf[:n])
        del self.buf[:n]
        return out


class DeviceLink:
    """One transport connection from the adb server."""

    def __init__(self, settings, reader, writer):
        self.s = settings
        self.reader = reader
        self.writer = writer
        self.streams = {}
        self.next_id = 1
        self.max_payload = 4096
        self.tasks = set()

    def send(self, data):
        if not self.writer.is_closing():
            self.writer.write(data)

    def drop(self):
        """Pulls the cable: the connection goes away without any goodbye."""
        for st in list(self.streams.values()):
            st.closed = True
            st.acked.set()
            st.inbound.put_nowait(None)
        self.streams.clear()
        self.writer.transport.abort()

    async def run(self):
        try:
            while True:
                head = await self.reader.readexactly(24)
                cmd, arg0, arg1, length, _check, magic = struct.unpack("<6I", head)
                if magic != cmd ^ 0xFFFFFFFF or length > 16 * 1024 * 1024:
                    break
                data = await self.reader.readexactly(length) if length else b""
                await self.dispatch(cmd, arg0, arg1, data)
        except (asyncio.IncompleteReadError, ConnectionError, OSError):
            pass
        finally:
            for st in list(self.streams.values()):
                st.closed = True
                st.acked.set()
                st.inbound.put_nowait(None)
            self.writer.close()

    async def dispatch(self, cmd, arg0, arg1, data):
        if cmd == A_CNXN:
            self.max_payload = max(4096, min(arg1, MAX_PAYLOAD))
            if self.s.unauthorized:
                self.send(packet(A_AUTH, 1, 0, os.urandom(20)))
            else:
                self.send_banner()
        elif cmd == A_AUTH:
            if arg0 == 2 and self.s.unauthorized:  # a signature we never accept
                self.send(packet(A_AUTH, 1, 0, os.urandom(20)))
            elif arg0 == 3 and not self.s.unauthorized:
                self.send_banner()
        elif cmd == A_OPEN:
            name = data.rstrip(b"\0").decode("utf-8", "replace")
            self.open_stream(arg0, name)
        elif cmd == A_OKAY:
            st = self.streams.get(arg1)
            if st:
                st.acked.set()
        elif cmd == A_WRTE:
            st = self.streams.get(arg1)
            if st:
                st.inbound.put_nowait(data)
                self.send(packet(A_OKAY, st.local_id, st.remote_id))
        elif cmd == A_CLSE:
            st = self.streams.pop(arg1, None)
            if st:
                st.closed = True
                st.acked.set()
                st.inbound.put_nowait(None)

    def send_banner(self):
        model = self.s.model.replace(";", "_")
        banner = ("device::ro.product.name=quillon_double;ro.product.model=%s;"
                  "ro.product.device=double;features=shell_v1" % model)
        self.send(packet(A_CNXN, A_VERSION, MAX_PAYLOAD, banner.encode()))

    def open_stream(self, remote_id, name):
        handler = None
        if name.startswith("shell:") or name.startswith("exec:"):
            handler = self.serve_shell
        elif name == "sync:":
            handler = self.serve_sync
        elif name.startswith("tcp:"):
            try:
                port = int(name[4:].split(":")[-1])
            except ValueError:
                port = -1
            if port in self.s.echo_ports:
                handler = self.serve_echo
            elif port in self.s.relays:
                handler = self.serve_relay
        if handler is None:
            self.send(packet(A_CLSE, 0, remote_id))
            return
        local_id = self.next_id
        self.next_id += 1
        st = Stream(self, local_id, remote_id)
        self.streams[local_id] = st
        self.send(packet(A_OKAY, local_id, remote_id))
        task = asyncio.ensure_future(handler(st, name))
        self.tasks.add(task)
        task.add_done_callback(self.tasks.discard)

    # ---- shell ----

    async def serve_shell(self, st, name):
        command = name.split(":", 1)[1]
        self.s.log.append(command)
        if self.s.log_file:
            with open(self.s.log_file, "a", encoding="utf-8") as f:
                f.write(command + "\n")
        text = self.shell_answer(command)
        if self.s.crlf and name.startswith("shell:"):
            text = text.replace("\n", "\r\n")
        await st.write(text.encode("utf-8"))
        await st.finish()

    def shell_answer(self, command):
        try:
            argv = shlex.split(command)
        except ValueError:
            return "/system/bin/sh: syntax error: unterminated quoted string\n"
        if not argv:
            return ""
        if argv[:2] == ["getprop", "ro.product.model"]:
            return self.s.model + "\n"
        if argv[0] == "echo":
            return " ".join(argv[1:]) + "\n"
        if argv[:2] == ["am", "start"]:
            comp = argv[argv.index("-n") + 1] if "-n" in argv[:-1] else ""
            package = comp.split("/")[0]
            if package == APK_PACKAGE and not self.s.app_installed or not comp:
                full = comp.replace("/.", "/" + package + ".")
                return ("Error type 3\nError: Activity class {%s} does not exist.\n" % full)
            return "Starting: Intent { cmp=%s }\n" % comp
        if argv[:2] == ["pm", "install"]:
            path = local_path(self.s, argv[-1])
            if not path or not os.path.isfile(path):
                return ("Error: Unable to open file: %s\n"
                        "Consider using a file under /data/local/tmp/\n" % argv[-1])
            if self.s.install_fails:
                return "Failure [INSTALL_FAILED_INVALID_APK: Failed to parse %s]\n" % argv[-1]
            self.s.app_installed = True
            return "Success\n"
        if argv[0] == "rm":
            for arg in argv[1:]:
                path = local_path(self.s, arg) if not arg.startswith("-") else None
                if path and os.path.isfile(path):
                    os.remove(path)
            return ""
        if argv[:2] == ["am", "broadcast"]:
            action = argv[argv.index("-a") + 1] if "-a" in argv[:-1] else ""
            data = argv[argv.index("-d") + 1] if "-d" in argv[:-1] else ""
            return ("Broadcasting: Intent { act=%s dat=%s flg=0x400000 }\n"
                    "Broadcast completed: result=0\n" % (action, data))
        if argv[0] == "ls":
            path = local_path(self.s, argv[-1]) if len(argv) > 1 else None
            if path and os.path.isdir(path):
                return "".join(n + "\n" for n in sorted(os.listdir(path)))
            return "ls: %s: No such file or directory\n" % (argv[-1] if len(argv) > 1 else "")
        return "/system/bin/sh: %s: not found\n" % argv[0]

    # ---- sync ----

    async def serve_sync(self, st, _name):
        rd = Reader(st)
        try:
            while True:
                head = await rd.read_exact(8)
                ident, length = head[:4], struct.unpack("<I", head[4:])[0]
                if ident == b"QUIT":
                    break
                if length > 1024:
                    await self.sync_fail(st, "path too long")
                    return
                path = (await rd.read_exact(length)).decode("utf-8", "replace")
                if ident == b"SEND":
                    if not await self.sync_send(st, rd, path):
                        return
                elif ident == b"STAT":
                    local = local_path(self.s, path)
                    if local and os.path.exists(local):
                        info = os.stat(local)
                        reply = struct.pack("<4sIII", b"STAT", info.st_mode & 0xFFFFFFFF,
                                            info.st_size & 0xFFFFFFFF, int(info.st_mtime))
                    else:
                        reply = struct.pack("<4sIII", b"STAT", 0, 0, 0)
                    await st.write(reply)
                elif ident == b"RECV":
                    local = local_path(self.s, path)
                    if not local or not os.path.isfile(local):
                        await self.sync_fail(st, "open failed: No such file or directory")
                        return
                    with open(local, "rb") as f:
                        while True:
                            chunk = f.read(65536)
                            if not chunk:
                                break
                            await st.write(struct.pack("<4sI", b"DATA", len(chunk)) + chunk)
                    await st.write(struct.pack("<4sI", b"DONE", 0))
                else:
                    await self.sync_fail(st, "unknown command %08x" % struct.unpack("<I", ident)[0])
                    return
        except EOFError:
            return
        await st.finish()

    async def sync_fail(self, st, message):
        data = message.encode()
        await st.write(struct.pack("<4sI", b"FAIL", len(data)) + data)
        await st.finish()

    async def sync_send(self, st, rd, spec):
        path, _, _mode = spec.rpartition(",")
        local = local_path(self.s, path) if path else None
        error = None
        out = None
        if not local:
            error = "couldn't create file: Permission denied"
        else:
            try:
                os.makedirs(os.path.dirname(local), exist_ok=True)
                out = open(local + ".partial", "wb")
            except OSError as e:
                error = "couldn't create file: %s" % e.strerror
        received = 0
        try:
            while True:
                head = await rd.read_exact(8)
                ident, n = head[:4], struct.unpack("<I", head[4:])[0]
                if ident == b"DATA":
                    if n > 65536:
                        error = error or "data too large"
                    data = await rd.read_exact(n)
                    received += n
                    if out:
                        out.write(data)
                    if self.s.drop_after is not None and received >= self.s.drop_after:
                        self.s.drop_after = None  # once: the phone comes back later
                        if out:
                            out.close()
                            out = None
                            os.remove(local + ".partial")
                        self.drop()
                        return False
                elif ident == b"DONE":
                    break
                else:
                    error = error or "invalid data message"
                    break
        finally:
            if out:
                out.close()
        if error:
            if local and os.path.exists(local + ".partial"):
                os.remove(local + ".partial")
            await self.sync_fail(st, error)
            return False
        os.replace(local + ".partial", local)
        await st.write(struct.pack("<4sI", b"OKAY", 0))
        return True

    # ---- tcp ----

    async def serve_echo(self, st, _name):
        while True:
            data = await st.inbound.get()
            if data is None:
                break
            await st.write(data)
        st.close()

    async def serve_relay(self, st, name):
        host, port = self.s.relays[int(name[4:].split(":")[-1])]
        try:
            reader, writer = await asyncio.wait_for(asyncio.open_connection(host, port), 5)
        except (OSError, asyncio.TimeoutError):
            st.close()
            return

        async def upstream():
            while True:
                data = await st.inbound.get()
                if data is None:
                    break
                writer.write(data)
                await writer.drain()
            writer.close()

        async def downstream():
            try:
                while True:
                    data = await reader.read(65536)
                    if not data:
                        break
                    await st.write(data)
            except OSError:
                pass  # a reset from the phone's side ends the stream as a close does
            st.close()  # also ends upstream, which waits on the stream's inbound queue

        await asyncio.gather(upstream(), downstream(), return_exceptions=True)
        st.close()


async def control_client(settings, reader, writer):
    try:
        while True:
            line = await reader.readline()
            if not line:
                break
            words = line.decode("utf-8", "replace").strip().split(" ", 2)
            if words[0] == "ping":
                reply = "pong"
            elif words[0] == "log":
                reply = json.dumps(settings.log)
            elif words[0] == "set" and len(words) == 3:
                key, value = words[1], words[2]
                if key == "model":
                    settings.model = value
                elif key in ("app_installed", "install_fails", "crlf", "unauthorized"):
                    setattr(settings, key, value not in ("0", "false"))
                elif key == "drop_after":
                    settings.drop_after = None if value == "none" else int(value)
                else:
                    reply = "error unknown key"
                    writer.write((reply + "\n").encode())
                    continue
                reply = "ok"
            else:
                reply = "error unknown command"
            writer.write((reply + "\n").encode())
            await writer.drain()
    except (ConnectionError, OSError):
        pass
    writer.close()


async def main(args):
    settings = Settings(args)
    os.makedirs(settings.storage, exist_ok=True)

    async def on_link(reader, writer):
        await DeviceLink(settings, reader, writer).run()

    server = await asyncio.start_server(on_link, "127.0.0.1", args.port)
    servers = [server]
    if args.control:
        servers.append(await asyncio.start_server(
            lambda r, w: control_client(settings, r, w), "127.0.0.1", args.control))
    if args.ready_file:
        with open(args.ready_file, "w") as f:
            f.write("ready\n")
    # Bounded life: a forgotten double ends on its own.
    await asyncio.sleep(args.lifetime)
    for s in servers:
        s.close()


if __name__ == "__main__":
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--port", type=int, required=True)
    p.add_argument("--storage", required=True)
    p.add_argument("--control", type=int, default=0)
    p.add_argument("--model", default="Quillon Double 7")
    p.add_argument("--no-app", action="store_true", help="the phone app is not installed yet")
    p.add_argument("--install-fails", action="store_true")
    p.add_argument("--drop-after", type=int, default=None)
    p.add_argument("--crlf", action="store_true", help="answer shell: like a PTY (\\r\\n)")
    p.add_argument("--unauthorized", action="store_true")
    p.add_argument("--relay", action="append", default=[], metavar="PORT=HOST:PORT")
    p.add_argument("--echo-port", action="append", type=int, default=[])
    p.add_argument("--log", default=None)
    p.add_argument("--ready-file", default=None)
    p.add_argument("--lifetime", type=float, default=600)
    try:
        asyncio.run(main(p.parse_args()))
    except KeyboardInterrupt:
        sys.exit(0)
