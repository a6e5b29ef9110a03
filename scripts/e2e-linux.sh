#!/usr/bin/env bash
# Runs the Linux end-to-end suite against build/linux/vigilamp on the test desktop (scripts/desktop.sh: a private
# Xvfb and session bus, the accessibility bus, openbox for EWMH and trayer for an XEmbed tray). The driver runs in
# a process group of its own, which holds whatever it starts: a process of it still running after the driver has
# ended is reported, and everything is ended when the script stops, so it can run again at once, as root in CI
# too.
# Usage: scripts/e2e-linux.sh [case-filter]   (a substring of the case names)
# Writes what it prints to build/e2e-linux.log, ending with "N passed, M failed".
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/desktop.sh"

filter=${1:-}
log=$root/build/e2e-linux.log
mkdir -p "$root/build"
if [ ! -x "$root/build/linux/vigilamp" ]; then
  echo "FAIL build: no build/linux/vigilamp (cmake --preset linux && cmake --build --preset linux)" | tee "$log"
  echo "0 passed, 1 failed" | tee -a "$log"
  exit 1
fi

E2E_DIR=$(mktemp -d "${TMPDIR:-/tmp}/vigilamp-e2e-linux.XXXXXX")
driver=
# running: what of the driver's process group still runs (zombies have ended), pid and command, one a line.
running() { ps -e -o pid=,pgid=,stat=,args= | awk -v g="$driver" '$2 == g && $3 !~ /^Z/ { $2 = $3 = ""; print }'; }
cleanup() {
  if [ -n "$driver" ]; then
    kill -TERM -- -"$driver" 2>/dev/null
    for _ in $(seq 20); do [ -z "$(running)" ] && break; sleep 0.05; done
    kill -KILL -- -"$driver" 2>/dev/null
  fi
  desktop_down
  rm -rf "$E2E_DIR"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The copies' folders go under the run's own folder: what the driver finds there as leftover is this run's. The
# accessibility bus puts its socket under XDG_RUNTIME_DIR, so that is set before the desktop comes up.
export XDG_RUNTIME_DIR=$E2E_DIR/run HOME=$E2E_DIR XDG_CONFIG_HOME=$E2E_DIR/config
mkdir -p -m 700 "$XDG_RUNTIME_DIR" "$E2E_DIR/tmp"
if ! desktop_up wm tray a11y 2>"$E2E_DIR/desktop.log"; then
  { echo "FAIL desktop: the test desktop did not come up:"; cat "$E2E_DIR/desktop.log"; echo "0 passed, 1 failed"; } |
    tee "$log"
  exit 1
fi
export TMPDIR=$E2E_DIR/tmp

set -m  # the driver's own process group
(/usr/bin/python3 "$root/tests/linux/e2e/driver.py" "$filter" | tee "$log") &
driver=$!
set +m
wait "$driver"
rc=$?
# Nothing of the run stays behind: what the driver started ends with it.
for _ in $(seq 40); do [ -z "$(running)" ] && break; sleep 0.05; done
left=$(running)
if [ -n "$left" ]; then
  { echo "LEFTOVER: $(tr '\n' ';' <<<"$left")"; echo "0 passed, 1 failed"; } | tee -a "$log"
  rc=1
fi
grep -qE '^[0-9]+ passed, [0-9]+ failed' "$log" || { echo "0 passed, 1 failed" | tee -a "$log"; rc=1; }
exit $rc
