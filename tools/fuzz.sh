#!/usr/bin/env bash
# Builds the native fuzz targets of the pure parsers (tests/fuzz: clang, libFuzzer, ASan and
# UBSan on Linux) and runs each for a bounded time, then prints per target its executions per
# second, total executions, coverage (edges and features) and crashes.
#   tools/fuzz.sh [seconds per target]   fuzz (default 60 s each); new inputs go to build/fuzz/work
#   tools/fuzz.sh --replay               run each target over its corpus once (the test command)
# Crash inputs are written to build/fuzz/crashes; a fixed one belongs in the target's corpus.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mode=fuzz seconds=60
case "${1:-}" in
  --replay) mode=replay ;;
  "") ;;
  *) seconds=$1 ;;
esac
out="$root/build/fuzz"
corpus="$root/tests/fuzz/corpus"

"$root/tools/setup-deps.sh"
# minizip's source tree is the one the product builds from.
[ -d "$root/build/deps/src/minizip-1.1" ] || "$root/tools/build-deps.sh" x64 >/dev/null
if [ ! -f "$out/build.ninja" ]; then
  CC=clang-14 CXX=clang++-14 cmake -S "$root/tests/fuzz" -B "$out" -G Ninja >/dev/null
fi
cmake --build "$out" -- -j"$(nproc)" >/dev/null || { cmake --build "$out" -- -j1; exit 1; }

targets=()
for dir in "$corpus"/*/; do targets+=("$(basename "$dir")"); done
mkdir -p "$out/crashes" "$out/logs"
failed=0
if [ "$mode" = replay ]; then
  for t in "${targets[@]}"; do
    files=("$corpus/$t"/*)
    if "$out/${t}_fuzz" -runs=0 "${files[@]}" >"$out/logs/$t.replay" 2>&1; then
      printf '%-16s %3d inputs  ok\n' "$t" "${#files[@]}"
    else
      printf '%-16s %3d inputs  FAILED\n' "$t" "${#files[@]}"
      grep -E 'ERROR|SUMMARY|Running:' "$out/logs/$t.replay" | tail -5
      failed=1
    fi
  done
  exit $failed
fi

printf '%-16s %10s %12s %8s %9s %7s\n' target exec/s execs edges features crashes
for t in "${targets[@]}"; do
  work="$out/work/$t"
  mkdir -p "$work"
  log="$out/logs/$t.log"
  # A crash, a hang past 10 s or 1 GB of memory ends the target's run; its input is saved.
  start=$(date +%s)
  "$out/${t}_fuzz" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=1024 \
    -artifact_prefix="$out/crashes/$t-" "$work" "$corpus/$t" >"$log" 2>&1 || true
  took=$(( $(date +%s) - start )); [ "$took" -gt 0 ] || took=1
  execs=$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -oE '[0-9]+$' || true)
  line=$(grep -E '^#[0-9]+\s.*cov: [0-9]+ ft: [0-9]+' "$log" | tail -1 || true)
  edges=$(grep -oE 'cov: [0-9]+' <<<"$line" | grep -oE '[0-9]+' || echo 0)
  features=$(grep -oE 'ft: [0-9]+' <<<"$line" | grep -oE '[0-9]+' || echo 0)
  total=$(grep -oE '^#[0-9]+' <<<"$line" | tr -d '#' || echo 0)
  [ "${execs:-0}" -gt 0 ] || execs=$total
  crashes=$(grep -cE '^==[0-9]+== ?ERROR: |runtime error:' "$log" || true)
  printf '%-16s %10d %12d %8d %9d %7d\n' "$t" "$((execs / took))" "$execs" "$edges" "$features" "$crashes"
  [ "$crashes" = 0 ] || failed=1
done
exit $failed
