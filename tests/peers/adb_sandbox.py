#!/usr/bin/env python3
"""Runs one command inside a throw-away network namespace that holds Debian's adb server and
the device double, so that nothing the command sends can leave this machine.

    adb_sandbox.py [options] -- <command...>
    adb_sandbox.py [options] --wine <program.exe> [args...]

Inside the namespace (only `lo` is up): the adb server on 127.0.0.1:5037 (`adb nodaemon
server`, HOME in the sandbox), one device double listening on 127.0.0.1:5601 (control port
5602, storage in the sandbox, device port 15568 relayed to 127.0.0.1:25568 and an echo on
device port 7001; not attached: tests attach it with host:connect), and, with
--wine, a wineserver of its own on a copy of $WINEPREFIX. The command sees:

  QUILLON_DOUBLE_PORT, QUILLON_DOUBLE_CONTROL   the double's ports
  QUILLON_DOUBLE_STORAGE                        the phone's storage (Windows path under --wine)
  QUILLON_DOUBLE_STORAGE_HOST                   the same folder as a host path
  QUILLON_SANDBOX                               the sandbox folder

With --old-server the real server listens on 5038 behind adb_old_server.py on 5037, which
plays a server too old for host:track-devices-l; QUILLON_OLD_SERVER_LOG names its request log.

A GoogleTest listing (--gtest_list_tests) runs directly under Wine: it sends nothing. Every
step has a time limit; the namespace, its processes and the sandbox folder are removed at the
end. Needs root (ip netns).
"""
import argparse
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
DOUBLE = os.path.join(HERE, "adb_device_double.py")
OLD_SERVER = os.path.join(HERE, "adb_old_server.py")
DOUBLE_PORT = 5601
CONTROL_PORT = 5602


def win_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def wait_port(port, seconds):
    end = time.time() + seconds
    while time.time() < end:
        try:
            socket.create_connection(("127.0.0.1", port), 0.5).close()
            return True
        except OSError:
            time.sleep(0.05)
    return False


def inside(args, command):
    """Runs in the namespace: starts the peers, runs the command, stops the peers."""
    box = args.box
    env = dict(os.environ)
    env["HOME"] = box  # the adb server keeps its key pair here
    env["QUILLON_SANDBOX"] = box
    procs = []
    logs = open(os.path.join(box, "peers.log"), "ab")
    try:
        if not args.no_server:
            port = 5038 if args.old_server else 5037
            procs.append(subprocess.Popen(["adb", "-L", "tcp:%d" % port, "nodaemon", "server"],
                                          env=env, stdin=subprocess.DEVNULL, stdout=logs,
                                          stderr=logs))
            if not wait_port(port, 10):
                print("adb_sandbox: the adb server did not start", file=sys.stderr)
                return 70
        if args.old_server and not args.no_server:
            old_log = os.path.join(box, "old-server.log")
            open(old_log, "w").close()
            env["QUILLON_OLD_SERVER_LOG"] = win_path(old_log) if args.wine else old_log
            procs.append(subprocess.Popen(
                [sys.executable, OLD_SERVER, "--port", "5037", "--upstream", "5038", "--log", old_log],
                stdin=subprocess.DEVNULL, stdout=logs, stderr=logs))
            if not wait_port(5037, 10):
                print("adb_sandbox: the old server's front did not start", file=sys.stderr)
                return 70
        storage = os.path.join(box, "storage")
        os.makedirs(storage, exist_ok=True)
        procs.append(subprocess.Popen(
            [sys.executable, DOUBLE, "--port", str(DOUBLE_PORT), "--control", str(CONTROL_PORT),
             "--storage", storage, "--log", os.path.join(box, "shell.log"),
             "--lifetime", str(args.timeout + 30),
             # the phone app's control port goes to a stand-in the test may run; 7001 echoes
             "--relay", "15568=127.0.0.1:25568", "--echo-port", "7001"] + args.double_arg,
            stdin=subprocess.DEVNULL, stdout=logs, stderr=logs))
        if not wait_port(CONTROL_PORT, 10):
            print("adb_sandbox: the device double did not start", file=sys.stderr)
            return 70
        env["QUILLON_DOUBLE_PORT"] = str(DOUBLE_PORT)
        env["QUILLON_DOUBLE_CONTROL"] = str(CONTROL_PORT)
        env["QUILLON_DOUBLE_STORAGE_HOST"] = storage
        env["QUILLON_DOUBLE_STORAGE"] = win_path(storage) if args.wine else storage
        if args.wine:
            env["WINEPREFIX"] = os.path.join(box, "wine")
            quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL)
            # The wineserver must live in this namespace; started detached so that it does not
            # hold the command's output pipes open.
            subprocess.Popen(["wineserver", "-p"], env=env, **quiet)
            subprocess.run(["wine", "cmd", "/c", "exit"], env=env, timeout=60, **quiet)
            if not args.wine_env:
                command = ["wine"] + command
        try:
            return subprocess.run(command, env=env, stdin=subprocess.DEVNULL,
                                  timeout=args.timeout).returncode
        except subprocess.TimeoutExpired:
            print("adb_sandbox: the command ran past %d s" % args.timeout, file=sys.stderr)
            return 124
    finally:
        if args.wine:
            subprocess.run(["wineserver", "-k"], env=env, timeout=30,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for p in reversed(procs):
            p.kill()
            p.wait(10)
        logs.close()


def outside(args, command):
    ns = "qdev-%d" % os.getpid()
    base = os.environ.get("QUILLON_SANDBOX_ROOT") or tempfile.gettempdir()
    os.makedirs(base, exist_ok=True)
    box = tempfile.mkdtemp(prefix="adbbox-", dir=base)
    subprocess.run(["ip", "netns", "add", ns], check=True)
    try:
        subprocess.run(["ip", "-n", ns, "link", "set", "lo", "up"], check=True)
        if args.wine:
            prefix = os.environ.get("WINEPREFIX")
            if not prefix or not os.path.isdir(prefix):
                print("adb_sandbox: WINEPREFIX must name a ready prefix", file=sys.stderr)
                return 70
            subprocess.run([os.path.join(ROOT, "tools", "wine-prefix-copy.sh"), prefix, os.path.join(box, "wine")],
                           check=True)
        inner = ["ip", "netns", "exec", ns, sys.executable, os.path.abspath(__file__),
                 "--inside", "--box", box, "--timeout", str(args.timeout)]
        inner += ["--wine"] if args.wine else []
        inner += ["--wine-env"] if args.wine_env else []
        inner += ["--no-server"] if args.no_server else []
        inner += ["--old-server"] if args.old_server else []
        for a in args.double_arg:
            inner += ["--double-arg=" + a]
        proc = subprocess.Popen(inner + ["--"] + command, start_new_session=True)
        try:
            return proc.wait(args.timeout + 60)
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, signal.SIGKILL)
            return 124
    finally:
        # Whatever still runs in the namespace was started by this sandbox.
        pids = subprocess.run(["ip", "netns", "pids", ns], capture_output=True, text=True).stdout
        for pid in pids.split():
            try:
                os.kill(int(pid), signal.SIGKILL)
            except (ProcessLookupError, ValueError):
                pass
        subprocess.run(["ip", "netns", "del", ns])
        if os.environ.get("QUILLON_SANDBOX_KEEP"):
            print("adb_sandbox: kept %s" % box, file=sys.stderr)
        else:
            shutil.rmtree(box, ignore_errors=True)


def main():
    argv = sys.argv[1:]
    command = []
    if "--" in argv:
        i = argv.index("--")
        argv, command = argv[:i], argv[i + 1:]
    p = argparse.ArgumentParser()
    p.add_argument("--inside", action="store_true", help=argparse.SUPPRESS)
    p.add_argument("--box", help=argparse.SUPPRESS)
    p.add_argument("--wine", action="store_true", help="run the command under Wine")
    p.add_argument("--wine-env", action="store_true",
                   help="with --wine: prepare Wine for the command, which runs wine itself")
    p.add_argument("--no-server", action="store_true", help="no adb server in the namespace")
    p.add_argument("--old-server", action="store_true",
                   help="the server behind a front that plays an older release")
    p.add_argument("--double-arg", action="append", default=[],
                   help="an extra argument for the device double")
    p.add_argument("--timeout", type=int, default=120)
    args, rest = p.parse_known_args(argv)
    command = rest + command
    if not command:
        p.error("no command")
    if args.inside:
        return inside(args, command)
    if any(a.startswith("--gtest_list_tests") for a in command):
        # Listing runs no test code: no namespace needed.
        return subprocess.run((["wine"] if args.wine else []) + command,
                              stdin=subprocess.DEVNULL, timeout=120).returncode
    return outside(args, command)


if __name__ == "__main__":
    sys.exit(main())
