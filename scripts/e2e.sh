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
  if ! wine_start "$arch"; then
    { echo "FAIL $t: Wine could not be started (above: why)"; echo "0 passed, 1 failed"; } > "$root/build/e2e-$t.log"
    status=1
    continue
  fi
  timeout 900 $WINE "$root/build/$t/e2e_driver.exe" $filter 2>&1 | tr -d '\r' | tee "$root/build/e2e-$t.log" \
    | grep -v '^[a-z0-9]*:\(err\|fixme\|warn\)\|^ALSA lib '
  rc=${PIPESTATUS[0]}
  ((rc)) && status=1
  dir=$WT_DIR
  # Nothing of the run stays behind: its desktop (wine_stop says what of it still runs), its Wine server and its
  # prefix are gone.
  wine_stop || { echo "LEFTOVER after the $t run: its desktop (above)"; status=1; }
  if [ -e "$dir" ]; then
    echo "LEFTOVER after the $t run: $dir"
    status=1
  fi
  # The screenshots the suite took, as PNGs for a person to look at.
  for bmp in "$root/build/$t/screens"/*.bmp; do
    [ -f "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
  done
done
exit $status
