# Sourced: Wine for the architecture tools/arch.sh chose, a private prefix under build/, a
# running wineserver and quiet Wine.
#   source tools/wine-env.sh [prefix-folder]
# win32 runs the 32-bit loader in a win32 prefix (build/wine-win32); x64 runs the 64-bit
# loader, first on PATH through tools/wine64, in a win64 prefix (build/wine-x64). The prefix
# is made once (12-14 s) and then reused; wine_prefix_copy makes cheap copies for programs
# that need a wineserver of their own (another network namespace, for instance).
_quillon_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$_quillon_root/tools/arch.sh" "${QUILLON_ARCH:-}"
_quillon_main_prefix="$_quillon_root/build/wine-$QUILLON_ARCH"
export WINEPREFIX=${1:-$_quillon_main_prefix}
if [ "$QUILLON_ARCH" = x64 ]; then
  export WINEARCH=win64
  case ":$PATH:" in *":$_quillon_root/tools/wine64:"*) ;; *) export PATH="$_quillon_root/tools/wine64:$PATH" ;; esac
  export WINELOADER=/usr/lib/wine/wine64
else
  export WINEARCH=win32
fi
export WINEDEBUG=${WINEDEBUG:--all}
# No crash dialog (it would hang a test), no Mono or Gecko installers, and no menu entries on
# this machine for the shortcuts that setup makes inside the prefix.
export WINEDLLOVERRIDES="winedbg.exe=d;mscoree=d;mshtml=d;winemenubuilder.exe=d"

# Bump when wine_prefix_init sets something new: older prefixes are made again.
_quillon_prefix_version=3

wine_prefix_init() {
  local prefix=$1
  wine_prefix_current "$prefix" && return 0
  rm -rf "$prefix"
  WINEPREFIX=$prefix wineboot -i </dev/null >/dev/null 2>&1
  # Without a window manager, Wine's managed windows cost 2 s each to destroy.
  WINEPREFIX=$prefix wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
  # The skin's font, Windows' own Chinese UI font, is the CJK font the setup installs here.
  WINEPREFIX=$prefix wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Microsoft YaHei' \
    /d 'WenQuanYi Micro Hei' /f </dev/null >/dev/null 2>&1
  # The system's own fonts (menus, balloons) fall back to it for Chinese, as Windows' do.
  for face in Tahoma 'Microsoft Sans Serif' 'MS Shell Dlg' 'MS Shell Dlg 2'; do
    WINEPREFIX=$prefix wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$face" /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f </dev/null >/dev/null 2>&1
  done
  WINEPREFIX=$prefix wineserver -w
  echo "$_quillon_prefix_version" > "$prefix/.quillon-ready"
}

# True when the prefix was made by this version of wine_prefix_init.
wine_prefix_current() { [ "$(cat "$1/.quillon-ready" 2>/dev/null)" = "$_quillon_prefix_version" ]; }

wine_prefix_copy() { # wine_prefix_copy <to>: a copy of the main prefix
  wine_prefix_init "$_quillon_main_prefix"
  "$_quillon_root/tools/wine-prefix-copy.sh" "$_quillon_main_prefix" "$1"
}

# wine_prefix_dpi <prefix> <dpi>: makes <prefix> (unless it is current and has that DPI) a copy
# of the main prefix whose screen has <dpi> pixels per inch, as a user's display scaling sets
# it (144 is 150 %). Wine reads LogPixels under HKCU\Control Panel\Desktop. The main prefix,
# which the tests share, stays at 96.
wine_prefix_dpi() {
  local prefix=$1 dpi=$2
  wine_prefix_current "$prefix" && [ "$(cat "$prefix/.quillon-dpi" 2>/dev/null)" = "$dpi" ] && return 0
  wine_prefix_copy "$prefix"
  WINEPREFIX=$prefix wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
    </dev/null >/dev/null 2>&1
  WINEPREFIX=$prefix wineserver -w
  echo "$dpi" > "$prefix/.quillon-dpi"
}

# Starts the wineserver and Wine's helper processes with their output detached, so that the
# programs run next do not hand their output pipes to long-lived Wine processes.
wine_start() {
  wine_prefix_init "$WINEPREFIX"
  (wineserver -p </dev/null >/dev/null 2>&1 &)
  wine cmd /c exit </dev/null >/dev/null 2>&1
}

wine_stop() { wineserver -k >/dev/null 2>&1 || true; }

# For the test and benchmark commands: a virtual display when there is none, the dist folder
# on WINEPATH and a running wineserver, all ended when the shell exits (or is interrupted).
wine_session() {
  source "$_quillon_root/tools/xvfb.sh"
  xvfb_start
  export WINEPATH="$QUILLON_DIST"
  wine_start
  trap 'wine_stop; xvfb_stop' EXIT
  trap 'exit 130' INT TERM
}
