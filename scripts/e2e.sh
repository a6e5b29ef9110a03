#!/usr/bin/env bash
# Runs the end-to-end suite against the built executables: i686 in a 32-bit prefix, x86_64 in a 64-bit one.
# Usage: scripts/e2e.sh [i686|x86_64 ...] [-- case-filter]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine.sh"
trap wine_stop EXIT

targets=(); filter=
while (($#)); do
  case $1 in --) filter=${2:-}; break ;; *) targets+=("$1") ;; esac; shift
done
((${#targets[@]})) || targets=(i686 x86_64)

status=0
for t in "${targets[@]}"; do
  arch=win64; [ "$t" = i686 ] && arch=win32
  if [ "$arch" = win32 ] && [ -z "$WINE_CAN_RUN_32BIT" ]; then
    echo "== e2e $t skipped: this kernel cannot run Wine's 32-bit loader (no 32-bit executable support)"
    continue
  fi
  echo "== e2e $t ($arch)"
  wine_start "$arch"
  timeout 900 $WINE "$root/build/$t/e2e_driver.exe" $filter 2>&1 | tr -d '\r' | tee "$root/build/e2e-$t.log" \
    | grep -v '^[a-z0-9]*:\(err\|fixme\|warn\)\|^ALSA lib '
  rc=${PIPESTATUS[0]}
  ((rc)) && status=1
  xvfb=$WT_XVFB_PID dir=$WT_DIR
  wine_stop
  # Nothing of the run stays behind: its display server, its Wine server and its prefix are gone.
  if { [ -n "$xvfb" ] && kill -0 "$xvfb" 2>/dev/null; } || [ -e "$dir" ]; then
    echo "LEFTOVER after the $t run: $( [ -e "$dir" ] && echo "$dir" ) $(kill -0 "$xvfb" 2>/dev/null && echo "Xvfb $xvfb")"
    status=1
  fi
  # The screenshots the suite took, as PNGs for a person to look at.
  for bmp in "$root/build/$t/screens"/*.bmp; do
    [ -f "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
  done
done
exit $status
