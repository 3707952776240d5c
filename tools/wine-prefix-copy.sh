#!/usr/bin/env bash
# wine-prefix-copy.sh <prefix> <to>: a copy of a Wine prefix that other tests may be using.
# Their programs create and delete temporary files in it meanwhile: users' Temp folders are left
# out, and a file that vanishes or changes while it is read does not fail the copy.
set -uo pipefail
from=$1 to=$2
rm -rf "$to"
mkdir -p "$to"
tar -C "$from" --exclude='./drive_c/users/*/Temp/*' --ignore-failed-read \
  --warning=no-file-changed --warning=no-file-removed --warning=no-file-shrank -cf - . | tar -C "$to" -xf -
# tar ends with 1 for a file that changed under it; what counts is a usable prefix.
[ -f "$to/system.reg" ] && [ -d "$to/drive_c" ]
