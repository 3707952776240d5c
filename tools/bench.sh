#!/usr/bin/env bash
# Builds one benchmark for this machine's architecture (as tools/arch.sh chooses, or
# QUILLON_ARCH) and runs it under Wine; see bench/README.md for what each one prints.
#   tools/bench.sh binding|events|paint|controls|edit|richedit|link|capture|access [args...]
#   tools/bench.sh push [MiB] [runs]        inside the adb sandbox (root)
#   tools/bench.sh attach [rounds]          inside the adb sandbox (root)
#   tools/bench.sh startup [--idle S] [--stream S]   Quillon.exe started, idle, then streaming (root)
#   tools/bench.sh latency [clicks] [udp|tcp]         sound played on the PC to the phone's block (root)
#   tools/bench.sh footprint [--runs N] [--idle S] [--stream S] [--transfer MB]   start-up and memory beside a bare window (root)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
name=${1:-}
case "$name" in
  binding|events|paint|controls|edit|richedit|link|capture|access|push|attach|startup|latency|footprint) shift ;;
  *) sed -n '2,9p' "$0" >&2; exit 64 ;;
esac
# The sourced scripts read positional parameters of their own: keep the benchmark's aside.
args=("$@")
set --
# Install first: the probe for 32-bit support needs Wine's loader on the machine.
"$root/tools/setup-deps.sh" >/dev/null
source "$root/tools/arch.sh"
echo "bench.sh: bench_$name, $QUILLON_ARCH build ($QUILLON_ARCH_WHY)"
quillon_check_runnable
if [ "$name" = latency ]; then
  # Its own sound server, started by the benchmark (never as a system service).
  for p in pulseaudio pulseaudio-utils; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" && continue
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$p" >/dev/null
  done
fi
if [ "$name" = startup ] || [ "$name" = latency ]; then
  "$root/tools/build.sh" "$QUILLON_ARCH" dist
elif [ "$name" = footprint ]; then
  "$root/tools/build.sh" "$QUILLON_ARCH" bench_bare_window bench_footprint_probe dist
  # What users run: the release's stripped files (Wine reads a DLL's debug sections into memory).
  "$root/tools/release.sh" "$QUILLON_ARCH" >/dev/null
else
  "$root/tools/build.sh" "$QUILLON_ARCH" "bench_$name" dist
fi
source "$root/tools/wine-env.sh"
wine_session
exe="$QUILLON_BUILD/bench/bench_$name.exe"
case "$name" in
  push) python3 "$root/bench/bench_push.py" "$exe" "${args[@]}" ;;
  startup) python3 "$root/bench/bench_startup.py" --dist "$QUILLON_DIST" --build "$QUILLON_BUILD" "${args[@]}" ;;
  footprint) python3 "$root/bench/bench_footprint.py" --dist "$root/build/release/Quillon-$(head -n1 "$root/VERSION")-$QUILLON_ARCH" \
      --symbols "$QUILLON_DIST" --build "$QUILLON_BUILD" --arch "$QUILLON_ARCH" "${args[@]}" ;;
  latency) python3 "$root/bench/bench_latency.py" --dist "$QUILLON_DIST" --build "$QUILLON_BUILD" \
      ${args[0]:+--clicks "${args[0]}"} ${args[1]:+--transport "${args[1]}"} ;;
  attach) python3 "$root/tests/peers/adb_sandbox.py" --wine --timeout 900 -- "$exe" "${args[@]}" ;;
  *) wine "$exe" "${args[@]}" ;;
esac
