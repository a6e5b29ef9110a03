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
bin=$build/src/linux/wayland
for program in window_sets_test wayland_sources_test toplevel_client stand_in_compositor; do
  [ -x "$bin/$program" ] || {
    echo "no test program at $bin/$program (build the targets window_sets_test and wayland_sources_test)" >&2
    exit 2
  }
done
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
on_desktop "KWin headless" kwin 'Kwin*' compositor=kwin
on_desktop "weston headless" weston '*Weston*' compositor=weston
on_desktop "GNOME Shell headless, no extension" gnome-bare '*GnomeWithout*' compositor=gnome
on_desktop "GNOME Shell headless, the extension installed" gnome 'Gnome.*' compositor=gnome xwayland \
  "gnome-extension=$extension"

echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
