# Sourced: xvfb_start gives the shell a virtual X display (when it has none), xvfb_stop ends it.
# QUILLON_XVFB_SCREEN sets the screen (default 1280x800x24).
xvfb_start() {
  [ -n "${DISPLAY:-}" ] && return 0
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 "${QUILLON_XVFB_SCREEN:-1280x800x24}" -nolisten tcp </dev/null >/dev/null 2>&1 &
    _quillon_xvfb_pid=$!
    # Another session may have started a server on the same number a moment before: the display
    # is ours only when the lock file names our server, else ours has ended and the next is tried.
    for _ in $(seq 50); do
      kill -0 "$_quillon_xvfb_pid" 2>/dev/null || break
      if [ -e "/tmp/.X11-unix/X$n" ] && [ "$(tr -d ' ' < "/tmp/.X$n-lock" 2>/dev/null)" = "$_quillon_xvfb_pid" ]; then
        export DISPLAY=":$n"
        return 0
      fi
      sleep 0.1
    done
    kill "$_quillon_xvfb_pid" 2>/dev/null; wait "$_quillon_xvfb_pid" 2>/dev/null
    unset _quillon_xvfb_pid
  done
  return 1
}

xvfb_stop() {
  [ -n "${_quillon_xvfb_pid:-}" ] || return 0
  kill "$_quillon_xvfb_pid" 2>/dev/null; wait "$_quillon_xvfb_pid" 2>/dev/null
  unset DISPLAY _quillon_xvfb_pid
}

# screenshot <file.png>: the whole virtual screen.
screenshot() { import -window root "$1"; }
