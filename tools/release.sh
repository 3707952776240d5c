#!/usr/bin/env bash
# Makes the release archive build/Quillon-<version>-win32.zip from the 32-bit build: the
# runnable folder without debug information and a README for Windows users. The symbols stay
# beside the build (build/symbols-<version>-win32/), linked by name from each binary, for
# reading crash reports. Prints the archive's size.
#   tools/release.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
version=$(head -n1 "$root/VERSION")
"$root/tools/build.sh" win32 dist

dist="$root/build/dist"
name="Quillon-$version-win32"
stage="$root/build/release/$name"
symbols="$root/build/symbols-$version-win32"
archive="$root/build/$name.zip"
objcopy=i686-w64-mingw32-objcopy
rm -rf "$stage" "$archive"
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
printf 'release.sh: %s\n' "${archive#$root/}"
printf '  archive   %6d KiB\n' $(( $(stat -c %s "$archive") / 1024 ))
printf '  unpacked  %6d KiB (the build folder: %d KiB)\n' \
  $(( $(du -sb "$stage" | cut -f1) / 1024 )) $(( $(du -sb "$dist" | cut -f1) / 1024 ))
for f in "$stage"/*.exe "$stage"/*.dll; do
  printf '    %-12s %6d KiB (was %d KiB)\n' "$(basename "$f")" $(( $(stat -c %s "$f") / 1024 )) \
    $(( $(stat -c %s "$dist/$(basename "$f")") / 1024 ))
done
printf '  symbols   %s\n' "${symbols#$root/}"
