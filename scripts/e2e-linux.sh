#!/usr/bin/env bash
# Runs the Linux end-to-end suite against build/linux/vigilamp on a desktop of its own: a private Xvfb, and in a
# private D-Bus session the accessibility bus, openbox (EWMH) and trayer (an XEmbed tray). Everything it starts
# is ended when it stops, so it can run again at once, as root in CI too.
# Usage: scripts/e2e-linux.sh [case-filter]   (a substring of the case names)
# Writes what it prints to build/e2e-linux.log, ending with "N passed, M failed".
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# The desktop inside the D-Bus session: started by the outer part below, in a process group of its own.
if [ "${1:-}" = --inside-session ]; then
  shift
  pids=()
  /usr/libexec/at-spi-bus-launcher --launch-immediately >"$E2E_DIR/at-spi.log" 2>&1 & pids+=($!)
  openbox --sm-disable >"$E2E_DIR/openbox.log" 2>&1 & pids+=($!)
  # The tray comes after the window manager: trayer asks it for a dock window. Openbox manages windows once it
  # has loaded its theme and fonts (seconds on a fresh or busy machine), and then names the theme on the root.
  for _ in $(seq 400); do xprop -root _OB_THEME 2>/dev/null | grep -q ' = ' && break; sleep 0.05; done
  trayer --edge top --align right --widthtype request --height 24 >"$E2E_DIR/trayer.log" 2>&1 & pids+=($!)
  for _ in $(seq 100); do xwininfo -root -tree 2>/dev/null | grep -q '"panel"' && break; sleep 0.05; done
  /usr/bin/python3 "$root/tests/linux/e2e/driver.py" "$@"
  rc=$?
  kill "${pids[@]}" 2>/dev/null
  wait "${pids[@]}" 2>/dev/null
  exit $rc
fi

filter=${1:-}
log=$root/build/e2e-linux.log
mkdir -p "$root/build"
if [ ! -x "$root/build/linux/vigilamp" ]; then
  echo "FAIL build: no build/linux/vigilamp (cmake --preset linux && cmake --build --preset linux)" | tee "$log"
  echo "0 passed, 1 failed" | tee -a "$log"
  exit 1
fi

E2E_DIR=$(mktemp -d "${TMPDIR:-/tmp}/vigilamp-e2e-linux.XXXXXX")
export E2E_DIR
xvfb= session=
cleanup() {
  # The session's process group holds the bus, the desktop, the driver and whatever they started.
  [ -n "$session" ] && kill -TERM -- -"$session" 2>/dev/null && sleep 0.3 && kill -KILL -- -"$session" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$E2E_DIR"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

exec 3> "$E2E_DIR/display"
Xvfb -displayfd 3 -screen 0 1920x1200x24 -nolisten tcp >"$E2E_DIR/xvfb.log" 2>&1 &
xvfb=$!
exec 3>&-
for _ in $(seq 200); do [ -s "$E2E_DIR/display" ] && break; sleep 0.05; done
if [ ! -s "$E2E_DIR/display" ]; then
  { echo "FAIL desktop: Xvfb did not start: $(tail -3 "$E2E_DIR/xvfb.log")"; echo "0 passed, 1 failed"; } | tee "$log"
  exit 1
fi
export DISPLAY=:$(head -1 "$E2E_DIR/display")
# The copies' folders go under the run's own folder: what the driver finds there as leftover is this run's.
export XDG_RUNTIME_DIR=$E2E_DIR/run HOME=$E2E_DIR XDG_CONFIG_HOME=$E2E_DIR/config TMPDIR=$E2E_DIR/tmp
mkdir -p -m 700 "$XDG_RUNTIME_DIR" "$TMPDIR"
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS SESSION_MANAGER

setsid dbus-run-session -- bash "$root/scripts/e2e-linux.sh" --inside-session "$filter" > >(tee "$log") 2> >(grep -v 'Failed to set fd limit' >&2) &
session=$!
wait "$session"
rc=$?
session_alive() { kill -0 -- -"$session" 2>/dev/null; }
# Nothing of the run stays behind: the session's processes end with it.
for _ in $(seq 40); do session_alive || break; sleep 0.05; done
if session_alive; then
  { echo "LEFTOVER: $(pgrep -g "$session" -a | tr '\n' ';')"; echo "0 passed, 1 failed"; } | tee -a "$log"
  rc=1
fi
sleep 0.1  # tee has written the log
grep -qE '^[0-9]+ passed, [0-9]+ failed' "$log" || { echo "0 passed, 1 failed" | tee -a "$log"; rc=1; }
exit $rc
