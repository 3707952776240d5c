#!/usr/bin/env python3
"""Runs the default skin in the skin runner with a stand-in for the program's bridge
(bridge_stand_in.lua, put before the skin's main.lua) that feeds it the program's events and
checks the window.   default_skin_test.py <skinrun.exe> <skin source> <generated images>"""
import os
import shutil
import subprocess
import sys
import tempfile

skinrun, source, images = sys.argv[1:4]
here = os.path.dirname(os.path.abspath(__file__))
with tempfile.TemporaryDirectory() as tmp:
    package = os.path.join(tmp, "skin")
    shutil.copytree(source, package, ignore=shutil.ignore_patterns("CMakeLists.txt"))
    shutil.copytree(images, os.path.join(package, "images"))
    with open(os.path.join(here, "bridge_stand_in.lua"), encoding="utf-8") as f:
        prelude = f.read()
    with open(os.path.join(source, "main.lua"), encoding="utf-8") as f:
        main = f.read()
    with open(os.path.join(package, "main.lua"), "w", encoding="utf-8") as f:
        f.write(prelude + "\n" + main)
    # Into files, not pipes: after a timeout they still hold the steps done so far.
    with open(os.path.join(tmp, "out"), "w+b") as out_file, open(os.path.join(tmp, "err"), "w+b") as err_file:
        try:
            code = subprocess.run(["wine", skinrun, "Z:" + package.replace("/", "\\")], stdin=subprocess.DEVNULL,
                                  stdout=out_file, stderr=err_file, timeout=60).returncode
        except subprocess.TimeoutExpired:
            code = None
        out_file.seek(0)
        err_file.seek(0)
        out, err = out_file.read().decode("utf-8", "replace"), err_file.read().decode("utf-8", "replace")
sys.stdout.write(out)
sys.stderr.write(err)
if code is None:
    print("failed: the skin did not finish within 60 s")
sys.exit(0 if code == 0 and "done" in out else 1)
