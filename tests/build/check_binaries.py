#!/usr/bin/env python3
"""Checks a runnable folder (build/dist, 32-bit, or build/dist-x64): every binary is of the
folder's architecture and imports only Windows' own DLLs or the folder's own, and the program
and engine export their entry points by name.

usage: check_binaries.py <dist folder> <wine prefix> <win32|x64>
"""
import os
import re
import subprocess
import sys
import unittest

DIST = sys.argv[1] if len(sys.argv) > 1 else "build/dist"
PREFIX = sys.argv[2] if len(sys.argv) > 2 else "build/wine-win32"
ARCH = sys.argv[3] if len(sys.argv) > 3 else "win32"
OBJDUMP = {"win32": "i686-w64-mingw32-objdump", "x64": "x86_64-w64-mingw32-objdump"}[ARCH]
PE_FORMAT = {"win32": "pei-i386", "x64": "pei-x86-64"}[ARCH]

DELIVERABLES = ["Quillon.exe", "zov.dll", "lua5.1.dll", "share.dll", "kelp.dll", "wistro.dll", "anipic.dll", "skin.zip"]
OPUS_EXPORTS = """opus_encoder_get_size opus_encoder_create opus_encoder_init opus_encode
opus_encode_float opus_encoder_ctl opus_encoder_destroy opus_decoder_get_size opus_decoder_create
opus_decoder_init opus_decode opus_decode_float opus_decoder_ctl opus_decoder_destroy
opus_decoder_get_nb_samples opus_packet_parse opus_packet_get_bandwidth
opus_packet_get_samples_per_frame opus_packet_get_nb_channels opus_packet_get_nb_frames
opus_packet_get_nb_samples opus_pcm_soft_clip opus_packet_pad opus_packet_unpad
opus_multistream_packet_pad opus_multistream_packet_unpad opus_repacketizer_get_size
opus_repacketizer_init opus_repacketizer_create opus_repacketizer_destroy opus_repacketizer_cat
opus_repacketizer_get_nb_frames opus_repacketizer_out_range opus_repacketizer_out
opus_get_version_string opus_strerror""".split()
# MinGW's runtime DLLs: linked statically, so none may be imported.
MINGW_RUNTIME = re.compile(r"^(libgcc|libstdc\+\+|libwinpthread|libssp|libz|zlib)", re.I)
# Instructions a processor may lack: AVX (VEX-encoded, every mnemonic "v...") and SSE4.1. They
# may appear only in functions that are picked at run time after asking the processor (named
# for their instruction set, as the codec's are).
VEX = re.compile(r"^v[a-z]")
SSE41 = re.compile(r"^(pmov[sz]x|pmulld|pmuldq|ptest|p?blendv?|round[ps][sd]|pinsr[bdq]|pextr[bdq]|"
                   r"pm(in|ax)(s[bd]|u[wd])|dpp[sd]|insertps|extractps|pcmpeqq|packusdw|mpsadbw|phminposuw)")


def objdump(path):
    return subprocess.run([OBJDUMP, "-p", path], capture_output=True, text=True, check=True).stdout


def imports(path):
    return re.findall(r"DLL Name: (\S+)", objdump(path))


def exports(path):
    """Names in the export table's name pointer table."""
    names, in_table = [], False
    for line in objdump(path).splitlines():
        if line.startswith("[Ordinal/Name Pointer] Table"):
            in_table = True
            continue
        if in_table:
            m = re.match(r"\s+\[\s*\d+\]\s+(\S+)", line)
            if not m:
                break
            names.append(m.group(1))
    return names


def instructions_by_function(path):
    """(function, mnemonic) for every instruction of the binary's code, by its symbols."""
    out = subprocess.run([OBJDUMP, "-d", "--no-show-raw-insn", path], capture_output=True, text=True,
                         check=True).stdout
    function = "?"
    for line in out.splitlines():
        m = re.match(r"^[0-9a-f]+ <([^>]+)>:", line)
        if m:
            function = m.group(1)
            continue
        m = re.match(r"^\s+[0-9a-f]+:\s+([a-z][a-z0-9.]*)", line)
        if m:
            yield function, m.group(1)


def system_folder():
    """Where the prefix keeps Windows' DLLs of the folder's architecture: system32, or
    syswow64 for 32-bit programs in a 64-bit prefix."""
    windows = os.path.join(PREFIX, "drive_c", "windows")
    wow = os.path.join(windows, "syswow64")
    return wow if ARCH == "win32" and os.path.isdir(wow) else os.path.join(windows, "system32")


class Dist(unittest.TestCase):
    def test_folder_has_every_deliverable(self):
        for name in DELIVERABLES:
            self.assertTrue(os.path.isfile(os.path.join(DIST, name)), name)

    def test_binaries_are_of_the_folders_architecture(self):
        for name in os.listdir(DIST):
            if name.lower().endswith((".exe", ".dll")):
                header = subprocess.run([OBJDUMP, "-f", os.path.join(DIST, name)], capture_output=True,
                                        text=True, check=True).stdout
                self.assertIn("file format " + PE_FORMAT, header, name)

    def test_imports_are_system_or_own(self):
        system32 = system_folder()
        own = {n.lower() for n in os.listdir(DIST)}
        system = {n.lower() for n in os.listdir(system32)} if os.path.isdir(system32) else set()
        for name in os.listdir(DIST):
            if not name.lower().endswith((".exe", ".dll")):
                continue
            for dll in imports(os.path.join(DIST, name)):
                self.assertIsNone(MINGW_RUNTIME.match(dll), f"{name} imports runtime DLL {dll}")
                if system:
                    self.assertIn(dll.lower(), own | system, f"{name} imports unknown DLL {dll}")

    def test_program_exports_the_codec_by_name(self):
        names = set(exports(os.path.join(DIST, "Quillon.exe")))
        self.assertEqual([n for n in OPUS_EXPORTS if n not in names], [])
        self.assertEqual(len(OPUS_EXPORTS), 36)

    def test_code_runs_without_avx_or_sse41(self):
        for name in os.listdir(DIST):
            if not name.lower().endswith((".exe", ".dll")):
                continue
            found = set()
            for function, mnemonic in instructions_by_function(os.path.join(DIST, name)):
                if VEX.match(mnemonic) and "avx" not in function.lower():
                    found.add(f"{function}: {mnemonic}")
                elif SSE41.match(mnemonic) and "sse4" not in function.lower():
                    found.add(f"{function}: {mnemonic}")
            self.assertEqual(sorted(found)[:10], [], f"{name} ({len(found)} in all)")

    def test_engine_exports_are_undecorated(self):
        names = set(exports(os.path.join(DIST, "zov.dll")))
        for n in ("InitZOV", "GetLuaState", "LoadSkin", "UnInitZOV"):
            self.assertIn(n, names)

    def test_lua_exports_ref_ex(self):
        names = set(exports(os.path.join(DIST, "lua5.1.dll")))
        self.assertIn("luaL_ref_ex", names)
        self.assertIn("luaL_newstate", names)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=1)
