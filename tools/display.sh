# Sourced by the scripts that need a screen: start_display starts an Xvfb
# with a window manager on it and exports DISPLAY; stop_display ends both.
# Real Windows always has a window manager; without one Wine waits two
# seconds for every top-level window that it destroys.

start_display() {
  local fdfile
  fdfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fdfile" 2>/dev/null &
  VORLANE_XVFB_PID=$!
  for _ in $(seq 200); do [ -s "$fdfile" ] && break; sleep 0.05; done
  DISPLAY=:$(head -n1 "$fdfile")
  export DISPLAY
  rm -f "$fdfile"
  if [ "$DISPLAY" = ":" ]; then
    echo "display: Xvfb did not start" >&2
    stop_display
    return 1
  fi
  openbox --sm-disable >/dev/null 2>&1 &
  VORLANE_WM_PID=$!
  # The window manager is up once it names itself on the root window.
  for _ in $(seq 200); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    sleep 0.05
  done
  echo "display: the window manager did not start on $DISPLAY" >&2
  stop_display
  return 1
}

stop_display() {
  kill "${VORLANE_WM_PID:-}" "${VORLANE_XVFB_PID:-}" 2>/dev/null
  wait "${VORLANE_WM_PID:-}" "${VORLANE_XVFB_PID:-}" 2>/dev/null
  return 0
}
