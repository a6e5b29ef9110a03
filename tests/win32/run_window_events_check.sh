#!/usr/bin/env bash
# Runs the window events' adapter check (build/x86_64/window_events_check.exe, with e2e_target.exe beside it) in a
# private Wine prefix and display, and ends both afterwards.
# Usage: tests/win32/run_window_events_check.sh [path/to/window_events_check.exe]
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
exe=${1:-$root/build/x86_64/window_events_check.exe}
[ -f "$exe" ] || { echo "no check program at $exe (build the targets window_events_check and e2e_target)" >&2; exit 2; }
[ -f "$(dirname "$exe")/e2e_target.exe" ] || { echo "no e2e_target.exe beside $exe" >&2; exit 2; }
. "$root/scripts/wine.sh"
trap wine_stop EXIT
wine_start win64
timeout 120 $WINE "$exe" 2>&1 | tr -d '\r' | grep -v '^[a-z0-9]*:\(err\|fixme\|warn\)'
exit "${PIPESTATUS[0]}"
