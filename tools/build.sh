#!/usr/bin/env bash
# Installs what is missing, then configures and builds one architecture into its own tree.
#   tools/build.sh [win32|x64] [targets...]
# win32 builds build/win32 and the release folder build/dist; x64 builds build/x64 and
# build/dist-x64. Without an architecture, the one tools/arch.sh chooses for this machine.
# Targets default to everything; "dist" is the deliverables only. Quick when nothing changed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=""
case "${1:-}" in win32|x64) arch=$1; shift ;; esac
# Install first: without an architecture, the probe needs Wine's loader on the machine.
"$root/tools/setup-deps.sh"
source "$root/tools/arch.sh" "$arch"
"$root/tools/build-deps.sh" "$QUILLON_ARCH"
if [ ! -f "$QUILLON_BUILD/build.ninja" ]; then
  cmake -S "$root" -B "$QUILLON_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$QUILLON_TOOLCHAIN" >/dev/null
fi
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$QUILLON_BUILD" "${targets[@]}" -- -j"$(nproc)"
