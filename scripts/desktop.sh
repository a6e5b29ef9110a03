# The one test desktop: every script and suite that needs a display starts it here, and ends it here.
# Source it, then
#   desktop_up [wm] [tray] [a11y] [noreset] [size=WxH] || exit
#     a private Xvfb whose display the server picks itself and names (-displayfd), so no other server is ever
#     reached by mistake, and a D-Bus session bus of its own; then, as asked: openbox (wm), trayer (tray, which
#     needs wm), the accessibility bus (a11y); noreset keeps the server's state when its last client leaves (the
#     keyboard's explicit lamps). Exports DISPLAY and DBUS_SESSION_BUS_ADDRESS, and DESKTOP_DIR, a folder of the
#     desktop's own that goes with it.
#   desktop_down   (safe to call twice, and from an EXIT trap)
# Every wait is one bounded loop. A piece that does not come up is named with what it said, everything started
# so far is ended, and desktop_up returns 1.
DESKTOP_PIDS=()
DESKTOP_DIR=

# _desktop_wait <seconds> <pid> <test...>: polls the test every 50 ms until it holds; fails at once when the
# process it waits for has ended, or at the deadline.
_desktop_wait() {
  local tries=$(($1 * 20)) pid=$2
  shift 2
  while ! "$@" 2>/dev/null; do
    kill -0 "$pid" 2>/dev/null || return 1
    ((--tries > 0)) || return 1
    sleep 0.05
  done
}

# _desktop_failed <name>: says why, ends what was started, and fails.
_desktop_failed() {
  local how="it ended"
  kill -0 "${DESKTOP_PIDS[-1]}" 2>/dev/null && how="it was not ready in time"
  echo "desktop: $1 did not come up${DISPLAY:+ on $DISPLAY} ($how); it said:" >&2
  tail -n 5 "$DESKTOP_DIR/$1.log" 2>/dev/null | sed 's/^/  /' >&2
  desktop_down
  return 1
}

_desktop_start() {  # _desktop_start <name> <command...>: in the background, its output in <name>.log
  local name=$1
  shift
  "$@" >"$DESKTOP_DIR/$name.log" 2>&1 &
  DESKTOP_PIDS+=($!)
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
  DESKTOP_DIR=$(mktemp -d "${TMPDIR:-/tmp}/vigilamp-desktop.XXXXXX")
  unset DISPLAY DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS SESSION_MANAGER

  local xvfb=${DESKTOP_XVFB:-Xvfb}  # another server only to prove the failure path
  "$xvfb" -displayfd 3 -screen 0 "${size}x24" -nolisten tcp $noreset 3>"$DESKTOP_DIR/display" \
    >"$DESKTOP_DIR/Xvfb.log" 2>&1 &
  DESKTOP_PIDS+=($!)
  _desktop_wait 15 $! _desktop_has_display || { _desktop_failed Xvfb; return 1; }
  export DISPLAY=:$(head -n 1 "$DESKTOP_DIR/display")

  dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$DESKTOP_DIR/bus" \
    >"$DESKTOP_DIR/dbus.log" 2>&1 &
  DESKTOP_PIDS+=($!)
  _desktop_wait 10 $! _desktop_has_bus || { _desktop_failed dbus; return 1; }
  export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$DESKTOP_DIR/bus")

  if [ -n "$a11y" ]; then
    _desktop_start at-spi /usr/libexec/at-spi-bus-launcher --launch-immediately
    _desktop_wait 10 "${DESKTOP_PIDS[-1]}" _desktop_has_a11y || { _desktop_failed at-spi; return 1; }
  fi
  if [ -n "$wm" ]; then
    _desktop_start openbox openbox --sm-disable
    _desktop_wait 30 "${DESKTOP_PIDS[-1]}" _desktop_has_wm || { _desktop_failed openbox; return 1; }
  fi
  if [ -n "$tray" ]; then  # after the window manager: trayer asks it for a dock window
    _desktop_start trayer trayer --edge top --align right --widthtype request --height 24
    _desktop_wait 10 "${DESKTOP_PIDS[-1]}" _desktop_has_tray || { _desktop_failed trayer; return 1; }
  fi
  return 0
}

desktop_down() {
  local pid i
  # The last started first: the tray and the window manager before the buses and the server they speak to.
  for ((i = ${#DESKTOP_PIDS[@]} - 1; i >= 0; i--)); do
    pid=${DESKTOP_PIDS[i]}
    pkill -TERM -P "$pid" 2>/dev/null  # what it started itself (the accessibility bus's own daemon)
    kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  DESKTOP_PIDS=()
  [ -n "$DESKTOP_DIR" ] && rm -rf "$DESKTOP_DIR"
  DESKTOP_DIR=
  return 0
}
