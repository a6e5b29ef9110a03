# The one test desktop: every script and suite that needs a display starts it here, and ends it here.
# Source it, then
#   desktop_up [wm] [tray] [a11y] [noreset] [size=WxH] || exit
#     a private Xvfb whose display the server picks itself and names (-displayfd), so no other server is ever
#     reached by mistake, and a D-Bus session bus of its own; then, as asked: openbox (wm), trayer (tray, which
#     needs wm), the accessibility bus (a11y); noreset keeps the server's state when its last client leaves (the
#     keyboard's explicit lamps). Exports DISPLAY and DBUS_SESSION_BUS_ADDRESS, and DESKTOP_DIR, a folder of the
#     desktop's own that goes with it.
#   desktop_down   (safe to call twice, and from an EXIT trap)
#     ends every piece with all it started (the accessibility bus's daemons, services the session bus started
#     for a client), removes the folder, and fails, saying what, if anything of the desktop is still running.
# Every wait is one bounded loop. A piece that does not come up is named with what it said, everything started
# so far is ended, and desktop_up returns 1 (2 for a wrong call).
# Only to prove those paths: DESKTOP_XVFB and DESKTOP_WM name other commands for the server and the window
# manager, and DESKTOP_WAIT caps every wait (seconds).
DESKTOP_PIDS=()   # the pieces, each the leader of a process group of its own, in the order they were started
DESKTOP_NAMES=()
DESKTOP_DIR=
DESKTOP_DISPLAY=  # the server's display number

# _desktop_wait <seconds> <test...>: polls the test every 50 ms until it holds; fails at once when the piece it
# waits for (the last started) has ended, or at the deadline.
_desktop_wait() {
  local seconds=$1 pid=${DESKTOP_PIDS[-1]}
  [ -n "${DESKTOP_WAIT:-}" ] && ((DESKTOP_WAIT < seconds)) && seconds=$DESKTOP_WAIT
  local tries=$((seconds * 20))
  shift
  while ! "$@" 2>/dev/null; do
    kill -0 "$pid" 2>/dev/null || return 1
    ((--tries > 0)) || return 1
    sleep 0.05
  done
}

# _desktop_failed: says why the last piece did not come up, with what it said, ends what was started, and fails.
_desktop_failed() {
  local name=${DESKTOP_NAMES[-1]} pid=${DESKTOP_PIDS[-1]} how said
  if kill -0 "$pid" 2>/dev/null; then
    how="it was not ready in time"
  else
    wait "$pid" 2>/dev/null
    how="it ended with status $?"
  fi
  said=$(tail -n 5 "$DESKTOP_DIR/$name.log" 2>/dev/null)
  if [ -n "$said" ]; then
    echo "desktop: $name did not come up${DISPLAY:+ on $DISPLAY} ($how); it said:" >&2
    sed 's/^/  /' <<<"$said" >&2
  else
    echo "desktop: $name did not come up${DISPLAY:+ on $DISPLAY} ($how); it said nothing" >&2
  fi
  desktop_down
  return 1
}

# _desktop_start <name> <command...>: in the background, in a process group of its own (so that ending the group
# ends whatever the piece started too), its output in <name>.log. Extra redirections come from the caller's
# file descriptors 3 and up, which the piece inherits.
_desktop_start() {
  local name=$1 monitor=${-//[^m]/}
  shift
  set -m  # job control gives each background job its own process group
  "$@" >"$DESKTOP_DIR/$name.log" 2>&1 &
  DESKTOP_PIDS+=($!)
  DESKTOP_NAMES+=("$name")
  [ -n "$monitor" ] || set +m
}

_desktop_has_display() { [ -s "$DESKTOP_DIR/display" ]; }
_desktop_has_bus() { [ -s "$DESKTOP_DIR/bus" ]; }
# Openbox manages windows once it has loaded its theme and fonts (seconds on a fresh or busy machine) and then
# names the theme on the root; its check window comes earlier, before it manages anything.
_desktop_has_wm() { xprop -root _OB_THEME | grep -q ' = '; }
_desktop_has_tray() { xwininfo -root -tree | grep -q '"panel"'; }
_desktop_has_a11y() { [ -n "$(dbus-send --session --dest=org.a11y.Bus --print-reply /org/a11y/bus org.a11y.Bus.GetAddress 2>/dev/null)" ]; }

desktop_up() {
  local wm= tray= a11y= noreset= size=1920x1200 arg
  for arg; do
    case $arg in
      wm) wm=1 ;; tray) tray=1 wm=1 ;; a11y) a11y=1 ;; noreset) noreset=-noreset ;; size=*) size=${arg#size=} ;;
      *) echo "desktop: unknown option $arg" >&2; return 2 ;;
    esac
  done
  if ((${#DESKTOP_PIDS[@]})); then
    echo "desktop: already up on ${DISPLAY:-?}; desktop_down first" >&2
    return 2
  fi
  DESKTOP_DIR=$(mktemp -d "${TMPDIR:-/tmp}/vigilamp-desktop.XXXXXX") || return 1
  unset DISPLAY DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS SESSION_MANAGER

  # shellcheck disable=SC2086  # noreset is one word or none
  _desktop_start Xvfb "${DESKTOP_XVFB:-Xvfb}" -displayfd 3 -screen 0 "${size}x24" -nolisten tcp $noreset \
    3>"$DESKTOP_DIR/display"
  _desktop_wait 15 _desktop_has_display || { _desktop_failed; return 1; }
  DESKTOP_DISPLAY=$(head -n 1 "$DESKTOP_DIR/display")
  export DISPLAY=:$DESKTOP_DISPLAY

  _desktop_start dbus dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$DESKTOP_DIR/bus"
  _desktop_wait 10 _desktop_has_bus || { _desktop_failed; return 1; }
  export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$DESKTOP_DIR/bus")

  if [ -n "$a11y" ]; then
    _desktop_start at-spi /usr/libexec/at-spi-bus-launcher --launch-immediately
    _desktop_wait 10 _desktop_has_a11y || { _desktop_failed; return 1; }
  fi
  if [ -n "$wm" ]; then
    # shellcheck disable=SC2086  # a replacement command may carry its arguments
    _desktop_start openbox ${DESKTOP_WM:-openbox --sm-disable}
    _desktop_wait 30 _desktop_has_wm || { _desktop_failed; return 1; }
  fi
  if [ -n "$tray" ]; then  # after the window manager: trayer asks it for a dock window
    _desktop_start trayer trayer --edge top --align right --widthtype request --height 24
    _desktop_wait 10 _desktop_has_tray || { _desktop_failed; return 1; }
  fi
  return 0
}

# _desktop_running <pgid...>: the processes of those groups that have not ended (zombies have), one a line.
_desktop_running() {
  local groups=" $* "
  ps -e -o pid=,pgid=,stat=,args= | awk -v g="$groups" 'index(g, " " $2 " ") && $3 !~ /^Z/'
}

# _desktop_ended <tenths of a second> <pgid...>: waits until nothing of those groups runs.
_desktop_ended() {
  local tries=$1
  shift
  while [ -n "$(_desktop_running "$@")" ]; do
    ((--tries > 0)) || return 1
    sleep 0.1
  done
}

desktop_down() {
  local pid i groups=("${DESKTOP_PIDS[@]}") left status=0 display=$DESKTOP_DISPLAY killed=
  # The last started first: the tray and the window manager before the buses and the server they speak to.
  for ((i = ${#groups[@]} - 1; i >= 0; i--)); do
    pid=${groups[i]}
    kill -TERM -- "-$pid" 2>/dev/null
    _desktop_ended 50 "$pid" || { kill -KILL -- "-$pid" 2>/dev/null; ((i)) || killed=1; }
    wait "$pid" 2>/dev/null
  done
  if ((${#groups[@]})) && ! _desktop_ended 50 "${groups[@]}"; then
    left=$(_desktop_running "${groups[@]}")
    echo "desktop: still running after desktop_down:" >&2
    sed 's/^/  /' <<<"$left" >&2
    status=1
  fi
  # A server that had to be killed leaves its socket behind (with -displayfd it takes no lock file).
  [ -n "$killed" ] && [ -n "$display" ] && rm -f "/tmp/.X11-unix/X$display"
  # What pointed at this desktop points nowhere now.
  [ -n "$display" ] && [ "${DISPLAY:-}" = ":$display" ] && unset DISPLAY
  [ -n "$DESKTOP_DIR" ] && [ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] &&
    [ "$DBUS_SESSION_BUS_ADDRESS" = "$(head -n 1 "$DESKTOP_DIR/bus" 2>/dev/null)" ] && unset DBUS_SESSION_BUS_ADDRESS
  DESKTOP_PIDS=()
  DESKTOP_NAMES=()
  DESKTOP_DISPLAY=
  [ -n "$DESKTOP_DIR" ] && rm -rf "$DESKTOP_DIR"
  DESKTOP_DIR=
  return $status
}
