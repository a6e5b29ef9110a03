#!/usr/bin/env bash
# Starts the native Linux program from build/linux on the current display or, without one, on a virtual Xvfb
# display with a window manager and a system tray (the program starts hidden in the tray, as on Windows).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "run-linux: on display $DISPLAY"
  exec "$root/build/linux/vigilamp"
fi
echo "run-linux: no display found, starting a virtual Xvfb display with openbox and trayer"
dir=$(mktemp -d "${TMPDIR:-/tmp}/vigilamp-run.XXXXXX")
exec 3> "$dir/display"
Xvfb -displayfd 3 -screen 0 1920x1200x24 -nolisten tcp >"$dir/xvfb.log" 2>&1 &
xvfb=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$dir/display" ] && break; sleep 0.05; done
export DISPLAY=:$(head -1 "$dir/display")
trap 'kill $xvfb 2>/dev/null; rm -rf "$dir"' EXIT
echo "run-linux: display $DISPLAY"
dbus-run-session -- bash -c 'openbox >/dev/null 2>&1 &
  for _ in $(seq 400); do xprop -root _OB_THEME 2>/dev/null | grep -q " = " && break; sleep 0.05; done
  trayer --edge top --align right --widthtype request --height 24 >/dev/null 2>&1 & sleep 0.5; exec "$0"' \
  "$root/build/linux/vigilamp"
