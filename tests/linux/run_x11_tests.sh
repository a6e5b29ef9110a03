#!/bin/sh
# Runs the X11 adapters' test in a private X server with a window manager, and ends both afterwards.
# Usage: tests/linux/run_x11_tests.sh [path/to/x11_adapters_test [gtest options...]]
# Exits 2, before any test ran, when the test program is missing or its desktop does not come up.
set -u
here=$(cd "$(dirname "$0")/../.." && pwd)
test_binary=${1:-$here/build/linux/src/linux/x11_adapters_test}
[ $# -gt 0 ] && shift
[ -x "$test_binary" ] || { echo "no test program at $test_binary (build the target x11_adapters_test)" >&2; exit 2; }

dir=$(mktemp -d "${TMPDIR:-/tmp}/vigilamp-x11-tests.XXXXXX")
xvfb_pid= openbox_pid=
cleanup() {
    [ -n "$openbox_pid" ] && kill "$openbox_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
# Says why the desktop did not come up, with what the program concerned said, and ends.
gave_up() {
    echo "$1 said:" >&2; cat "$dir/$1.log" >&2
    echo "$1 did not start${DISPLAY:+ on $DISPLAY}" >&2
    exit 2
}

# The server picks a display nobody uses and names it, so no other server can be reached by mistake
# (nor named in a message: until then there is no display of ours).
unset DISPLAY
exec 3>"$dir/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$dir/Xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
tries=0
until [ -s "$dir/display" ]; do
    tries=$((tries + 1))
    { [ $tries -gt 300 ] || ! kill -0 "$xvfb_pid" 2>/dev/null; } && gave_up Xvfb
    sleep 0.1
done
export DISPLAY=":$(head -n 1 "$dir/display")"

openbox --sm-disable >"$dir/openbox.log" 2>&1 &
openbox_pid=$!
# The window manager is ready once it has loaded its theme (and with it the fonts, which takes seconds on a
# fresh or busy machine) and says so on the root: its check window comes earlier, before it manages anything.
tries=0
until xprop -root _OB_THEME 2>/dev/null | grep -q ' = '; do
    tries=$((tries + 1))
    { [ $tries -gt 600 ] || ! kill -0 "$openbox_pid" 2>/dev/null; } && gave_up openbox
    sleep 0.1
done

# Plain output whatever the environment asks for: the summary counts its OK and FAILED lines.
"$test_binary" --gtest_color=no --gtest_brief=0 "$@"
status=$?
# The test puts every light it lit out again.
lights=$(xset q | grep -E 'Caps Lock')
echo "after the test:$lights"
case $lights in *': on'*) echo "a lock light was left on" >&2; [ $status -eq 0 ] && status=1 ;; esac
exit $status
