#!/usr/bin/env python3
"""Setup and the uninstaller under Wine, as a user's machine sees them: a prefix of its own
whose wineserver lives in a network namespace with only loopback (the installed Quillon starts
its network services there), on the test command's virtual display.

Checks: a silent install puts the files, the Start menu shortcut and the uninstall entry where
Windows looks for them, and the installed Quillon shows its window; a second start brings the
hidden window back; a second setup while one runs changes nothing; an upgrade ends the running
Quillon cleanly, replaces the files and keeps the sign-in choice; installing again repairs;
the uninstaller ends Quillon and leaves nothing setup made, also after the files were deleted
by hand; a folder that cannot be written fails clearly with nothing installed; a program in a
folder that cannot be written leaves its crash report in the user's folder. Prints the sizes and
the wall times of the silent runs.

    installer_test.py --root DIR --arch win32|x64 --tests-bin DIR     exit 77 without root"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "link"))
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "skin"))
from netns import Checks  # noqa: E402
from desktop import wait_for, xdo  # noqa: E402

UNINST = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillon"
RUN = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
FILES = ["Quillon.exe", "zov.dll", "lua5.1.dll", "share.dll", "kelp.dll", "wistro.dll", "anipic.dll",
         "skin.zip", "README.txt", "Uninstall.exe"]
check = Checks()


def window_shown():
    return xdo("search", "--onlyvisible", "--name", "^Quillon$")


class Machine:
    """A Windows user's machine: a prefix copy, its wineserver in a namespace with loopback only."""

    def __init__(self, root, tmp):
        self.ns = f"qinst{os.getpid() % 100000}"
        self.prefix = os.path.join(tmp, "wine")
        subprocess.run(["ip", "netns", "add", self.ns], check=True)
        subprocess.run(["ip", "-n", self.ns, "link", "set", "lo", "up"], check=True)
        subprocess.run(["bash", "-c", f'source "{root}/tools/wine-env.sh" >/dev/null; wine_prefix_copy "{self.prefix}"'],
                       check=True)
        # The installed program must find its DLLs in its own folder, not on WINEPATH.
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEPATH="", WINEDEBUG="-all")
        self.local = self.unix(self.echo("%LOCALAPPDATA%"))
        self.start_menu = os.path.join(self.unix(self.echo("%APPDATA%")), "Microsoft", "Windows", "Start Menu",
                                       "Programs")

    def command(self, *args):
        return ["ip", "netns", "exec", self.ns, "wine", *args]

    def wine(self, *args, timeout=120):
        return subprocess.run(self.command(*args), env=self.env, stdin=subprocess.DEVNULL, capture_output=True,
                              text=True, errors="replace", timeout=timeout)

    def start(self, *args):
        return subprocess.Popen(self.command(*args), env=self.env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def echo(self, variable):
        return self.wine("cmd", "/c", "echo", variable).stdout.strip()

    def unix(self, path):  # C:\users\... inside the prefix
        drive, rest = path[0].lower(), path[2:].replace("\\", "/").lstrip("/")
        return os.path.join(self.prefix, f"drive_{drive}", rest) if drive == "c" else "/" + rest

    def reg(self, key):
        """The key's values as a dict, or None when the key does not exist."""
        out = self.wine("reg", "query", key)
        if out.returncode != 0:
            return None
        return {m.group(1): m.group(3) for m in re.finditer(r"^\s+(\S+)\s+(REG_\w+)\s+(.*?)\s*$", out.stdout, re.M)}

    def close(self):
        subprocess.run(["ip", "netns", "exec", self.ns, "wineserver", "-k"], env=self.env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["ip", "netns", "del", self.ns], stderr=subprocess.DEVNULL)


class ReadOnlyFolder:
    """A folder that nobody can write, root included: a read-only bind mount. The wineserver
    opens files for its programs, so it must start after the mount to see it."""

    def __init__(self, path):
        self.path = path
        os.makedirs(path, exist_ok=True)

    def __enter__(self):
        subprocess.run(["mount", "--bind", self.path, self.path], check=True)
        subprocess.run(["mount", "-o", "remount,bind,ro", self.path], check=True)
        return self

    def __exit__(self, *exc):
        subprocess.run(["umount", self.path])

    def windows(self):
        return "Z:" + self.path.replace("/", "\\")


def timed(what, times, run):
    t = time.monotonic()
    result = run()
    times[what] = time.monotonic() - t
    return result


def make_setups(root, arch, version, newer):
    """The release's setup and the same files as a newer version, for the upgrade."""
    setups = []
    for v in (version, newer):
        env = dict(os.environ, QUILLON_RELEASE_VERSION=v)
        subprocess.run([os.path.join(root, "tools", "release.sh"), arch], env=env, check=True,
                       stdout=subprocess.DEVNULL)
        name = f"Quillon-{v}-setup.exe" if arch == "win32" else f"Quillon-{v}-x64-setup.exe"
        setups.append(os.path.join(root, "build", name))
    return setups


def run(args, tmp):
    root = args.root
    version = open(os.path.join(root, "VERSION")).read().split()[0]
    major, minor, patch = version.split(".")
    newer = f"{major}.{minor}.{int(patch) + 1}"
    setup, upgrade = make_setups(root, args.arch, version, newer)
    zip_name = f"Quillon-{version}-{args.arch}.zip"
    print(f"setup {os.path.getsize(setup) // 1024} KiB, zip {os.path.getsize(os.path.join(root, 'build', zip_name)) // 1024} KiB")
    times = {}
    # Made read-only before the machine's wineserver starts.
    program = os.path.join(tmp, "readonly-program")
    os.makedirs(program)
    shutil.copy(os.path.join(args.tests_bin, "crash_peer.exe"), program)
    shutil.copy(os.path.join(os.environ["QUILLON_DIST"], "share.dll"), program)
    with ReadOnlyFolder(os.path.join(tmp, "locked")) as locked, ReadOnlyFolder(program) as program:
        m = Machine(root, tmp)
        try:
            run_machine(m, locked, program, setup, upgrade, version, newer, times)
        finally:
            m.close()
            # The newer version's release exists only for this test.
            for path in (upgrade, os.path.join(root, "build", f"Quillon-{newer}-{args.arch}.zip")):
                if os.path.exists(path):
                    os.remove(path)
    print("wall times under Wine: " + ", ".join(f"silent {k} {v:.1f} s" for k, v in times.items()))


def run_machine(m, locked, program, setup, upgrade, version, newer, times):
    quillon = None
    try:
        folder = os.path.join(m.local, "Programs", "Quillon")
        shortcut = os.path.join(m.start_menu, "Quillon.lnk")

        # A fresh install, choosing not to start at sign-in.
        r = timed("install", times, lambda: m.wine(setup, "/S", "/AUTOSTART=0"))
        check(r.returncode == 0, f"setup /S installs (exit code {r.returncode})")
        check(all(os.path.isfile(os.path.join(folder, f)) for f in FILES), "the files are in the user's Programs folder")
        check(os.path.isfile(shortcut), "the Start menu shortcut is there")
        entry = m.reg(UNINST) or {}
        want = {"DisplayName": "Quillon", "DisplayVersion": version, "Publisher": "Quillon",
                "UninstallString": f'"{m.echo("%LOCALAPPDATA%")}\\Programs\\Quillon\\Uninstall.exe"'}
        check(all(entry.get(k) == v for k, v in want.items()), f"the uninstall entry names it: {entry}")
        check(all(k in entry for k in ("DisplayIcon", "InstallLocation", "EstimatedSize", "QuietUninstallString")),
              "the entry has its icon, location, size and quiet uninstall")
        check("Quillon" not in (m.reg(RUN) or {}), "no start at sign-in when declined")

        # Started as at sign-in, the installed program sits in the tray; a second start shows
        # its window; closed to the tray, a second start brings it back.
        exe = f"{m.echo('%LOCALAPPDATA%')}\\Programs\\Quillon\\Quillon.exe"
        quillon = m.start(exe, "--tray")
        check(not wait_for(window_shown, 8) and quillon.poll() is None, "started with --tray, no window shows")
        second = m.wine(exe, timeout=60)
        check(second.returncode == 0 and wait_for(window_shown, 30), "the installed Quillon shows its window")
        geometry = dict(kv.split("=") for kv in xdo("getwindowgeometry", "--shell", window_shown().split()[0]).split())
        xdo("mousemove", str(int(geometry["X"]) + 358), str(int(geometry["Y"]) + 28), "click", "1")
        check(wait_for(lambda: not window_shown(), 10), "close hides the window")
        second = m.wine(exe, timeout=60)
        check(second.returncode == 0 and wait_for(window_shown, 10),
              f"a second start shows the running copy's window and ends (exit code {second.returncode})")
        check(quillon.poll() is None, "the first copy still runs")

        # A second setup while one is open says so and changes nothing.
        first = m.start(setup)
        wait_for(lambda: xdo("search", "--onlyvisible", "--name", "Quillon Setup"), 20)
        again = m.wine(upgrade, "/S", timeout=60)
        check(again.returncode == 3, f"a second setup at once ends with exit code 3 ({again.returncode})")
        check((m.reg(UNINST) or {}).get("DisplayVersion") == version, "and changes nothing")
        first.kill()
        first.wait(30)

        # The upgrade ends the running Quillon through its own window and keeps the choice.
        r = timed("upgrade", times, lambda: m.wine(upgrade, "/S"))
        check(r.returncode == 0, f"the upgrade installs (exit code {r.returncode})")
        try:
            code = quillon.wait(30)
        except subprocess.TimeoutExpired:
            code = None
        check(code == 0, f"the running Quillon exited cleanly for it (exit code {code})")
        check((m.reg(UNINST) or {}).get("DisplayVersion") == newer, "the entry has the new version")
        check(f"Quillon {newer}" in open(os.path.join(folder, "README.txt"), encoding="utf-8").read(),
              "the new files are in place")
        check("Quillon" not in (m.reg(RUN) or {}), "the sign-in choice survived the upgrade")

        # The same version again repairs; here it also starts Quillon at sign-in.
        os.remove(os.path.join(folder, "zov.dll"))
        r = m.wine(upgrade, "/S", "/AUTOSTART=1")
        check(r.returncode == 0 and os.path.isfile(os.path.join(folder, "zov.dll")),
              "installing the same version again repairs")
        check((m.reg(RUN) or {}).get("Quillon") == f'"{exe}" --tray', "Quillon starts at sign-in in the tray when chosen")

        # Uninstall ends the running Quillon and leaves nothing setup made. The uninstaller
        # runs on as a copy of itself: wait for what it removes.
        quillon = m.start(exe)
        check(wait_for(window_shown, 30), "Quillon runs again")
        gone = timed("uninstall", times, lambda: m.wine(os.path.join(folder, "Uninstall.exe"), "/S") and
                     wait_for(lambda: not os.path.exists(folder) and m.reg(UNINST) is None, 60))
        check(gone, "uninstall removes the install folder and the entry")
        try:
            code = quillon.wait(30)
        except subprocess.TimeoutExpired:
            code = None
        check(code == 0, f"uninstall ended Quillon cleanly (exit code {code})")
        quillon = None
        check(not os.path.exists(shortcut), "the shortcut is gone")
        check("Quillon" not in (m.reg(RUN) or {}), "the sign-in entry is gone")

        # For every user (Wine's user is an administrator): Program Files, the machine's entry
        # and Start menu, the firewall's rules through Quillon.exe; the uninstaller removes them,
        # even after the program's files were deleted by hand.
        r = m.wine(setup, "/S", "/ALLUSERS")
        machine_folder = m.unix(m.echo("%ProgramFiles%")) + "/Quillon"
        machine_shortcut = os.path.join(m.unix(m.echo("%ProgramData%")), "Microsoft", "Windows", "Start Menu",
                                        "Programs", "Quillon.lnk")
        entry = m.reg(UNINST.replace("HKCU", "HKLM")) or {}
        check(r.returncode == 0 and os.path.isfile(os.path.join(machine_folder, "Quillon.exe")) and
              os.path.isfile(machine_shortcut) and entry.get("InstallLocation", "").endswith("Program Files\\Quillon"),
              f"setup /ALLUSERS installs for every user (exit code {r.returncode}, {entry.get('InstallLocation')})")
        for f in FILES[:-1]:
            os.remove(os.path.join(machine_folder, f))
        m.wine(os.path.join(machine_folder, "Uninstall.exe"), "/S")
        check(wait_for(lambda: m.reg(UNINST.replace("HKCU", "HKLM")) is None and not os.path.exists(machine_folder)
                       and not os.path.exists(machine_shortcut), 60),
              "and its uninstaller removes it all, even with the program's files deleted by hand")

        # A folder that cannot be written: a clear exit code and nothing installed.
        r = m.wine(setup, "/S", "/D=" + locked.windows() + "\\Quillon")
        check(r.returncode == 4, f"setup into a folder that cannot be written ends with exit code 4 ({r.returncode})")
        check(m.reg(UNINST) is None and not os.path.exists(shortcut), "and installs nothing")

        # A crash where the program's folder cannot be written leaves the report in the user's folder.
        r = m.wine(program.windows() + "\\crash_peer.exe")
        reports = os.path.join(m.local, "crash_peer")
        names = os.listdir(reports) if os.path.isdir(reports) else []
        # Wine's loader passes on the low byte of the exception code.
        check(r.returncode & 0xFF == 0x05 and any(n.endswith(".txt") for n in names) and any(n.endswith(".dmp") for n in names),
              f"the crash report lands in %LOCALAPPDATA%\\crash_peer (exit code {r.returncode:#x}: {names})")
    finally:
        if quillon and quillon.poll() is None:
            quillon.kill()


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--root", required=True)
    p.add_argument("--arch", required=True, choices=["win32", "x64"])
    p.add_argument("--tests-bin", required=True)
    args = p.parse_args()
    if os.geteuid() != 0:
        print("needs root for network namespaces and read-only mounts")
        return 77
    tmp = tempfile.mkdtemp(prefix="quillon-setup-")
    try:
        run(args, tmp)
    finally:
        shutil.rmtree(tmp, ignore_errors=True)
    print(f"{len(check.failures) == 0 and 'all' or 'some'} checks done: {len(check.failures)} failed")
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
