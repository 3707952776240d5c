#!/usr/bin/env bash
# Builds Quillon and runs it under Wine (inside a virtual X display when there is none).
#
#   tools/run.sh                 in a private network namespace of its own: nothing it sends
#                                (phone discovery broadcasts) leaves this machine
#   tools/run.sh --lan           on this machine's real network, to reach a real phone
#   tools/run.sh --screenshot F [--after S]
#                                take a screenshot into F after S seconds (default 5), then end
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

lan=0 shot="" after=5
while [ $# -gt 0 ]; do
  case "$1" in
    --lan) lan=1 ;;
    --screenshot) shot=$(realpath -m "$2"); shift ;;
    --after) after=$2; shift ;;
    -h|--help) sed -n '2,9p' "$0"; exit 0 ;;
    *) echo "run.sh: unknown option $1" >&2; exit 64 ;;
  esac
  shift
done

"$root/tools/build.sh"
source "$root/tools/wine-env.sh"
source "$root/tools/xvfb.sh"
xvfb_start

# A prefix of its own: its wineserver must live in the namespace the program runs in.
prefix="$root/build/wine-run"
[ -f "$prefix/.quillon-ready" ] || wine_prefix_copy "$prefix"
export WINEPREFIX=$prefix

ns=""
cleanup() {
  WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
  [ -n "$ns" ] && ip netns del "$ns" 2>/dev/null || true
  xvfb_stop
}
trap cleanup EXIT
WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true

run_program() {
  if [ -z "$shot" ]; then
    "$@" wine "$root/build/dist/Quillon.exe"
    return
  fi
  "$@" wine "$root/build/dist/Quillon.exe" </dev/null >/dev/null 2>&1 &
  local pid=$!
  sleep "$after"
  screenshot "$shot" && echo "screenshot: $shot"
  kill "$pid" 2>/dev/null || true
}

if [ "$lan" = 1 ]; then
  run_program env
else
  ns="quillon-run-$$"
  ip netns add "$ns"
  ip -n "$ns" link set lo up
  run_program ip netns exec "$ns" env
fi
