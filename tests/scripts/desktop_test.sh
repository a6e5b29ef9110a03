#!/usr/bin/env bash
# The test desktop's own test (scripts/desktop.sh): a desktop that comes up answers and goes down leaving nothing;
# a piece that cannot start is named with what it said, the step fails, and nothing it or the pieces before it
# started stays running, nor any folder or display socket.
# Each case runs in a shell of its own whose environment carries a mark; whatever still carries the mark after
# the shell has ended is a process the desktop left behind.
# Usage: tests/scripts/desktop_test.sh   (prints "ok <case>" or "FAIL <case>" per case, then "N passed, M failed")
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/vigilamp-desktop-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
passed=0 failed=0 why=()

# scenario <name> <shell code>: runs the code after sourcing the helper, with a private TMPDIR and HOME and the
# mark; its output goes to $work/<name>.out, its exit status to $status.
scenario() {
  local name=$1 code=$2
  mark=$name-$$-$RANDOM
  tmp=$work/$name/tmp home=$work/$name/home out=$work/$name.out
  mkdir -p "$tmp" "$home"
  env VIGILAMP_DESKTOP_TEST_MARK="$mark" TMPDIR="$tmp" HOME="$home" \
    bash -c ". '$root/scripts/desktop.sh'; $code" >"$out" 2>&1 </dev/null
  status=$?
}
# What of the last scenario still runs (zombies have ended): pid and command line, one a line.
leftovers() {
  local p state
  for p in /proc/[0-9]*; do
    grep -qxzF "VIGILAMP_DESKTOP_TEST_MARK=$mark" "$p/environ" 2>/dev/null || continue
    state=$(sed 's/.*) //' "$p/stat" 2>/dev/null | cut -d' ' -f1)
    [ -n "$state" ] && [ "$state" != Z ] && echo "${p#/proc/} $(tr '\0' ' ' <"$p/cmdline")"
  done
}
# The display number the scenario printed or its message named (":N").
display_of() { grep -oE ':[0-9]+' "$out" | head -n 1 | tr -d :; }

# expect <what> <test...>: one check; on failure the test's own words and the scenario's output are kept.
expect() {
  local what=$1 said
  shift
  if said=$("$@" 2>&1); then
    why=()
  else
    why=("$what" "$said")
    return 1
  fi
}
# case_is <case> <function>: the case passes when every expect in it held.
case_is() {
  local name=$1
  shift
  why=()
  if "$@"; then
    passed=$((passed + 1)); echo "ok   $name"
  else
    failed=$((failed + 1)); echo "FAIL $name: ${why[0]:-}"
    [ -n "${why[1]:-}" ] && sed 's/^/     /' <<<"${why[1]}"
    sed 's/^/     | /' "$out" 2>/dev/null
  fi
  # A case that failed may have left processes: end them here, by pid, so the next case starts clean.
  local pid
  for pid in $(leftovers | cut -d' ' -f1); do kill -KILL "$pid" 2>/dev/null; done
}

status_is() { [ "$status" = "$1" ] || { echo "exit status $status, not $1"; return 1; }; }
says() { grep -qF -- "$1" "$out" || { echo "no line says: $1"; return 1; }; }
no_display_set() { grep -qx 'DISPLAY=' "$out" || { echo "the scenario printed $(grep '^DISPLAY=' "$out")"; return 1; }; }
nothing_left() { local left; left=$(leftovers); [ -z "$left" ] || { echo "still running:"; echo "$left"; return 1; }; }
no_folder_left() { local left; left=$(ls -A "$tmp"); [ -z "$left" ] || { echo "left in TMPDIR: $left"; return 1; }; }
no_socket_left() { local left; left=$(find "$home" -type s); [ -z "$left" ] || { echo "left in HOME: $left"; return 1; }; }
no_server_socket() {  # <display number>: the server's socket is gone (with -displayfd it takes no lock file)
  [ -n "$1" ] || { echo "no display number was printed"; return 1; }
  [ ! -e "/tmp/.X11-unix/X$1" ] || { echo "display :$1's socket is still there"; return 1; }
}

# --- an ordinary desktop
up_and_down() {
  scenario ordinary '
    desktop_up wm tray a11y || exit 10
    echo "display $DISPLAY"
    xdpyinfo >/dev/null || exit 11
    dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.ListNames >/dev/null || exit 12
    [[ $(xwininfo -root -tree) == *'"panel"'* ]] || exit 13
    desktop_down || exit 14
    [ -z "${DISPLAY:-}" ] || exit 15
    [ -z "$DESKTOP_DIR" ] || exit 16'
  expect "it came up, answered, and went down without complaint" status_is 0 &&
    expect "nothing of it runs afterwards" nothing_left &&
    expect "its folder is gone" no_folder_left &&
    expect "the accessibility bus's socket is gone" no_socket_left &&
    expect "the server's socket is gone" no_server_socket "$(display_of)"
}
case_is "a desktop with a window manager, a tray and the accessibility bus comes up, and leaves nothing behind" up_and_down

twice() {
  scenario twice '
    desktop_up || exit 10
    desktop_up && exit 11
    desktop_down; desktop_down || exit 12
    desktop_up || exit 13
    echo "display $DISPLAY"
    desktop_down'
  expect "a second desktop_up is refused, desktop_down may be called twice, and the desktop comes up again" status_is 0 &&
    expect "the refusal says why" says "already up" &&
    expect "nothing of either desktop runs afterwards" nothing_left &&
    expect "no folder is left" no_folder_left
}
case_is "a desktop already up is not started twice, and one can be brought up again after desktop_down" twice

# --- pieces that do not come up
mkdir -p "$work/bin"
cat >"$work/bin/fake-xvfb" <<'EOF'
#!/bin/sh
echo "(EE) Fatal server error: no screens found" >&2
exit 1
EOF
cat >"$work/bin/hung-wm" <<'EOF'
#!/bin/bash
# A window manager that starts a helper of its own and then never manages anything.
sleep 300 &
echo "loading a theme that never loads"
wait
EOF
chmod +x "$work/bin/fake-xvfb" "$work/bin/hung-wm"

no_server() {
  scenario no-server 'DESKTOP_XVFB=/bin/false desktop_up wm tray; s=$?; echo "DISPLAY=${DISPLAY:-}"; exit $s'
  expect "desktop_up fails" status_is 1 &&
    expect "it names the server and how it ended" says "desktop: Xvfb did not come up (it ended with status 1); it said nothing" &&
    expect "no display is left set" no_display_set &&
    expect "nothing runs afterwards" nothing_left &&
    expect "no folder is left" no_folder_left
}
case_is "a server that cannot start fails the step, says so, and leaves nothing behind" no_server

server_says() {
  scenario server-says "DESKTOP_XVFB='$work/bin/fake-xvfb' desktop_up"
  expect "desktop_up fails" status_is 1 &&
    expect "it repeats what the server said" says "Fatal server error: no screens found" &&
    expect "nothing runs afterwards" nothing_left &&
    expect "no folder is left" no_folder_left
}
case_is "a server that cannot start is quoted" server_says

no_wm() {
  scenario no-wm 'DESKTOP_WM=/bin/false desktop_up tray'
  expect "desktop_up fails" status_is 1 &&
    expect "it names the window manager, the display and how it ended" says "desktop: openbox did not come up on :" &&
    expect "...and how it ended" says "(it ended with status 1)" &&
    expect "the server and the bus started before it are ended" nothing_left &&
    expect "the server's socket is gone" no_server_socket "$(display_of)" &&
    expect "no folder is left" no_folder_left
}
case_is "a window manager that cannot start fails the step, and the server and bus before it end" no_wm

hung_wm() {
  scenario hung-wm "DESKTOP_WAIT=2 DESKTOP_WM='$work/bin/hung-wm' desktop_up wm"
  expect "desktop_up fails" status_is 1 &&
    expect "it says the window manager was not ready in time" says "openbox did not come up on :" &&
    expect "...in time" says "(it was not ready in time)" &&
    expect "it repeats what the window manager said" says "loading a theme that never loads" &&
    expect "the window manager, its own helper, the bus and the server are all ended" nothing_left &&
    expect "no folder is left" no_folder_left
}
case_is "a window manager that never becomes ready is ended with what it started, after a bounded wait" hung_wm

wrong_call() {
  scenario wrong-call 'desktop_up wm panel; s=$?; echo "pieces: ${#DESKTOP_PIDS[@]}"; exit $s'
  expect "desktop_up fails as a wrong call" status_is 2 &&
    expect "it names the option" says "desktop: unknown option panel" &&
    expect "it started nothing" says "pieces: 0" &&
    expect "no folder is made" no_folder_left
}
case_is "an unknown option is refused before anything starts" wrong_call

echo "$passed passed, $failed failed"
((failed == 0))
