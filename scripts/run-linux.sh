#!/usr/bin/env bash
# Starts the native Linux program from build/linux on the current display or, without one, on the test desktop
# (scripts/desktop.sh: a virtual Xvfb display with a window manager and a system tray; the program starts hidden
# in the tray, as on Windows). The virtual desktop ends when the program does.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "run-linux: on display $DISPLAY"
  exec "$root/build/linux/vigilamp"
fi
echo "run-linux: no display found, starting a virtual Xvfb display with openbox and trayer"
. "$root/scripts/desktop.sh"
program=
# The program first, then its desktop; a signal to this script reaches both (it waits in `wait`, which a
# signal interrupts, not on the program itself).
trap '[ -n "$program" ] && kill "$program" 2>/dev/null && wait "$program"; desktop_down' EXIT
trap 'exit 130' INT TERM
desktop_up wm tray || exit 1
echo "run-linux: display $DISPLAY"
"$root/build/linux/vigilamp" &
program=$!
wait "$program"
status=$?
program=
exit $status
