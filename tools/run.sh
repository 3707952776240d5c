#!/usr/bin/env bash
# Builds Quillon and runs it under Wine (inside a virtual X display when there is none).
#
#   tools/run.sh                 in a private network namespace of its own, with a simulated
#                                phone in a second one (tests/peers/phone_double.py): the phone
#                                announces itself, links over Wi-Fi and plays the sound; some
#                                seconds later it is plugged in by USB too (Debian's adb server
#                                and a device double, tests/peers/adb_device_double.py, beside
#                                Quillon; the app's ports relayed to the phone) and a sample file
#                                is dropped on the window. Nothing leaves this machine. The sound
#                                is a 440 Hz test tone (SHARE_CAPTURE_SOURCE; Wine has no
#                                loopback capture). Files dropped on the window land in
#                                build/demo-phone/
#   tools/run.sh --usb           the simulated phone is plugged in by USB only
#   tools/run.sh --lan           on this machine's real network, to reach a real phone
#   tools/run.sh --screenshot F [--after S]
#                                take a screenshot into F after S seconds (default 5), then end
#   tools/run.sh --dpi N         on a screen of N pixels per inch (144 is 150 % scaling), in a
#                                prefix of its own; a virtual display is then 1920 x 1200
#
# It runs the 32-bit release (build/dist) where this machine runs 32-bit code, else the 64-bit
# build (build/dist-x64); QUILLON_ARCH=win32|x64 forces one.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

lan=0 usb=0 shot="" after=5 dpi=""
while [ $# -gt 0 ]; do
  case "$1" in
    --lan) lan=1 ;;
    --usb) usb=1 ;;
    --screenshot) shot=$(realpath -m "$2"); shift ;;
    --after) after=$2; shift ;;
    --dpi) dpi=$2; shift ;;
    -h|--help) sed -n '2,22p' "$0"; exit 0 ;;
    *) echo "run.sh: unknown option $1" >&2; exit 64 ;;
  esac
  shift
done

# Install first: the probe for 32-bit support needs Wine's loader on the machine. What the
# install says comes after the line that names the build.
setup_said=$("$root/tools/setup-deps.sh" 2>&1) || { echo "$setup_said" >&2; exit 1; }
source "$root/tools/arch.sh"
echo "run.sh: starting the $QUILLON_ARCH build, $QUILLON_DIST/Quillon.exe ($QUILLON_ARCH_WHY)"
[ -z "$setup_said" ] || echo "$setup_said"
quillon_check_runnable
"$root/tools/build.sh" "$QUILLON_ARCH" dist
source "$root/tools/wine-env.sh"
source "$root/tools/xvfb.sh"
# A scaled window needs a larger screen, as such a user has.
[ -n "$dpi" ] && export QUILLON_XVFB_SCREEN=${QUILLON_XVFB_SCREEN:-1920x1200x24}
xvfb_start

# A prefix of its own: its wineserver must live in the namespace the program runs in.
if [ -n "$dpi" ]; then
  prefix="$root/build/wine-run-$QUILLON_ARCH-dpi$dpi"
  wine_prefix_dpi "$prefix" "$dpi"
else
  prefix="$root/build/wine-run-$QUILLON_ARCH"
  wine_prefix_current "$prefix" || wine_prefix_copy "$prefix"
fi
export WINEPREFIX=$prefix

ns="" phone_ns="" phone_pid="" usb_pids=""
cleanup() {
  [ -n "$phone_pid" ] && kill "$phone_pid" 2>/dev/null || true
  for p in $usb_pids; do kill "$p" 2>/dev/null || true; done
  WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
  [ -n "$ns" ] && ip netns del "$ns" 2>/dev/null || true
  [ -n "$phone_ns" ] && ip netns del "$phone_ns" 2>/dev/null || true
  xvfb_stop
}
trap cleanup EXIT
# Ctrl-C or a kill ends the demo through the same cleanup (namespaces, servers, doubles).
trap 'exit 130' INT TERM
WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true

# Drops build/demo-files/Holiday video.mp4 (made once, 48 MB) on Quillon's drop area.
demo_drop() {
  local files="$root/build/demo-files" wid geometry x y
  mkdir -p "$files"
  [ -f "$files/Holiday video.mp4" ] || head -c 50331648 /dev/urandom > "$files/Holiday video.mp4"
  wid=$(xdotool search --name '^Quillon$' 2>/dev/null | head -n1) || return 0
  [ -n "$wid" ] || return 0
  geometry=$(xdotool getwindowgeometry --shell "$wid") || return 0
  x=$(sed -n 's/^X=//p' <<<"$geometry") y=$(sed -n 's/^Y=//p' <<<"$geometry")
  # The drop area's middle, (190, 338) in skin units, in pixels at the screen's scale.
  local scale=${dpi:-96}
  /usr/bin/python3 "$root/tools/xdnd_drop.py" $((x + 190 * scale / 96)) $((y + 338 * scale / 96)) \
    "$files/Holiday video.mp4" || true
}

run_program() {
  if [ -z "$shot" ]; then
    "$@" wine "$QUILLON_DIST/Quillon.exe"
    return
  fi
  "$@" wine "$QUILLON_DIST/Quillon.exe" </dev/null >/dev/null 2>&1 &
  local pid=$!
  sleep "$after"
  screenshot "$shot" && echo "screenshot: $shot"
  kill "$pid" 2>/dev/null || true
}

if [ "$lan" = 1 ]; then
  run_program env
else
  # Two namespaces joined by one veth pair: "pc" (10.77.0.1) and "phone" (10.77.0.2). The
  # default route inside each goes over the pair, so broadcasts reach the other side only.
  ns="quillon-run-$$" phone_ns="quillon-phone-$$"
  ip netns add "$ns"
  ip netns add "$phone_ns"
  ip link add "qrun$$a" netns "$ns" type veth peer name "qrun$$b" netns "$phone_ns"
  for side in "$ns qrun$$a 10.77.0.1" "$phone_ns qrun$$b 10.77.0.2"; do
    set -- $side
    ip -n "$1" link set lo up
    ip -n "$1" addr add "$3/24" dev "$2"
    ip -n "$1" link set "$2" up
    ip -n "$1" route add default dev "$2"
  done
  # The USB side, ready before the phone is plugged in: the adb server and the device double
  # live beside Quillon; the device relays the app's control port to the phone's USB control
  # port (the double tells a USB link by the port it arrives on) and the audio port as it is.
  storage="$root/build/demo-phone"
  mkdir -p "$storage"
  ip netns exec "$ns" env HOME="$root/build" adb -L tcp:5037 nodaemon server </dev/null >/dev/null 2>&1 &
  usb_pids="$!"
  ip netns exec "$ns" python3 "$root/tests/peers/adb_device_double.py" --port 5601 \
    --storage "$storage" --relay 15568=10.77.0.2:15569 --relay 14127=10.77.0.2:14127 \
    --lifetime 3600 </dev/null >/dev/null 2>&1 &
  usb_pids="$usb_pids $!"
  if [ "$usb" = 1 ]; then
    # Silent on the network (no announcements): the link comes by USB only.
    phone_args=(--announce-count 0 --start-delay 1) plug_at=6
    echo "demo: phone on USB; files dropped on the window land in $storage"
  else
    # Linked over Wi-Fi first; the cable comes later.
    phone_args=(--start-delay 3) plug_at=14
    echo "demo: phone on Wi-Fi, plugged in by USB after $plug_at s; files dropped on the window land in $storage"
  fi
  # The phone presses play (state 3) once linked and reports the sound when its run ends.
  ip netns exec "$phone_ns" python3 "$root/tests/peers/phone_double.py" --bind 10.77.0.2 --usb-port 15569 \
    --state-sync 3 --state-delay 2 --duration 60 "${phone_args[@]}" </dev/null &
  phone_pid=$!
  (sleep "$plug_at"; ip netns exec "$ns" env HOME="$root/build" adb -P 5037 connect 127.0.0.1:5601 >/dev/null 2>&1) &
  usb_pids="$usb_pids $!"
  # Once plugged in, a sample file is dropped on the window as a file manager would (XDND), so
  # that the demo shows a transfer by itself.
  (sleep $((plug_at + 8)); demo_drop) &
  usb_pids="$usb_pids $!"
  run_program ip netns exec "$ns" env SHARE_CAPTURE_SOURCE="${SHARE_CAPTURE_SOURCE:-tone:440}"
fi
