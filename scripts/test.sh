#!/usr/bin/env bash
# Runs every test after a build: the native unit tests, a short fuzzing run, then the end-to-end suite under
# Wine + Xvfb.
# Ends with one summary line.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
start=$SECONDS

echo "== unit tests"
ctest --preset native --output-on-failure -j2 | tail -n 4
unit=${PIPESTATUS[0]}

echo "== fuzzing (${FUZZ_SECONDS:-10} s per target)"
scripts/fuzz.sh "${FUZZ_SECONDS:-10}"
fuzz=$?

echo "== end-to-end tests"
rm -f build/e2e-*.log
scripts/e2e.sh
e2e=$?

sum() { grep -hE '^[0-9]+ passed, [0-9]+ failed' build/e2e-*.log 2>/dev/null | awk -v f="$1" '{s+=$f} END {print s+0}'; }
unit_total=$(ctest --preset native -N | awk '/Total Tests:/ {print $3}')
echo "unit: $([ $unit = 0 ] && echo all $unit_total passed || echo FAILED); e2e: $(sum 1) cases passed, $(sum 3) failed; $((SECONDS - start)) s"
if [ $unit = 0 ] && [ $e2e = 0 ] && [ $fuzz = 0 ]; then
  echo "$((unit_total + $(sum 1))) passed, 0 failed"
  exit 0
fi
echo "$(( $(sum 1) )) passed, $(( $(sum 3) + (unit != 0) + (fuzz != 0) )) failed"
exit 1
