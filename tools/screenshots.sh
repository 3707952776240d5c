#!/usr/bin/env bash
# Makes the README's pictures: the demo run (the simulated phone on Wi-Fi, then by USB, then on
# Wi-Fi at 150 %), the window cut out of the virtual display and stored as small PNGs in docs/.
#   tools/screenshots.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# The window is centred on the 1280 x 800 display: 380 x 560 at (450, 120).
crop=380x560+450+120
"$root/tools/run.sh" --screenshot "$tmp/wifi.png" --after 12
"$root/tools/run.sh" --usb --screenshot "$tmp/usb.png" --after 20
# At 144 DPI on a 1920 x 1200 display: 570 x 840 at (675, 180).
"$root/tools/run.sh" --dpi 144 --screenshot "$tmp/150.png" --after 12
for name in wifi usb 150; do
  [ "$name" = 150 ] && crop=570x840+675+180
  convert "$tmp/$name.png" -crop "$crop" +repage -colors 64 -strip "PNG8:$root/docs/demo-$name.png"
  printf 'screenshots.sh: docs/demo-%s.png (%d KiB)\n' "$name" $(( $(stat -c %s "$root/docs/demo-$name.png") / 1024 ))
done
