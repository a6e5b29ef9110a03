#!/usr/bin/env bash
# The Linux program's figures: on the test desktop (scripts/desktop.sh: Xvfb, a session bus, openbox, trayer), the
# program beside the least a Qt 6 tray program can be (bench/linux/bare_tray.cpp) and, as a second reference,
# a bare Xlib loop that does only the scan (bench/linux/bare_poll.c). Nothing fails on a time.
# Usage: scripts/bench-linux.sh [seconds of each idle measurement, default 60]
# BENCH_TRIALS (default 50) sets the trials of each alert latency figure.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
idle=${1:-60}
bin=build/linux

cmake --preset linux >/dev/null &&
  cmake --build --preset linux -j2 --target vigilamp bench_bare_tray bench_bare_poll bench_tray_dock bench_lamps \
    >/dev/null || exit 1

. scripts/desktop.sh
run=$(mktemp -d "${TMPDIR:-/tmp}/vigilamp-bench-linux.XXXXXX")
pids=() services=()  # the programs measured; the private system bus and the fake logind
cleanup() {
  ((${#pids[@]})) && kill "${pids[@]}" 2>/dev/null && wait "${pids[@]}" 2>/dev/null
  ((${#services[@]})) && kill "${services[@]}" 2>/dev/null && wait "${services[@]}" 2>/dev/null
  desktop_down; rm -rf "$run"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
desktop_up wm tray || exit 1
export XDG_CONFIG_HOME=$run/config  # whatever the programs write stays in the run's folder
mkdir -p "$XDG_CONFIG_HOME"
sleep 0.5  # the panel settles before anything docks in it
cp "$bin/vigilamp" "$run/"

row() {  # what value baseline unit target
  awk -v w="$1" -v v="$2" -v b="$3" -v u="$4" -v t="$5" \
    'BEGIN { r = b > 0 ? sprintf("%5.2f", v / b) : (v > 0 ? "  inf" : "    -")  # a baseline of nothing at all
            printf "%-44s %10.3f %-3s  baseline %10.3f %-3s  ratio %s   %s\n", w, v, u, b, u, r, t }'
}
# CPU time in ms of every thread of a process, from the scheduler's own account (nanoseconds).
cpu_ms() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%.3f", s / 1e6 }'; }
# Private memory in MiB: the pages only this process maps.
private_mib() { awk '/^Private_(Clean|Dirty):/ { s += $2 } END { printf "%.3f", s / 1024 }' /proc/"$1"/smaps_rollup; }
# The shared libraries a process has mapped.
libraries() { awk '$6 ~ /\.so/ { print $6 }' /proc/"$1"/maps | sort -u | wc -l; }
# A run that timed out has no figure and is left out.
median() { tr ' ' '\n' | grep -E '^[0-9.]+$' | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
ini() {  # scan-interval(0: not watching): the settings file beside the program's copy, which wins over ~/.config
  printf '[Status]\nStartWithWindows=0\n' > "$run/vigilamp.ini"
  ((${1})) && printf '[Timers]\nDelayValue=1000\nScanInterval=%s\n[Match]\nWatchAtStart=1\n' "$1" >> "$run/vigilamp.ini"
  return 0
}
delta() { echo "$1 $2" | awk '{ print $1 - $2 }'; }

echo "== bench (native Linux program on Xvfb with openbox and trayer; idle cost over $idle s)"
ini 0
ours=() bare=()
for _ in 1 2 3 4 5; do
  ours+=("$("$bin/bench/bench_tray_dock" 20000 "$run/vigilamp")"); sleep 0.3
  bare+=("$("$bin/bench/bench_tray_dock" 20000 "$bin/bench/bench_bare_tray")"); sleep 0.3
done
row "start-up until the tray icon is docked" "$(echo "${ours[*]}" | median)" "$(echo "${bare[*]}" | median)" ms \
  "target: within 1.5x of the bare Qt tray program"
printf '  %s\n' "runs, ms: vigilamp ${ours[*]}; bare tray ${bare[*]}"

echo "-- from a window's appearance or new title to the alert's first effect, the window minimised (the lamps"
echo "   follow a flashing interval later); ${BENCH_TRIALS:-50} trials each, spread over the scan's phase"
/usr/bin/python3 "$root/bench/linux/alert_latency.py" "$run/vigilamp" "$run" "${BENCH_TRIALS:-50}"

# The LED service's lamps are timed against the fake logind the tests use (tests/linux/fake_logind.py), on a
# private bus that stands for the system bus; the XKB ways on this desktop's server.
# until <seconds> <pid> <test...>: polls every 50 ms; fails at the deadline or when the process has ended.
until_up() {
  local tries=$(($1 * 20)) pid=$2
  shift 2
  until "$@" 2>/dev/null; do
    kill -0 "$pid" 2>/dev/null && ((--tries > 0)) || return 1
    sleep 0.05
  done
}
has_logind() {
  DBUS_SYSTEM_BUS_ADDRESS=$system_bus dbus-send --system --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.freedesktop.login1 | grep -q 'boolean true'
}
fake_logind() {  # fails, with why set, when a piece does not come up
  /usr/bin/python3 -c 'import dbusmock' 2>/dev/null || { why="python3-dbusmock is missing"; return 1; }
  dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$run/system-bus" >"$run/system-bus.log" 2>&1 &
  services+=($!)
  until_up 10 $! test -s "$run/system-bus" || { why="the private bus did not start"; return 1; }
  system_bus=$(head -n 1 "$run/system-bus")  # given to the fake and the bench alone, never to the programs measured
  DBUS_SYSTEM_BUS_ADDRESS=$system_bus /usr/bin/python3 -m dbusmock --template "$root/tests/linux/fake_logind.py" >"$run/logind.log" 2>&1 &
  services+=($!)
  until_up 15 $! has_logind || { why="the fake logind did not start: $(tail -n 1 "$run/logind.log")"; return 1; }
}
if fake_logind; then
  DBUS_SYSTEM_BUS_ADDRESS=$system_bus "$bin/bench/bench_lamps" led-service
else
  "$bin/bench/bench_lamps"
  echo "flash tick, lamps alone (LedServiceLamps): not measured ($why)"
fi
# Gone before the CPU is measured.
((${#services[@]})) && kill "${services[@]}" 2>/dev/null && wait "${services[@]}" 2>/dev/null; services=()

measure() {  # label scan-interval(0: not watching) target
  ini "$2"
  local ours bare poll
  "$run/vigilamp" >/dev/null 2>&1 &
  ours=$!
  "$bin/bench/bench_bare_tray" >/dev/null 2>&1 &
  bare=$!
  "$bin/bench/bench_bare_poll" $( (($2 == 1000)) && echo 1000) >/dev/null 2>&1 &
  poll=$!
  pids=("$ours" "$bare" "$poll")
  sleep 4
  local pid name
  for pid in "$ours" "$bare" "$poll"; do
    kill -0 "$pid" 2>/dev/null && continue
    name=$(case $pid in "$ours") echo vigilamp ;; "$bare") echo "the bare tray" ;; *) echo "the Xlib loop" ;; esac)
    echo "  $1: $name ended before it was measured"; pids=(); kill "$ours" "$bare" "$poll" 2>/dev/null
    wait "$ours" "$bare" "$poll" 2>/dev/null; return
  done
  if ! ((${2})); then
    row "private memory, hidden" "$(private_mib "$ours")" "$(private_mib "$bare")" MiB \
      "target: within 1.5x of the bare Qt tray program"
    printf '  %s\n' "shared libraries mapped: vigilamp $(libraries "$ours"), bare tray $(libraries "$bare"), bare Xlib loop $(libraries "$poll")"
  fi
  local o0 b0 p0 first=$((idle > 62 ? idle : 62)) ours_before= bare_before=
  o0=$(cpu_ms "$ours"); b0=$(cpu_ms "$bare"); p0=$(cpu_ms "$poll")
  if (($2 == 60000)); then
    # The delay timer ticks each second until the first scan turns it off, a minute after the delay: the figure
    # is the stretch after that, the watch listening with its scan a minute away; the first, for information.
    sleep "$first"
    ours_before=$(delta "$(cpu_ms "$ours")" "$o0"); bare_before=$(delta "$(cpu_ms "$bare")" "$b0")
    o0=$(cpu_ms "$ours"); b0=$(cpu_ms "$bare"); p0=$(cpu_ms "$poll")
  fi
  sleep "$idle"
  local o b p
  o=$(delta "$(cpu_ms "$ours")" "$o0"); b=$(delta "$(cpu_ms "$bare")" "$b0"); p=$(delta "$(cpu_ms "$poll")" "$p0")
  if (($2 == 1000)); then
    row "$1" "$o" "$p" ms "$3"
    row "  bare Qt tray, idle, beside it" "$b" "$p" ms "for information"
  else
    row "$1" "$o" "$b" ms "$3"
    row "  bare Xlib loop, idle (second reference)" "$p" "$b" ms "for information"
    [ -n "$ours_before" ] && row "  the $first s before, to the first scan" "$ours_before" "$bare_before" ms \
      "for information: the delay timer ticks each second until then"
  fi
  kill "$ours" "$bare" "$poll" 2>/dev/null
  wait "$ours" "$bare" "$poll" 2>/dev/null
  pids=()
}
measure "CPU while idle and hidden" 0 "target: within 1.5x of the bare Qt tray program"
measure "CPU scanning at 1000 ms vs bare Xlib loop" 1000 "baseline: the Xlib loop scanning, not the Qt tray"
measure "CPU watching a quiet desktop, scan 60000 ms" 60000 "baseline: the bare Qt tray idle; the window events' cost"

kib() { awk -v s="$1" 'BEGIN { printf "%.1f", s / 1024 }'; }
strip -o "$run/vigilamp.stripped" "$bin/vigilamp" 2>/dev/null
printf '%-44s %10s KiB   stripped %s KiB; bare tray %s KiB\n' "exe size linux" "$(kib "$(stat -c %s "$bin/vigilamp")")" \
  "$(kib "$(stat -c %s "$run/vigilamp.stripped")")" "$(kib "$(stat -c %s "$bin/bench/bench_bare_tray")")"
