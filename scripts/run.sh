#!/usr/bin/env bash
# Starts the 64-bit build under Wine from build/run, on the current display or, without one, on a virtual
# Xvfb display. The program starts hidden in the notification area (Wine shows it in its system tray window).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine.sh"
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  export WINE_USE_DISPLAY=1
  echo "run: on display $DISPLAY"
else
  echo "run: no display found, starting a virtual Xvfb display"
fi
trap wine_stop EXIT
trap 'exit 130' INT TERM
wine_start win64 || exit 1
echo "run: display $DISPLAY, Wine prefix $WINEPREFIX"
mkdir -p "$root/build/run"
cp "$root/build/x86_64/vigilamp.exe" "$root/build/x86_64/vigilampairraid.mp3" "$root/build/run/"
# In the background and waited for, so a signal to this script ends the program and its display at once (the
# Wine server's end takes the program with it).
cd "$root/build/run" && $WINE vigilamp.exe &
wait $!
