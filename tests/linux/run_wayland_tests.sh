#!/bin/bash
# Runs the Wayland window sources' tests: first the parts that need no desktop, then each headless desktop in
# turn (sway with XWayland, KWin, weston, GNOME Shell without and with the program's extension), each case on the
# desktop it is meant for. Plain gtest lines, and a closing "N passed, N failed".
# Usage: tests/linux/run_wayland_tests.sh [build folder, default build/linux]
# Exits 2, before any test ran, when a test program is missing, and at once when a desktop does not come up
# (saying why); otherwise 1 when a case failed.
set -u
here=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$here/build/linux}
bin=$build/tests
for program in window_sets_test wayland_sources_test toplevel_client stand_in_compositor; do
  [ -x "$bin/$program" ] || {
    echo "no test program at $bin/$program (build the targets window_sets_test and wayland_sources_test)" >&2
    exit 2
  }
done
[ -x "$build/vigilamp" ] || { echo "no program at $build/vigilamp (build the target vigilamp)" >&2; exit 2; }
extension=$here/assets/linux/gnome-shell-extension/windows@vigilamp.example.org

. "$here/scripts/desktop.sh"
trap desktop_down EXIT
trap 'exit 130' INT TERM

passed=0 failed=0
# run_cases <label> <program> [gtest options...]: plain output, counted.
run_cases() {
  local label=$1 program=$2 output status
  shift 2
  echo "== $label"
  output=$("$program" --gtest_color=no --gtest_brief=0 "$@" 2>&1)
  status=$?
  echo "$output"
  passed=$((passed + $(grep -c '^\[       OK \]' <<<"$output")))
  failed=$((failed + $(grep -c '^\[  FAILED  \] .*(' <<<"$output")))
  # A program that ended without its summary (a crash) counts as one failure more.
  if [ $status -ne 0 ] && ! grep -q '^\[==========\] .* ran\.' <<<"$output"; then
    echo "$label: the test program ended without finishing (status $status)"
    failed=$((failed + 1))
  fi
}

# on_desktop <label> <desktop name for the cases> <filter> <desktop_up options...>
on_desktop() {
  local label=$1 name=$2 filter=$3
  shift 3
  if ! desktop_up "$@"; then
    echo "$label: the desktop did not come up (desktop_up $*); no case ran on it" >&2
    echo "$passed passed, $failed failed"
    exit 2
  fi
  VIGILAMP_TEST_DESKTOP=$name run_cases "$label" "$bin/wayland_sources_test" --gtest_filter="$filter"
  desktop_down
}

run_cases "without a desktop" "$bin/window_sets_test"
# Window lists no compositor here offers: the cases start a stand-in compositor of their own, in a folder of
# their own.
VIGILAMP_TEST_DESKTOP=stand-in run_cases "the common toplevel list alone, and a wlroots compositor that minimises \
(a stand-in compositor)" "$bin/wayland_sources_test" --gtest_filter='StandIn*'
on_desktop "sway 1.7 headless, XWayland" sway 'Sway*' compositor=sway xwayland

# The program itself on sway: a native Wayland window of the watched app id is found and closed, by the scan
# when it was there before the watch began, and at once by the source's event when it comes later, with the
# scan a minute away.
program=$build/vigilamp
# program_case <name> <scan ms> <the window first: 1 or 0> <seconds it may take after the window shows>
program_case() {
  local name=$1 scan=$2 first=$3 limit=$4 folder client started shown=
  folder=$(mktemp -d) && chmod 755 "$folder"
  cp "$program" "$folder/"
  printf '[Status]\nStartWithWindows=0\n[Timers]\nDelayValue=1000\nScanInterval=%s\n[Actions]\nClose=1\nMinimise=0\n[Advanced]\nHandlename=org.example.Watched\n[Match]\nWatchAtStart=1\n' \
    "$scan" >"$folder/vigilamp.ini"
  mkfifo "$folder/in"
  start_client() {
    "$bin/toplevel_client" org.example.Watched "Watched window" <"$folder/in" >"$folder/client.out" 2>&1 &
    client=$!
    exec 5>"$folder/in"
    for _ in $(seq 100); do grep -q shown "$folder/client.out" && break; sleep 0.05; done
    shown=$(date +%s%N)
  }
  [ "$first" = 1 ] && start_client
  XDG_SESSION_TYPE=wayland QT_QPA_PLATFORM=xcb "$folder/vigilamp" >"$folder/vigilamp.log" 2>&1 &
  started=$!
  [ "$first" = 1 ] || { sleep 2.5; start_client; }  # past the delay: the watch scans
  local waited=$((limit * 20)) closed=
  for _ in $(seq "$waited"); do grep -q close "$folder/client.out" && { closed=$(date +%s%N); break; }; sleep 0.05; done
  if [ -n "$closed" ]; then
    echo "[       OK ] Program.$name ($(( (closed - shown) / 1000000 )) ms after the window showed)"
    passed=$((passed + 1))
  else
    echo "[  FAILED  ] Program.$name (the window was not closed; the program said: $(tail -n 3 "$folder/vigilamp.log" | tr '\n' ' '); waited $((limit * 1000)) ms)"
    failed=$((failed + 1))
  fi
  kill "$started" "$client" 2>/dev/null
  wait "$started" "$client" 2>/dev/null
  exec 5>&-
  rm -rf "$folder"
}
if desktop_up compositor=sway xwayland; then
  echo "== the program on sway"
  program_case ClosesANativeWindowItsScanFinds 1000 1 4
  program_case ClosesANativeWindowTheMomentItAppears 60000 0 1
  desktop_down
else
  echo "the program on sway: the desktop did not come up; no case ran on it" >&2
  failed=$((failed + 1))
fi
on_desktop "KWin headless" kwin 'Kwin*' compositor=kwin
on_desktop "weston headless" weston '*Weston*' compositor=weston
on_desktop "GNOME Shell headless, no extension" gnome-bare '*GnomeWithout*' compositor=gnome
on_desktop "GNOME Shell headless, the extension installed" gnome 'Gnome.*' compositor=gnome xwayland \
  "gnome-extension=$extension"

echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
