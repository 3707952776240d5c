#!/usr/bin/env bash
# Fetches the Debian source packages that have no MinGW build (Lua 5.1, Opus, minizip)
# into build/deps/src and builds Opus as a static library for one architecture into
# build/deps/<arch> (win32 or x64; the default as tools/arch.sh chooses).
# Lua and minizip are compiled by the project's own CMake from these trees.
# Idempotent: everything already in place is left as it is.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tools/arch.sh" "${1:-}"
deps="$root/build/deps"
mkdir -p "$deps/src"
cd "$deps/src"

fetch() { # fetch <source package> <unpacked folder>
  [ -d "$2" ] && return 0
  apt-get source -qq "$1" >/dev/null 2>&1 || { echo "build-deps: apt-get source $1 failed" >&2; exit 1; }
  [ -d "$2" ] || { echo "build-deps: $1 did not unpack to $2" >&2; exit 1; }
}
fetch lua5.1 lua5.1-5.1.5
fetch opus opus-1.3.1
fetch minizip minizip-1.1

opus_prefix="$deps/$QUILLON_ARCH/opus"
if [ ! -f "$opus_prefix/lib/libopus.a" ]; then
  # The release tarball lacks this file, which its CMakeLists includes.
  touch opus-1.3.1/opus_buildtype.cmake
  rm -rf "$deps/$QUILLON_ARCH/opus-build"
  cmake -S opus-1.3.1 -B "$deps/$QUILLON_ARCH/opus-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$QUILLON_TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_SHARED_LIBS=OFF -DOPUS_STACK_PROTECTOR=OFF -DBUILD_TESTING=OFF \
    -DCMAKE_INSTALL_PREFIX="$opus_prefix" >/dev/null
  cmake --build "$deps/$QUILLON_ARCH/opus-build" --target install >/dev/null
fi
