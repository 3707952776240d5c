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

# Opus is built by its own configure script: it compiles only its SSE4.1 and AVX sources with
# those instruction sets and picks them at run time. (Its CMake build of this release adds
# -msse4.1 and -mavx to every file, so the encoder itself would use AVX instructions and the
# program would die on the first frame on a processor without AVX.) The recipe stamp makes an
# older build in place be redone.
opus_prefix="$deps/$QUILLON_ARCH/opus"
opus_recipe="configure, runtime CPU detection, no -mavx outside its own sources"
if [ ! -f "$opus_prefix/lib/libopus.a" ] || [ "$(cat "$opus_prefix/recipe" 2>/dev/null)" != "$opus_recipe" ]; then
  case "$QUILLON_ARCH" in win32) host=i686-w64-mingw32 ;; *) host=x86_64-w64-mingw32 ;; esac
  rm -rf "$opus_prefix" "$deps/$QUILLON_ARCH/opus-build"
  mkdir -p "$deps/$QUILLON_ARCH/opus-build"
  (
    cd "$deps/$QUILLON_ARCH/opus-build"
    # _FORTIFY_SOURCE would need MinGW's libssp in every program that links the library.
    "$deps/src/opus-1.3.1/configure" --host="$host" CC="$host-gcc-posix" CFLAGS="-O2 -D_FORTIFY_SOURCE=0" \
      --prefix="$opus_prefix" --disable-shared --enable-static --disable-doc --disable-extra-programs \
      --disable-hardening >configure.log 2>&1 || { tail -20 configure.log >&2; exit 1; }
    make -j"$(nproc)" install >make.log 2>&1 || { tail -20 make.log >&2; exit 1; }
  )
  echo "$opus_recipe" >"$opus_prefix/recipe"
fi
