#!/usr/bin/env bash
# The Wayland window source's figures under sway headless with a few windows of a tiny client: start-up, CPU
# while idle and while watching (bench/linux/wayland_sources.cpp), and the same while one window retitles
# itself ten times a second. Figures only; nothing fails on a time.
# Usage: scripts/bench-wayland.sh [seconds of each measurement, default 10]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-10}
cmake --preset linux >/dev/null &&
  cmake --build build/linux -j2 --target bench_wayland_sources toplevel_client >/dev/null || exit 1
client=build/linux/tests/toplevel_client

. scripts/desktop.sh
started=()
finish() {
  if [ ${#started[@]} -gt 0 ]; then
    kill "${started[@]}" 2>/dev/null
    wait "${started[@]}" 2>/dev/null
  fi
  desktop_down
}
trap finish EXIT
desktop_up compositor=sway || exit 2
# The windows stay while their input stays open: one pipe that this script holds serves them all.
mkfifo "$DESKTOP_DIR/quiet" "$DESKTOP_DIR/busy"
exec 4<>"$DESKTOP_DIR/quiet"
for i in 1 2 3 4 5; do
  "$client" "vr.bench.$i" "Bench window $i" <&4 >/dev/null &
  started+=($!)
done
sleep 0.5
echo "== sway 1.7 headless, 5 windows"
build/linux/bench/bench_wayland_sources "$seconds" 1000
echo "== the same while a sixth window retitles itself ten times a second"
"$client" vr.bench.busy "Busy window" <"$DESKTOP_DIR/busy" >/dev/null &
started+=($!)
{ n=0; while :; do n=$((n + 1)); echo "title ($n) Busy window"; sleep 0.1; done; } >"$DESKTOP_DIR/busy" &
started+=($!)
sleep 0.5
build/linux/bench/bench_wayland_sources "$seconds" 1000
