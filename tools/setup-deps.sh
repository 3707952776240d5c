#!/usr/bin/env bash
# Installs the cross toolchain, Wine and the Debian packages the build needs.
# Idempotent: a machine that already has everything returns within a second.
set -euo pipefail

PACKAGES=(
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
  # Both Wine loaders: 32-bit where the kernel runs 32-bit code, 64-bit where it does not.
  wine wine32:i386 wine64 xvfb xauth x11-utils imagemagick xdotool fonts-wqy-microhei
  python3-xlib  # tools/xdnd_drop.py drops files on a window as a file manager does (/usr/bin/python3)
  libz-mingw-w64-dev librapidxml-dev googletest
  cmake ninja-build make dpkg-dev python3 iproute2 zip unzip
  libopus0  # the phone double decodes the audio with it (ctypes)
  adb
  nsis  # tools/release.sh makes the installer with makensis
  # Native fuzz targets of the parsers (tools/fuzz.sh): clang with libFuzzer and sanitizers,
  # the host's Lua 5.1 and zlib.
  clang-14 libclang-rt-14-dev liblua5.1-0-dev zlib1g-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

src_enabled() { grep -q '^Types:.*deb-src' /etc/apt/sources.list.d/debian.sources 2>/dev/null; }

if [ ${#missing[@]} -eq 0 ] && src_enabled; then
  exit 0
fi

[ "$(id -u)" = 0 ] || { echo "setup-deps: run as root to install: ${missing[*]}" >&2; exit 1; }

export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
# Source packages (Lua, Opus, minizip) come from Debian's deb-src entries.
if [ -f /etc/apt/sources.list.d/debian.sources ] && ! src_enabled; then
  sed -i 's/^Types: deb$/Types: deb deb-src/' /etc/apt/sources.list.d/debian.sources
fi
apt-get update -qq || true
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "setup-deps: installed ${#missing[@]} package(s)"
