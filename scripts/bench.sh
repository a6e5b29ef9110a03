#!/usr/bin/env bash
# The benchmark: builds both targets, then prints figures measured under Wine, each beside a baseline that does
# the least possible (bench/bare.cpp), the lamps' flash tick, and the executables' sizes; then the Linux program's
# (scripts/bench-linux.sh). Nothing fails on a time.
# Usage: scripts/bench.sh [seconds of each idle measurement, default 60]
# BENCH_TRIALS (default 50) sets the trials of each alert latency figure.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
idle=${1:-60}
# Only what is measured: the program of both targets (their sizes), and the bench and its baseline.
cmake --preset mingw-i686 >/dev/null && cmake --build --preset mingw-i686 -j2 --target vigilamp >/dev/null || exit 1
cmake --preset mingw-x86_64 >/dev/null &&
  cmake --build --preset mingw-x86_64 -j2 --target vigilamp bench bench_bare >/dev/null || exit 1

. scripts/wine.sh
run=$(mktemp -d "${TMPDIR:-/tmp}/vigilamp-bench.XXXXXX")
cleanup() { wine_stop; rm -rf "$run"; }
trap cleanup EXIT
cp build/x86_64/{vigilamp,bench,bare}.exe "$run"/
wine_start win64 || exit 1
quiet() { tr -d '\r' | grep -v '^[a-z0-9]*:\(err\|fixme\|warn\)'; }
row() {  # what value baseline unit target
  awk -v w="$1" -v v="$2" -v b="$3" -v u="$4" -v t="$5" \
    'BEGIN { printf "%-44s %10.3f %-3s  baseline %10.3f %-3s  ratio %5.2f   %s\n", w, v, u, b, u, (b > 0 ? v / b : 0), t }'
}

echo "== bench (x86_64 under Wine; idle cost over $idle s)"
$WINE "$run/bench.exe" 2>&1 | quiet
echo "-- from a window's appearance or new title to the alert's first effect, the window minimised (the lamps"
echo "   follow a flashing interval later); ${BENCH_TRIALS:-50} trials each, spread over the scan's phase"
$WINE "$run/bench.exe" latency "${BENCH_TRIALS:-50}" 2>&1 | quiet

# CPU time in ms of every thread of a process, from the scheduler's own account (nanoseconds).
cpu_ms() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%.3f", s / 1e6 }'; }
# Private memory in MiB: the pages only this process maps.
private_mib() { awk '/^Private_(Clean|Dirty):/ { s += $2 } END { printf "%.3f", s / 1024 }' /proc/"$1"/smaps_rollup; }

measure() {  # label scan-interval(0: not watching) target; the bare program scans only beside a 1000 ms scan
  printf '[Status]\r\nStartWithWindows=0\r\n' > "$run/vigilamp.ini"
  # The least delay the page takes: with less, the delay timer ticks at the system's least interval until the
  # first scan, which with a scan a minute away would be most of what is measured.
  ((${2})) && printf '[Timers]\r\nDelayValue=1000\r\nScanInterval=%s\r\n' "$2" >> "$run/vigilamp.ini"
  # Wine's loader becomes the program itself, so $! is the program's Linux process.
  local ours bare
  cd "$run"
  $WINE vigilamp.exe >/dev/null 2>&1 &
  ours=$!
  $WINE bare.exe $( (($2 == 1000)) && echo scan) >/dev/null 2>&1 &
  bare=$!
  cd "$root"
  sleep 3
  ((${2})) && $WINE "$run/bench.exe" execute >/dev/null 2>&1
  sleep 2  # past the delay
  local o0 b0 o1 b1 first=$((idle > 62 ? idle : 62))
  o0=$(cpu_ms "$ours"); b0=$(cpu_ms "$bare")
  if (($2 == 60000)); then
    # The delay timer ticks each second until the first scan turns it off, a minute after the delay: the figure
    # is the stretch after that, the watch listening with its scan a minute away; the first, for information.
    sleep "$first"
    o1=$(cpu_ms "$ours"); b1=$(cpu_ms "$bare")
    sleep "$idle"
    row "$1" "$(echo "$(cpu_ms "$ours") $o1" | awk '{ print $1 - $2 }')" \
      "$(echo "$(cpu_ms "$bare") $b1" | awk '{ print $1 - $2 }')" ms "$3"
    row "  the $first s before, to the first scan" "$(echo "$o1 $o0" | awk '{ print $1 - $2 }')" \
      "$(echo "$b1 $b0" | awk '{ print $1 - $2 }')" ms "for information: the delay timer ticks each second until then"
  else
    sleep "$idle"
    row "$1" "$(echo "$(cpu_ms "$ours") $o0" | awk '{ print $1 - $2 }')" \
      "$(echo "$(cpu_ms "$bare") $b0" | awk '{ print $1 - $2 }')" ms "$3"
  fi
  ((${2})) || row "private memory" "$(private_mib "$ours")" "$(private_mib "$bare")" MiB "target: within 2x"
  kill "$ours" "$bare" 2>/dev/null
  wait "$ours" "$bare" 2>/dev/null
}
measure "CPU while idle and hidden" 0 "target: within 1.1x"
measure "CPU while scanning at 1000 ms" 1000 "target: within 1.2x"
measure "CPU watching a quiet desktop, scan 60000 ms" 60000 "baseline: the bare program idle; the window events' cost"

for t in i686 x86_64; do
  kib=$(awk -v s="$(stat -c %s build/$t/vigilamp.exe)" 'BEGIN { printf "%.1f", s / 1024 }')
  printf '%-44s %10s KiB%s\n' "exe size $t" "$kib" \
    "$([ $t = i686 ] && echo '   target: under 1 MiB with libjpeg-turbo and zlib inside')"
done
wine_stop; scripts/bench-linux.sh "$idle"  # the native Linux program, on a display of its own
