"""Runs tools/release.sh and checks its archive: the deliverables and the Windows README,
binaries without debug information that name their symbol files, and the version; and that
the installer was made beside it (tests/build/installer_test.py runs it)."""
import subprocess
import sys
import zipfile
from pathlib import Path

root = Path(sys.argv[1])
version = (root / "VERSION").read_text().split()[0]
subprocess.run([str(root / "tools/release.sh")], check=True, stdout=subprocess.DEVNULL)
name = f"Quillon-{version}-win32"
archive = zipfile.ZipFile(root / "build" / f"{name}.zip")
files = {Path(n).name for n in archive.namelist() if not n.endswith("/")}
expected = {"Quillon.exe", "zov.dll", "lua5.1.dll", "share.dll", "kelp.dll", "wistro.dll", "anipic.dll",
            "skin.zip", "README.txt"}
failures = [f"missing {n}" for n in sorted(expected - files)]
if f"Quillon {version}" not in archive.read(f"{name}/README.txt").decode():
    failures.append("README.txt does not name the version")
stage = root / "build/release" / name
for binary in sorted(stage.glob("*.exe")) + sorted(stage.glob("*.dll")):
    headers = subprocess.run(["i686-w64-mingw32-objdump", "-h", str(binary)], check=True,
                             capture_output=True, text=True).stdout
    if ".debug_" in headers:
        failures.append(f"{binary.name} carries debug information")
    if ".gnu_debuglink" not in headers:
        failures.append(f"{binary.name} does not name its symbol file")
setup = root / "build" / f"Quillon-{version}-setup.exe"
if not setup.is_file() or setup.read_bytes()[:2] != b"MZ":
    failures.append(f"no installer {setup.name}")
for f in failures:
    print("failed:", f)
print(f"{len(expected) - len(failures)} passed, {len(failures)} failed")
sys.exit(1 if failures else 0)
