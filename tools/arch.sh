# Sourced: which Windows architecture this machine builds, tests and runs.
#   source tools/arch.sh [win32|x64]
# The argument, else QUILLON_ARCH, else the probe: the 32-bit build where the kernel runs
# 32-bit code (Wine's 32-bit loader starts), the 64-bit build where it does not. Sets
#   QUILLON_ARCH        win32 | x64
#   QUILLON_ARCH_WHY    why that one, for the scripts' first line
#   QUILLON_BUILD       its CMake tree, build/<arch>
#   QUILLON_DIST        its runnable folder: build/dist (the release) or build/dist-x64
#   QUILLON_OTHER_ARCH  the other one
#   QUILLON_TOOLCHAIN   its CMake toolchain file
_quillon_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# True when the kernel runs 32-bit code: the 32-bit loader itself (not the wrapper) starts.
quillon_runs_32bit() { /usr/lib/wine/wine --version >/dev/null 2>&1; }

# Fails with a message when the chosen build cannot run here (a forced win32 on a machine
# without 32-bit support): building it still works, running it does not.
quillon_check_runnable() {
  [ "$QUILLON_ARCH" = x64 ] || quillon_runs_32bit && return 0
  echo "$(basename "$0"): this machine cannot run 32-bit code (Wine's 32-bit loader does not start); use QUILLON_ARCH=x64" >&2
  return 1
}

quillon_arch_paths() { # quillon_arch_paths <arch>: prints "build dist toolchain" of one arch
  case "$1" in
    win32) echo "$_quillon_root/build/win32 $_quillon_root/build/dist $_quillon_root/cmake/mingw-i686.cmake" ;;
    x64) echo "$_quillon_root/build/x64 $_quillon_root/build/dist-x64 $_quillon_root/cmake/mingw-x86_64.cmake" ;;
    *) return 1 ;;
  esac
}

QUILLON_ARCH=${1:-${QUILLON_ARCH:-}}
if [ -n "$QUILLON_ARCH" ]; then
  QUILLON_ARCH_WHY="chosen by QUILLON_ARCH"
elif quillon_runs_32bit; then
  QUILLON_ARCH=win32 QUILLON_ARCH_WHY="this machine runs 32-bit code"
else
  QUILLON_ARCH=x64 QUILLON_ARCH_WHY="this machine cannot run 32-bit code"
fi
if ! quillon_arch_paths "$QUILLON_ARCH" >/dev/null; then
  echo "QUILLON_ARCH must be win32 or x64, not '$QUILLON_ARCH'" >&2
  return 64 2>/dev/null || exit 64
fi
read -r QUILLON_BUILD QUILLON_DIST QUILLON_TOOLCHAIN <<<"$(quillon_arch_paths "$QUILLON_ARCH")"
if [ "$QUILLON_ARCH" = win32 ]; then QUILLON_OTHER_ARCH=x64; else QUILLON_OTHER_ARCH=win32; fi
export QUILLON_ARCH QUILLON_ARCH_WHY QUILLON_BUILD QUILLON_DIST QUILLON_TOOLCHAIN QUILLON_OTHER_ARCH
