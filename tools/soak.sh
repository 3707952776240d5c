#!/usr/bin/env bash
# A day of use, compressed (tests/skin/soak_day.py): the real Quillon.exe with its default skin
# and the phone and device doubles in private namespaces, driven by a seeded random schedule,
# checked all along; prints reconnect times, transfers, audio and resource samples (root).
#   tools/soak.sh [--minutes N] [--seed S] [--sample-every S] [--out DIR]
# The test command runs a short day (DefaultSkin.DayOfUse); an hour or more is this command's.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
args=("$@")
set --
"$root/tools/setup-deps.sh" >/dev/null
source "$root/tools/arch.sh"
echo "soak.sh: a day of use on the $QUILLON_ARCH build ($QUILLON_ARCH_WHY)"
quillon_check_runnable
"$root/tools/build.sh" "$QUILLON_ARCH" dist report_probe >/dev/null
source "$root/tools/wine-env.sh"
wine_session
python3 "$root/tests/skin/soak_day.py" --build "$QUILLON_BUILD" --dist "$QUILLON_DIST" \
  --tests-bin "$QUILLON_BUILD/tests-bin" "${args[@]}"
