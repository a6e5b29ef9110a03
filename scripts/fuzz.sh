#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, address and undefined-behaviour sanitizers) and runs each for a bounded
# time from the seeds in tests/fuzz/corpus. Usage: scripts/fuzz.sh [seconds per target, default 10] [target...]
# A crash, a hang or a sanitizer report fails the run and leaves the input under build/fuzz/findings.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-10}; shift || true
mkdir -p build
if ! { cmake --preset fuzz && cmake --build --preset fuzz; } >build/fuzz-build.log 2>&1; then
  echo "fuzz: the targets did not build (build/fuzz-build.log); the build said:"; tail -n 20 build/fuzz-build.log
  exit 1
fi

targets=("$@")
((${#targets[@]})) || targets=($(cd build/fuzz && ls *_fuzz | sed 's/_fuzz$//'))
status=0
mkdir -p build/fuzz/findings
for t in "${targets[@]}"; do
  corpus=build/fuzz/corpus/$t
  mkdir -p "$corpus"
  [ -d "tests/fuzz/corpus/$t" ] && cp -n tests/fuzz/corpus/$t/* "$corpus"/ 2>/dev/null
  if build/fuzz/${t}_fuzz "$corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix=build/fuzz/findings/$t- -print_final_stats=1 > build/fuzz/$t.log 2>&1; then
    echo "fuzz $t: $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' build/fuzz/$t.log | grep -o '[0-9]*$') runs in ${seconds} s, no finding"
  else
    echo "fuzz $t: FAILED (see build/fuzz/$t.log and build/fuzz/findings)"; tail -n 30 build/fuzz/$t.log
    status=1
  fi
done
exit $status
