#!/usr/bin/env bash
# Makes the release from the 32-bit build: build/Quillon-<version>-win32.zip, the runnable
# folder without debug information and a README for Windows users, and beside it the installer
# build/Quillon-<version>-setup.exe (NSIS, tools/release/Quillon.nsi) from the same files. The
# symbols stay beside the build (build/symbols-<version>-win32/), linked by name from each
# binary, for reading crash reports. Prints the sizes.
#   tools/release.sh [win32|x64]
# x64 makes the same two from the 64-bit folder (Quillon-<version>-x64.zip and
# Quillon-<version>-x64-setup.exe), for machines that cannot run 32-bit code.
# QUILLON_RELEASE_VERSION=x.y.z makes them under another version number (the upgrade test).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=${1:-win32}
version=${QUILLON_RELEASE_VERSION:-$(head -n1 "$root/VERSION")}
"$root/tools/build.sh" "$arch" dist

if [ "$arch" = x64 ]; then
  dist="$root/build/dist-x64" objcopy=x86_64-w64-mingw32-objcopy setup_name="Quillon-$version-x64-setup.exe"
  nsis_arch=(-DX64)
else
  dist="$root/build/dist" objcopy=i686-w64-mingw32-objcopy setup_name="Quillon-$version-setup.exe"
  nsis_arch=()
fi
name="Quillon-$version-$arch"
stage="$root/build/release/$name"
symbols="$root/build/symbols-$version-$arch"
archive="$root/build/$name.zip"
setup="$root/build/$setup_name"
rm -rf "$stage" "$archive" "$setup"
mkdir -p "$stage" "$symbols"

# The skin runner is a tool for skin authors, not part of what users run.
for f in Quillon.exe zov.dll lua5.1.dll share.dll kelp.dll wistro.dll anipic.dll skin.zip; do
  cp "$dist/$f" "$stage/$f"
done
for f in "$stage"/*.exe "$stage"/*.dll; do
  base=$(basename "$f")
  "$objcopy" --only-keep-debug "$f" "$symbols/$base.debug"
  "$objcopy" --strip-all "$f"
  (cd "$symbols" && "$objcopy" --add-gnu-debuglink="$base.debug" "$f")
done
sed "s/@VERSION@/$version/" "$root/tools/release/README-windows.txt" | sed 's/$/\r/' > "$stage/README.txt"
if [ -f "$dist/Quillon.apk" ]; then cp "$dist/Quillon.apk" "$stage/"; fi

(cd "$root/build/release" && zip -q -X -9 -r "$archive" "$name")

size_kb=$(( ($(du -sb "$stage" | cut -f1) + 1023) / 1024 ))
icon="$root/build/$arch/app/quillon.ico"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSOURCE="$stage" -DOUTFILE="$setup" \
  -DICON="$icon" -DSIZE_KB="$size_kb" "${nsis_arch[@]}" "$root/tools/release/Quillon.nsi" >/dev/null

printf 'release.sh: %s and %s\n' "${archive#$root/}" "${setup#$root/}"
printf '  archive   %6d KiB\n' $(( $(stat -c %s "$archive") / 1024 ))
printf '  setup     %6d KiB\n' $(( $(stat -c %s "$setup") / 1024 ))
printf '  unpacked  %6d KiB (the build folder: %d KiB)\n' "$size_kb" $(( $(du -sb "$dist" | cut -f1) / 1024 ))
for f in "$stage"/*.exe "$stage"/*.dll; do
  printf '    %-12s %6d KiB (was %d KiB)\n' "$(basename "$f")" $(( $(stat -c %s "$f") / 1024 )) \
    $(( $(stat -c %s "$dist/$(basename "$f")") / 1024 ))
done
printf '  symbols   %s\n' "${symbols#$root/}"
