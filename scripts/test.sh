#!/usr/bin/env bash
# Runs every test after a build: the native unit tests, the test desktop's own test, a short fuzzing run, the
# end-to-end suite under Wine + Xvfb, the Windows adapters' checks against the real calls under Wine, the Linux
# program's X11 adapters (Xvfb with a window manager), its LED service adapter (a fake logind on a private bus),
# its Wayland window sources (headless compositors) and its end-to-end suite (Xvfb with a window manager and a
# tray), then the packages: the Windows ones installed under Wine, the .deb installed, started and removed.
# Every display comes from the one test desktop, scripts/desktop.sh. Ends with one summary line.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
start=$SECONDS
failures=()  # the steps that failed, each with what it last said, repeated beside the summary at the end

echo "== unit tests"
ctest --preset native --output-on-failure -j2 | tail -n 4
unit=${PIPESTATUS[0]}
((unit)) && failures+=("unit tests (exit $unit)")

echo "== the test desktop (scripts/desktop.sh: up, down, and pieces that cannot start)"
tests/scripts/desktop_test.sh > build/desktop-test.log 2>&1
desktop=$?
grep -v '^ok ' build/desktop-test.log
((desktop)) && failures+=("the test desktop (exit $desktop)")

echo "== fuzzing (${FUZZ_SECONDS:-10} s per target)"
scripts/fuzz.sh "${FUZZ_SECONDS:-10}"
fuzz=$?
((fuzz)) && failures+=("fuzzing (exit $fuzz)")

echo "== end-to-end tests"
rm -f build/e2e-*.log
scripts/e2e.sh
e2e=$?
((e2e)) && failures+=("end-to-end under Wine (exit $e2e)")

echo "== Windows adapters against the real calls under Wine (the keyboard's lamps, the window events)"
: > build/win32-check.log
win32=0
for check in tests/win32/run_lamps_check.sh tests/win32/run_window_events_check.sh; do
  out=$("$check" 2>&1)
  rc=$?
  grep -v '^ok ' <<<"$out"
  if ((rc)); then
    win32=1
    failures+=("$check (exit $rc)")
  fi
  echo "$(grep -c '^ok ' <<<"$out") passed, $(grep -c '^FAILED ' <<<"$out") failed" >> build/win32-check.log
done

# gtest_step <label> <name> <runner>: runs a GoogleTest runner that exits 2 when its test could not start (its
# desktop or bus did not come up: it says why, and has one more chance), keeps what it printed in
# build/<name>-tests.out and its counts in build/<name>-check.log; returns the runner's exit status.
gtest_step() {
  local label=$1 name=$2 runner=$3 out=build/$2-tests.out rc
  "$runner" > "$out" 2>&1
  rc=$?
  if ((rc == 2)); then  # no test ran: say why, and give it one more chance
    cat "$out"
    echo "$label: the test could not start; once more"
    "$runner" > "$out" 2>&1
    rc=$?
  fi
  if ((rc)); then
    tail -n 30 "$out"
    failures+=("$label (exit $rc: $(grep -v '^$' "$out" | tail -n 1))")
  else
    tail -n 3 "$out"
  fi
  echo "$(grep -c '^\[       OK \]' "$out") passed, $(grep -c '^\[  FAILED  \] .* ms)$' "$out") failed" \
    > "build/$name-check.log"
  return $rc
}

echo "== Linux X11 adapters (a private X server with openbox)"
gtest_step "X11 adapters" x11 tests/linux/run_x11_tests.sh
x11=$?

echo "== Linux LED service adapter (a fake logind on a private bus)"
gtest_step "LED service adapter" led tests/linux/run_led_tests.sh
led=$?

echo "== Linux Wayland window sources (sway, KWin, weston and GNOME Shell headless)"
gtest_step "Wayland sources" wayland tests/linux/run_wayland_tests.sh
wayland=$?

echo "== Linux end-to-end tests"
rm -f build/e2e-linux.log
scripts/e2e-linux.sh
e2e_linux=$?
((e2e_linux)) && failures+=("Linux end-to-end (exit $e2e_linux)")

echo "== packages (make dist, installed and uninstalled under Wine)"
rm -f build/dist-check.log build/deb-check.log
if scripts/dist.sh; then
  tests/dist/check_dist.sh 2>&1 | tee build/dist-check.log | grep -v '^ok '
  dist=${PIPESTATUS[0]}
  echo "== the Debian package (installed, started and removed)"
  tests/dist/check_deb.sh 2>&1 | tee build/deb-check.log | grep -v '^ok '
  ((PIPESTATUS[0] == 0)) || dist=1
else
  echo "0 passed, 1 failed" > build/dist-check.log
  dist=1
fi
((dist)) && failures+=("packages")

sum() { grep -hE '^[0-9]+ passed, [0-9]+ failed' "${@:2}" 2>/dev/null | awk -v f="$1" '{s+=$f} END {print s+0}'; }
e2e_logs=(build/e2e-*.log)
unit_total=$(ctest --preset native -N | awk '/Total Tests:/ {print $3}')
pkg_logs=(build/dist-check.log build/deb-check.log)
counts() { echo "$(sum 1 "$@") passed, $(sum 3 "$@") failed"; }
echo "unit: $([ $unit = 0 ] && echo all $unit_total passed || echo FAILED); desktop helper: $(counts build/desktop-test.log); Windows adapters: $(counts build/win32-check.log); X11 adapters: $(counts build/x11-check.log); LED service: $(counts build/led-check.log); Wayland: $(counts build/wayland-check.log); e2e: $(sum 1 "${e2e_logs[@]}") cases passed, $(sum 3 "${e2e_logs[@]}") failed; packages: $(sum 1 "${pkg_logs[@]}") checks passed, $(sum 3 "${pkg_logs[@]}") failed; $((SECONDS - start)) s"
logs=("${e2e_logs[@]}" build/desktop-test.log build/win32-check.log build/x11-check.log build/led-check.log build/wayland-check.log
      "${pkg_logs[@]}")
if [ $unit = 0 ] && [ $desktop = 0 ] && [ $e2e = 0 ] && [ $e2e_linux = 0 ] && [ $fuzz = 0 ] && [ $win32 = 0 ] && [ $x11 = 0 ] &&
   [ $led = 0 ] && [ $wayland = 0 ] && [ $dist = 0 ]; then
  echo "$((unit_total + $(sum 1 "${logs[@]}"))) passed, 0 failed"
  exit 0
fi
printf 'failed: %s\n' "${failures[@]}"
# uncounted <status> <log>: 1 when a step failed without counting a failed case of its own (a crash, no start).
uncounted() { echo $(($1 != 0 && $(sum 3 "$2") == 0)); }
# Steps that count no cases of their own count one each when they fail.
failed=$(( $(sum 3 "${logs[@]}") + (unit != 0) + (fuzz != 0) + $(uncounted $x11 build/x11-check.log) +
  $(uncounted $led build/led-check.log) + $(uncounted $wayland build/wayland-check.log) +
  $(uncounted $desktop build/desktop-test.log) + $(uncounted $win32 build/win32-check.log) ))
((failed)) || failed=1  # a step that failed without counting its cases (a crash, a build error)
# The unit tests count as passed when the whole unit step did.
echo "$(( $(sum 1 "${logs[@]}") + (unit == 0 ? unit_total : 0) )) passed, $failed failed"
exit 1
