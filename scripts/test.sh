#!/usr/bin/env bash
# Runs every test after a build: the native unit tests, a short fuzzing run, the end-to-end suite under
# Wine + Xvfb, the Linux program's X11 adapters and end-to-end suite under Xvfb with a window manager and a
# tray, then the packages: the Windows ones installed under Wine, the .deb installed, started and removed.
# Ends with one summary line.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
start=$SECONDS
failures=()  # the steps that failed, each with what it last said, repeated beside the summary at the end

echo "== unit tests"
ctest --preset native --output-on-failure -j2 | tail -n 4
unit=${PIPESTATUS[0]}
((unit)) && failures+=("unit tests (exit $unit)")

echo "== fuzzing (${FUZZ_SECONDS:-10} s per target)"
scripts/fuzz.sh "${FUZZ_SECONDS:-10}"
fuzz=$?
((fuzz)) && failures+=("fuzzing (exit $fuzz)")

echo "== end-to-end tests"
rm -f build/e2e-*.log
scripts/e2e.sh
e2e=$?
((e2e)) && failures+=("end-to-end under Wine (exit $e2e)")

echo "== Linux X11 adapters (a private X server with openbox)"
tests/linux/run_x11_tests.sh > build/x11-tests.out 2>&1
x11=$?
if ((x11 == 2)); then  # its desktop did not come up, so no test ran: say why, and give it one more chance
  cat build/x11-tests.out
  echo "the X11 adapters' desktop did not come up; once more"
  tests/linux/run_x11_tests.sh > build/x11-tests.out 2>&1
  x11=$?
fi
if ((x11)); then
  tail -n 30 build/x11-tests.out
  failures+=("X11 adapters (exit $x11: $(grep -v '^$' build/x11-tests.out | tail -n 1))")
else
  tail -n 3 build/x11-tests.out
fi
echo "$(grep -c '^\[       OK \]' build/x11-tests.out) passed, $(grep -c '^\[  FAILED  \] .* ms)$' build/x11-tests.out) failed" \
  > build/x11-check.log

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
echo "unit: $([ $unit = 0 ] && echo all $unit_total passed || echo FAILED); X11 adapters: $(sum 1 build/x11-check.log) passed, $(sum 3 build/x11-check.log) failed; e2e: $(sum 1 "${e2e_logs[@]}") cases passed, $(sum 3 "${e2e_logs[@]}") failed; packages: $(sum 1 "${pkg_logs[@]}") checks passed, $(sum 3 "${pkg_logs[@]}") failed; $((SECONDS - start)) s"
logs=("${e2e_logs[@]}" build/x11-check.log "${pkg_logs[@]}")
if [ $unit = 0 ] && [ $e2e = 0 ] && [ $e2e_linux = 0 ] && [ $fuzz = 0 ] && [ $x11 = 0 ] && [ $dist = 0 ]; then
  echo "$((unit_total + $(sum 1 "${logs[@]}"))) passed, 0 failed"
  exit 0
fi
printf 'failed: %s\n' "${failures[@]}"
# Steps that count no cases of their own count one each when they fail.
failed=$(( $(sum 3 "${logs[@]}") + (unit != 0) + (fuzz != 0) + (x11 != 0 && $(sum 3 build/x11-check.log) == 0) ))
((failed)) || failed=1  # a step that failed without counting its cases (a crash, a build error)
echo "$(( $(sum 1 "${logs[@]}") )) passed, $failed failed"
exit 1
