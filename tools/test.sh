#!/usr/bin/env bash
# Builds everything and runs every test under Wine (console and window tests, the latter on a
# virtual X display). Ends with CTest's summary.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/build.sh"
source "$root/tools/wine-env.sh"
source "$root/tools/xvfb.sh"
xvfb_start
# Test programs find the deliverables' DLLs in the dist folder (also while CTest lists their tests).
export WINEPATH="$root/build/dist"
wine_start
trap 'wine_stop; xvfb_stop' EXIT
trap 'exit 130' INT TERM
ctest --test-dir "$root/build" --output-on-failure -j"$(nproc)" --timeout 300 "$@"
