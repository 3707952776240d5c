#!/usr/bin/env python3
"""An adb server of an older release, for the client's fallback: a smart-socket front on
127.0.0.1:<port> for Debian's adb server on <upstream>. It answers host:version with an older
version and refuses host:track-devices-l as servers before the long stream did ("unknown host
service"); every other request, and everything after it, is relayed to the real server. Each
request it sees is appended to the log, one per line.

    adb_old_server.py --port 5037 --upstream 5038 --log requests.log
"""
import argparse
import socket
import threading

OLD_VERSION = 31  # 0x1f: a server of the platform tools before the long device stream


def reply(status, text=None):
    out = status
    if text is not None:
        data = text.encode()
        out += b"%04x" % len(data) + data
    return out


def read_exact(sock, n):
    data = b""
    while len(data) < n:
        chunk = sock.recv(n - len(data))
        if not chunk:
            return None
        data += chunk
    return data


def pipe(src, dst):
    try:
        while True:
            data = src.recv(65536)
            if not data:
                break
            dst.sendall(data)
    except OSError:
        pass
    for s in (src, dst):
        try:
            s.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass


def serve(client, args, log_lock):
    with client:
        head = read_exact(client, 4)
        if head is None:
            return
        try:
            request = read_exact(client, int(head, 16)) or b""
        except ValueError:
            return
        with log_lock, open(args.log, "a") as log:
            log.write(request.decode("utf-8", "replace") + "\n")
        if request == b"host:version":
            client.sendall(reply(b"OKAY", "%04x" % OLD_VERSION))
            return
        if request == b"host:track-devices-l":
            client.sendall(reply(b"FAIL", "unknown host service"))
            return
        try:
            upstream = socket.create_connection(("127.0.0.1", args.upstream), 5)
        except OSError:
            return
        with upstream:
            upstream.sendall(head + request)
            back = threading.Thread(target=pipe, args=(upstream, client), daemon=True)
            back.start()
            pipe(client, upstream)
            back.join()


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--port", type=int, default=5037)
    p.add_argument("--upstream", type=int, required=True)
    p.add_argument("--log", required=True)
    args = p.parse_args()
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", args.port))
    listener.listen(32)
    log_lock = threading.Lock()
    while True:
        client, _ = listener.accept()
        threading.Thread(target=serve, args=(client, args, log_lock), daemon=True).start()


if __name__ == "__main__":
    main()
