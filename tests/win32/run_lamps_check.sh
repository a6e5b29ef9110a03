#!/usr/bin/env bash
# Runs the lamps' adapter check (build/x86_64/lamps_check.exe) in a private Wine prefix and display, and ends
# both afterwards. Usage: tests/win32/run_lamps_check.sh [path/to/lamps_check.exe]
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
exe=${1:-$root/build/x86_64/lamps_check.exe}
[ -f "$exe" ] || { echo "no check program at $exe (build the target lamps_check)" >&2; exit 2; }
. "$root/scripts/wine.sh"
trap wine_stop EXIT
wine_start win64 || exit 2
timeout 120 $WINE "$exe" 2>&1 | tr -d '\r' | grep -v '^[a-z0-9]*:\(err\|fixme\|warn\)'
exit "${PIPESTATUS[0]}"
