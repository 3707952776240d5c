#!/usr/bin/env bash
# Makes the README's pictures: the demo run (the simulated phone on Wi-Fi, then by USB), the
# window cut out of the virtual display and stored as small PNGs in docs/.
#   tools/screenshots.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# The window is centred on the 1280 x 800 display: 380 x 560 at (450, 120).
crop=380x560+450+120
"$root/tools/run.sh" --screenshot "$tmp/wifi.png" --after 12
"$root/tools/run.sh" --usb --screenshot "$tmp/usb.png" --after 20
for name in wifi usb; do
  convert "$tmp/$name.png" -crop "$crop" +repage -colors 64 -strip "PNG8:$root/docs/demo-$name.png"
  printf 'screenshots.sh: docs/demo-%s.png (%d KiB)\n' "$name" $(( $(stat -c %s "$root/docs/demo-$name.png") / 1024 ))
done
