#!/usr/bin/env python3
"""Runs skins end to end: writes packages (folders and zip files), runs skinrun.exe on them
under Wine and checks its output and exit code.

    skinrun_test.py <path of skinrun.exe> [unittest names...]
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile

SKINRUN = None

NOT_A_FUNCTION = "call() attempt to call global `main' (not a function)"


def win_path(path):
    """The Windows view of a host path through Wine's Z: drive."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run(package, cwd=None, raw_arg=None, extra_env=None):
    args = [SKINRUN] + (raw_arg if raw_arg is not None else [win_path(package)])
    env = dict(os.environ)
    env.update(extra_env or {})
    proc = subprocess.run(["wine"] + args, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                          capture_output=True, timeout=40)
    out = proc.stdout.decode("utf-8", "replace").replace("\r\n", "\n")
    err = proc.stderr.decode("utf-8", "replace").replace("\r\n", "\n")
    return proc.returncode, out, err


def write_zip(path, entries, method=zipfile.ZIP_DEFLATED):
    """entries: list of (stored name, bytes or str); names are stored exactly as given."""
    with zipfile.ZipFile(path, "w", method) as z:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time=(2024, 1, 1, 12, 0, 0))
            info.compress_type = method
            z.writestr(info, data)


def patch_sizes(path, name, uncompressed):
    """Rewrites the uncompressed size of one entry in both its local and central header."""
    data = bytearray(open(path, "rb").read())
    raw = name.encode()
    for sig, size_at, name_at in ((b"PK\x03\x04", 22, 30), (b"PK\x01\x02", 24, 46)):
        pos = 0
        while True:
            pos = data.find(sig, pos)
            if pos < 0:
                break
            if data[pos + name_at:pos + name_at + len(raw)] == raw:
                struct.pack_into("<I", data, pos + size_at, uncompressed)
            pos += 4
    open(path, "wb").write(bytes(data))


class SkinRun(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="skinrun-")

    def tearDown(self):
        shutil.rmtree(self.tmp, ignore_errors=True)

    def folder(self, name, files):
        root = os.path.join(self.tmp, name)
        for rel, data in files.items():
            full = os.path.join(root, rel)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "wb") as f:
                f.write(data.encode() if isinstance(data, str) else data)
        os.makedirs(root, exist_ok=True)
        return root

    def assertQuiet(self, result):
        self.assertEqual((0, "", ""), result)

    def test_MissingPath(self):
        code, out, err = run(os.path.join(self.tmp, "absent"))
        self.assertEqual(2, code)
        self.assertEqual("", out)
        self.assertEqual("skinrun: no such package\n", err)

    def test_NoMainLua(self):
        self.assertQuiet(run(self.folder("pkg", {"ui/view.xml": "<view/>"})))
        zip_path = os.path.join(self.tmp, "nomain.zip")
        write_zip(zip_path, [("ui/view.xml", "<view/>"), ("main.lua.bak", "print(1)")])
        self.assertQuiet(run(zip_path))
        # An empty main.lua counts as missing.
        self.assertQuiet(run(self.folder("empty", {"main.lua": ""})))

    def test_SyntaxError(self):
        code, out, err = run(self.folder("pkg", {"main.lua": "print('never')\nx = = 1\n"}))
        self.assertEqual(1, code)
        self.assertEqual("", out)
        self.assertEqual([
            "[string \"dobuffer()\"]:2: unexpected symbol near '='",
            NOT_A_FUNCTION,
        ], err.splitlines())

    def test_RuntimeErrorSwallowed(self):
        script = ("print('chunk')\n"
                  "function main() print('in main') error('boom') print('never') end\n")
        self.assertEqual((0, "chunk\nin main\n", ""), run(self.folder("pkg", {"main.lua": script})))
        # An error in the chunk stops it before "main" exists: only the missing main is reported.
        script = "print('a') local x = nil + 1\nfunction main() print('never') end\n"
        self.assertEqual((1, "a\n", NOT_A_FUNCTION + "\n"),
                         run(self.folder("early", {"main.lua": script})))
        # "main" that is not a function.
        self.assertEqual((1, "", NOT_A_FUNCTION + "\n"),
                         run(self.folder("notfunc", {"main.lua": "main = 42"})))

    def test_Print(self):
        script = ("function main()\n"
                  "  print('s', 1, 2.5, -0.125, 1e100, true, false, nil, {}, print)\n"
                  "  print()\n"
                  "  print('caf\u00e9 \u76ae\u80a4', 'tab\\there')\n"
                  "end\n")
        code, out, err = run(self.folder("pkg", {"main.lua": script}))
        self.assertEqual((0, ""), (code, err))
        self.assertEqual("s\t1\t2.5\t-0.125\t1e+100\ttrue\tfalse\tnil\ttable\tfunction\n"
                         "\n"
                         "caf\u00e9 \u76ae\u80a4\ttab\there\n", out)

    def test_ZipRunsLikeFolder(self):
        script = ("local parts = {}\n"
                  "for i = 1, 3 do parts[i] = i * i end\n"
                  "function main() print('squares', parts[1], parts[2], parts[3]) end\n")
        padding = "-- " + "x" * 40000 + "\n"  # bigger than the zip loader's shared buffer
        expected = (0, "squares\t1\t4\t9\n", "")
        self.assertEqual(expected, run(self.folder("pkg", {"main.lua": script})))
        for method in (zipfile.ZIP_DEFLATED, zipfile.ZIP_STORED):
            for body in (script, padding + script):
                zip_path = os.path.join(self.tmp, "skin%d-%d.zip" % (method, len(body)))
                write_zip(zip_path, [("ui/view.xml", "<view/>"), ("Main.LUA", body)], method)
                self.assertEqual(expected, run(zip_path), zip_path)

    def test_NoStandardLibraries(self):
        script = "function main() print(string, io, os, type, require, pcall, loadstring, _G) end"
        self.assertEqual((0, "nil\tnil\tnil\tnil\tnil\tnil\tnil\tnil\n", ""),
                         run(self.folder("pkg", {"main.lua": script})))

    def test_LogAcceptsAnything(self):
        script = ("function main()\n"
                  "  Log() Log(nil) Log('text') Log(1, 2, 3) Log({}) Log(Log) Log(true)\n"
                  "  Assert() Assert(false, 'ignored')\n"
                  "  print('done')\n"
                  "end\n")
        self.assertEqual((0, "done\n", ""), run(self.folder("pkg", {"main.lua": script})))

    def test_RelativeAndUnicodePaths(self):
        script = "function main() print('ran') end"
        self.folder("pkg", {"main.lua": script})
        self.assertEqual((0, "ran\n", ""), run(None, cwd=self.tmp, raw_arg=["pkg"]))
        unicode_dir = self.folder("\u0441\u043a\u0438\u043d \u76ae\u80a4", {"main.lua": script})
        utf8 = {"LC_ALL": "C.UTF-8"}
        self.assertEqual((0, "ran\n", ""), run(unicode_dir, extra_env=utf8))
        zip_path = os.path.join(unicode_dir, "\u76ae\u80a4.zip")
        write_zip(zip_path, [("main.lua", script)])
        self.assertEqual((0, "ran\n", ""), run(zip_path, extra_env=utf8))

    def test_NeitherFolderNorZip(self):
        plain = os.path.join(self.tmp, "package.bin")
        open(plain, "w").write("function main() print('never') end")
        self.assertQuiet(run(plain))

    def test_UpperCaseZipSuffix(self):
        zip_path = os.path.join(self.tmp, "SKIN.ZIP")
        write_zip(zip_path, [("main.lua", "function main() print('never') end")])
        self.assertQuiet(run(zip_path))

    def test_BrokenArchives(self):
        script = "function main() print('ran') end\n" + "-- filler\n" * 500
        good = os.path.join(self.tmp, "good.zip")
        write_zip(good, [("main.lua", script)])
        self.assertEqual((0, "ran\n", ""), run(good))
        data = open(good, "rb").read()
        cases = {
            "truncated.zip": data[:len(data) // 2],
            "no-end.zip": data[:-10],
            "empty.zip": b"",
            "text.zip": b"function main() print('never') end\n",
        }
        for name, body in cases.items():
            path = os.path.join(self.tmp, name)
            open(path, "wb").write(body)
            self.assertQuiet(run(path))
        # Headers that claim gigabytes, or more than the data holds.
        for claimed in (0xFFFFFF00, 0x7FFFFFFF, 64 * 1024 * 1024 + 1, len(script) + 1):
            for method in (zipfile.ZIP_DEFLATED, zipfile.ZIP_STORED):
                path = os.path.join(self.tmp, "claim-%x-%d.zip" % (claimed, method))
                write_zip(path, [("main.lua", script)], method)
                patch_sizes(path, "main.lua", claimed)
                self.assertQuiet(run(path))
        # A CRC that does not match the data.
        path = os.path.join(self.tmp, "crc.zip")
        write_zip(path, [("main.lua", script)], zipfile.ZIP_STORED)
        body = bytearray(open(path, "rb").read())
        body[30 + len("main.lua") + 20] ^= 0x01  # one byte of the stored script
        open(path, "wb").write(bytes(body))
        self.assertQuiet(run(path))

    def test_HostileEntryNames(self):
        # A main.lua outside the package that ".." names might reach.
        self.folder(".", {"main.lua": "function main() print('outside') end"})
        inner = os.path.join(self.tmp, "inner")
        os.makedirs(inner)
        for stored in ("../main.lua", "a/../../main.lua", "..\\main.lua"):
            path = os.path.join(inner, "escape.zip")
            write_zip(path, [(stored, "function main() print('inside') end")])
            self.assertEqual((0, "", ""), run(path), stored)
            self.assertEqual(["escape.zip"], os.listdir(inner))  # nothing extracted
        for stored in ("C:main.lua", "/main.lua", "\\main.lua", "skin/../main.lua", "D:\\x\\..\\main.lua"):
            path = os.path.join(inner, "cleaned.zip")
            write_zip(path, [(stored, "function main() print('inside') end")])
            self.assertEqual((0, "inside\n", ""), run(path), stored)

    def test_FailingAlert(self):
        # The skin replaces _ALERT with one that fails; reporting the missing main must not.
        script = "_ALERT = function(text) error('alert failed') end\n"
        self.assertQuiet(run(self.folder("fails", {"main.lua": script})))
        # expect reports past a replaced _ALERT, and a failed check fails the run.
        script = ("_ALERT = nil\n"
                  "function main() expect(1, 'held') expect(nil, 'x == 1') print('done') end")
        self.assertEqual((1, "done\n", "failed: x == 1\n"), run(self.folder("expect", {"main.lua": script})))
        self.assertQuiet(run(self.folder("nil", {"main.lua": "_ALERT = nil"})))

    def test_Usage(self):
        for args in ([], ["a", "b"], [""]):
            code, out, err = run(None, raw_arg=args)
            self.assertEqual(64, code, args)
            self.assertIn("usage: skinrun", err)


if __name__ == "__main__":
    SKINRUN = sys.argv[1]
    unittest.main(argv=[sys.argv[0]] + sys.argv[2:], verbosity=2)
