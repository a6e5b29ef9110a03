#!/bin/bash
# Runs the LED service's test against a fake logind (tests/linux/fake_logind.py, a python3-dbusmock template) on
# a private bus that stands for the system bus (DBUS_SYSTEM_BUS_ADDRESS), and ends both afterwards.
# Usage: tests/linux/run_led_tests.sh [path/to/led_service_test [gtest options...]]
# Exits 2, before any test ran, when the test program is missing or its bus or fake logind does not start.
set -u
here=$(cd "$(dirname "$0")/../.." && pwd)
test_binary=${1:-$here/build/linux/tests/led_service_test}
[ $# -gt 0 ] && shift
[ -x "$test_binary" ] || { echo "no test program at $test_binary (build the target led_service_test)" >&2; exit 2; }
# Debian's python, for which python3-dbusmock is installed, not a python3 earlier on the PATH.
python=/usr/bin/python3

dir=$(mktemp -d "${TMPDIR:-/tmp}/vigilamp-led-tests.XXXXXX")
pids=()
cleanup() {
    local i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null && wait "${pids[i]}" 2>/dev/null; done
    rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
# Says why the piece did not come up, with what it said, and ends.
gave_up() {
    echo "$1 did not start ($2); it said:" >&2
    tail -n 5 "$dir/$1.log" 2>/dev/null | sed 's/^/  /' >&2
    exit 2
}
# waits <seconds> <pid> <test...>: polls every 50 ms until the test holds; fails when the process has ended.
waits() {
    local tries=$(($1 * 20)) pid=$2
    shift 2
    until "$@" 2>/dev/null; do
        kill -0 "$pid" 2>/dev/null || return 1
        ((--tries > 0)) || return 1
        sleep 0.05
    done
}
has_bus() { [ -s "$dir/bus" ]; }
has_logind() {
    dbus-send --system --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.freedesktop.login1 | grep -q 'boolean true'
}

"$python" -c 'import dbusmock' >"$dir/logind.log" 2>&1 || gave_up logind "python3-dbusmock is missing"

unset DBUS_SESSION_BUS_ADDRESS
dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$dir/bus" >"$dir/dbus.log" 2>&1 &
pids+=($!)
waits 10 $! has_bus || gave_up dbus "no bus address in time, or it ended"
export DBUS_SYSTEM_BUS_ADDRESS=$(head -n 1 "$dir/bus")

"$python" -m dbusmock --template "$here/tests/linux/fake_logind.py" >"$dir/logind.log" 2>&1 &
pids+=($!)
waits 15 $! has_logind || gave_up logind "it never took the name org.freedesktop.login1"

# Plain output whatever the environment asks for: a summary counts its OK and FAILED lines.
"$test_binary" --gtest_color=no --gtest_brief=0 "$@"
