#!/usr/bin/env bash
# Builds everything and runs every test under Wine (console and window tests, the latter on a
# virtual X display). Tests the 32-bit build where this machine runs 32-bit code and the
# 64-bit build where it does not (QUILLON_ARCH=win32|x64 forces one); the other
# architecture's deliverables are built too, and their imports and exports checked, so that
# a change that breaks either build fails here. Extra arguments go to CTest.
# The first line names the architecture tested, the last one counts the tests.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# The sourced scripts read positional parameters of their own: keep CTest's aside.
ctest_args=("$@")
set --
# Install first: the probe for 32-bit support needs Wine's loader on the machine. What the
# install says comes after the line that names the build.
setup_said=$("$root/tools/setup-deps.sh" 2>&1) || { echo "$setup_said" >&2; exit 1; }
source "$root/tools/arch.sh"
echo "test.sh: testing the $QUILLON_ARCH build ($QUILLON_ARCH_WHY)"
[ -z "$setup_said" ] || echo "$setup_said"
quillon_check_runnable
"$root/tools/build.sh" "$QUILLON_ARCH"
"$root/tools/build.sh" "$QUILLON_OTHER_ARCH" dist
source "$root/tools/wine-env.sh"
# Test programs find the deliverables' DLLs in the dist folder (also while CTest lists their tests).
wine_session
log="$QUILLON_BUILD/ctest-last.log"
set +e
ctest --test-dir "$QUILLON_BUILD" --output-on-failure -j"$(nproc)" --timeout 300 "${ctest_args[@]}" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
set -e
# CTest's own summary, "N% tests passed, F tests failed out of T", restated per architecture.
summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1 || true)
if [ -n "$summary" ]; then
  failed=$(sed -E 's/.* ([0-9]+) tests? failed out of.*/\1/' <<<"$summary")
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$summary")
  echo "$QUILLON_ARCH: $((total - failed)) passed, $failed failed"
else
  echo "$QUILLON_ARCH: 0 passed, 1 failed"
  [ "$status" != 0 ] || status=1
fi
exit "$status"
