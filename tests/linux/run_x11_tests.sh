#!/bin/bash
# Runs the X11 adapters' test on a private test desktop (scripts/desktop.sh: Xvfb with openbox), and ends it
# afterwards. The server keeps its state when its last client leaves, as a real one does: the keyboard's
# explicit lamps, which the lamps' tests read from connections that come and go, would reset else.
# The cases named WithoutAWindowManager run afterwards on a second desktop with none, unless gtest options are
# given (they then choose among the cases of the first).
# Usage: tests/linux/run_x11_tests.sh [path/to/x11_adapters_test [gtest options...]]
# Exits 2, before any test ran, when the test program is missing or its desktop does not come up.
set -u
here=$(cd "$(dirname "$0")/../.." && pwd)
test_binary=${1:-$here/build/linux/tests/x11_adapters_test}
[ $# -gt 0 ] && shift
[ -x "$test_binary" ] || { echo "no test program at $test_binary (build the target x11_adapters_test)" >&2; exit 2; }

. "$here/scripts/desktop.sh"
trap desktop_down EXIT
trap 'exit 130' INT TERM
desktop_up wm || exit 2

# Plain output whatever the environment asks for: the summary counts its OK and FAILED lines.
bare=WithoutAWindowManager
options=("$@")
"$test_binary" --gtest_color=no --gtest_brief=0 --gtest_filter="-*$bare*" "${options[@]}"
status=$?
# The test puts every light it lit out again.
lights=$(xset q | grep -E 'Caps Lock')
echo "after the test:$lights"
if echo "$lights" | grep -Eq ':[[:space:]]+on([[:space:]]|$)'; then
    echo "a lock light was left on" >&2
    [ $status -eq 0 ] && status=1
fi
if [ ${#options[@]} -eq 0 ]; then
    desktop_down
    desktop_up || exit 2
    "$test_binary" --gtest_color=no --gtest_brief=0 --gtest_filter="*$bare*" || status=1
fi
exit $status
