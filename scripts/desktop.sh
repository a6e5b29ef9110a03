# The one test desktop: every script and suite that needs a display starts it here, and ends it here.
# Source it, then
#   desktop_up [wm] [tray] [a11y] [size=WxH] || exit
#     a private Xvfb whose display the server picks itself and names (-displayfd), so no other server is ever
#     reached by mistake, and a D-Bus session bus of its own; then, as asked: openbox (wm), trayer (tray, which
#     needs wm), the accessibility bus (a11y). The server never resets when its last client leaves, as a real
#     one never does: a reset would drop the keyboard's explicit lamps, and a client connecting while it runs
#     (the window manager after the accessibility bus's launcher has come and gone) is refused. Exports DISPLAY and DBUS_SESSION_BUS_ADDRESS, and DESKTOP_DIR, a folder of the
#     desktop's own that goes with it.
#   desktop_up compositor=sway|kwin|weston|gnome [xwayland] [gnome-extension=DIR] || exit
#     a headless Wayland compositor instead of Xvfb, with a D-Bus session bus of its own and a runtime folder
#     of its own (0700); xwayland gives it an X server too (sway, kwin, gnome). Exports WAYLAND_DISPLAY,
#     XDG_RUNTIME_DIR (DISPLAY with xwayland), DBUS_SESSION_BUS_ADDRESS, DESKTOP_DIR, and XDG_DATA_HOME,
#     XDG_CONFIG_HOME and XDG_CACHE_HOME in the desktop's folder (desktop entries, settings). sway refuses root,
#     so it runs as nobody; KWin's packaged binary carries a file capability that a container refuses, so a
#     plain copy of it runs; GNOME Shell needs logind, so a stand-in (python3-dbusmock's) answers on a system
#     bus of its own, and gnome-extension=DIR is installed for the user (not enabled) before the shell starts.
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
# (Whole outputs matched, never a pipe into grep -q: a caller with pipefail would see the writer's SIGPIPE.)
_desktop_has_wm() { [[ $(xprop -root _OB_THEME) == *' = '* ]]; }
_desktop_has_tray() { [[ $(xwininfo -root -tree) == *'"panel"'* ]]; }
_desktop_has_a11y() { [ -n "$(dbus-send --session --dest=org.a11y.Bus --print-reply /org/a11y/bus org.a11y.Bus.GetAddress 2>/dev/null)" ]; }

desktop_up() {
  local wm= tray= a11y= size=1920x1200 compositor= xwayland= extension= arg
  for arg; do
    case $arg in
      wm) wm=1 ;; tray) tray=1 wm=1 ;; a11y) a11y=1 ;; size=*) size=${arg#size=} ;;
      compositor=sway|compositor=kwin|compositor=weston|compositor=gnome) compositor=${arg#compositor=} ;;
      xwayland) xwayland=1 ;; gnome-extension=*) extension=${arg#gnome-extension=} ;;
      *) echo "desktop: unknown option $arg" >&2; return 2 ;;
    esac
  done
  if [ -n "$compositor" ] && [ -n "$wm$tray$a11y" ]; then
    echo "desktop: a compositor brings its own windows; wm, tray and a11y are for Xvfb" >&2
    return 2
  fi
  if [ -n "$xwayland" ] && { [ -z "$compositor" ] || [ "$compositor" = weston ]; }; then
    echo "desktop: xwayland goes with compositor=sway, kwin or gnome" >&2
    return 2
  fi
  if [ -n "$extension" ] && [ "$compositor" != gnome ]; then
    echo "desktop: gnome-extension goes with compositor=gnome" >&2
    return 2
  fi
  if ((${#DESKTOP_PIDS[@]})); then
    echo "desktop: already up on ${DISPLAY:-${WAYLAND_DISPLAY:-?}}; desktop_down first" >&2
    return 2
  fi
  DESKTOP_DIR=$(mktemp -d "${TMPDIR:-/tmp}/vigilamp-desktop.XXXXXX") || return 1
  unset DISPLAY DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS SESSION_MANAGER WAYLAND_DISPLAY WAYLAND_SOCKET XAUTHORITY
  [ -n "$compositor" ] && { _desktop_compositor "$compositor" "$xwayland" "$extension"; return; }

  _desktop_start Xvfb "${DESKTOP_XVFB:-Xvfb}" -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset \
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

_desktop_has_socket() { [ -S "$XDG_RUNTIME_DIR/$1" ]; }
_desktop_has_file() { [ -s "$1" ]; }
_desktop_xwayland_of() {  # the command line of the Xwayland the process started, once it runs
  local child
  for child in $(pgrep -P "$1" -x Xwayland); do
    tr '\0' ' ' <"/proc/$child/cmdline" && return 0
  done
  return 1
}
_desktop_has_xwayland() { _desktop_xwayland_of "$1" >/dev/null; }
_desktop_gnome_ready() {
  dbus-send --session --print-reply --dest=org.gnome.Shell /org/gnome/Shell \
    org.gnome.Shell.Extensions.ListExtensions >/dev/null
}
_desktop_has_name() {  # _desktop_has_name <bus address> <name>
  [[ $(dbus-send --bus="$1" --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner "string:$2") == *'boolean true'* ]]
}

# _desktop_compositor <sway|kwin|weston|gnome> <xwayland> <extension folder>: the session bus, then the compositor
# on a socket of its own.
_desktop_compositor() {
  local name=$1 xwayland=$2 extension=$3 socket=wayland-vigilamp
  export XDG_RUNTIME_DIR=$DESKTOP_DIR/runtime
  export XDG_DATA_HOME=$DESKTOP_DIR/data XDG_CACHE_HOME=$DESKTOP_DIR/cache XDG_CONFIG_HOME=$DESKTOP_DIR/config
  mkdir -m 0700 "$XDG_RUNTIME_DIR"
  mkdir -p "$XDG_DATA_HOME/applications" "$XDG_CACHE_HOME" "$XDG_CONFIG_HOME" "$DESKTOP_DIR/home"
  _desktop_start dbus dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$DESKTOP_DIR/bus"
  _desktop_wait 10 _desktop_has_bus || { _desktop_failed; return 1; }
  export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$DESKTOP_DIR/bus")

  case $name in
    sway)
      # sway names its sockets itself: its first command writes them down once it runs.
      chown nobody:nogroup "$XDG_RUNTIME_DIR"
      chmod 0711 "$DESKTOP_DIR"
      {
        if [ -n "$xwayland" ]; then echo "xwayland force"; else echo "xwayland disable"; fi
        # Its X server lets in only its own user: root, who runs the tests, is let in before the sockets are named.
        local grant=
        [ -n "$xwayland" ] && grant='xhost +si:localuser:root >/dev/null && '
        echo "exec sh -c '$grant''echo \"\$WAYLAND_DISPLAY \$DISPLAY\" >\"\$XDG_RUNTIME_DIR/sockets.tmp\" && mv \"\$XDG_RUNTIME_DIR/sockets.tmp\" \"\$XDG_RUNTIME_DIR/sockets\"'"
      } >"$DESKTOP_DIR/sway.conf"
      chmod 0644 "$DESKTOP_DIR/sway.conf"
      _desktop_start sway env HOME="$XDG_RUNTIME_DIR" WLR_BACKENDS=headless WLR_RENDERER=pixman \
        WLR_LIBINPUT_NO_DEVICES=1 setpriv --reuid=nobody --regid=nogroup --clear-groups \
        sway -c "$DESKTOP_DIR/sway.conf"
      _desktop_wait 20 _desktop_has_file "$XDG_RUNTIME_DIR/sockets" ||
        { _desktop_failed; return 1; }
      read -r socket DISPLAY <"$XDG_RUNTIME_DIR/sockets"
      [ -n "$xwayland" ] && [ -z "${DISPLAY:-}" ] && { _desktop_failed; return 1; }
      ;;
    kwin)
      # The packaged binary's file capability makes a container refuse to start it; a plain copy starts.
      mkdir -p "$DESKTOP_DIR/bin"
      cp /usr/bin/kwin_wayland "$DESKTOP_DIR/bin/kwin_wayland"
      kbuildsycoca5 --noincremental >"$DESKTOP_DIR/kbuildsycoca5.log" 2>&1
      # KWin starts the program it is given once it runs, with its sockets in the environment.
      cat >"$DESKTOP_DIR/bin/sockets" <<'SCRIPT'
#!/bin/sh
echo "$WAYLAND_DISPLAY $DISPLAY" >"$XDG_RUNTIME_DIR/sockets.tmp" && mv "$XDG_RUNTIME_DIR/sockets.tmp" "$XDG_RUNTIME_DIR/sockets"
SCRIPT
      chmod +x "$DESKTOP_DIR/bin/sockets"
      _desktop_start kwin env QT_QPA_PLATFORM=offscreen \
        "$DESKTOP_DIR/bin/kwin_wayland" --virtual --no-lockscreen --socket "$socket" ${xwayland:+--xwayland} \
        "$DESKTOP_DIR/bin/sockets"
      _desktop_wait 30 _desktop_has_file "$XDG_RUNTIME_DIR/sockets" ||
        { _desktop_failed; return 1; }
      read -r socket DISPLAY <"$XDG_RUNTIME_DIR/sockets"
      [ -n "$xwayland" ] && [ -z "${DISPLAY:-}" ] && { _desktop_failed; return 1; }
      ;;
    gnome)
      # logind's stand-in on a bus of its own, which the shell alone takes for the system bus.
      _desktop_start system-dbus dbus-daemon --session --nofork --nopidfile \
        --address="unix:path=$DESKTOP_DIR/system_bus" --print-address=3 3>"$DESKTOP_DIR/system_bus.address"
      _desktop_wait 10 _desktop_has_file "$DESKTOP_DIR/system_bus.address" || { _desktop_failed; return 1; }
      local system_bus
      system_bus=$(head -n 1 "$DESKTOP_DIR/system_bus.address")
      _desktop_start logind env DBUS_SYSTEM_BUS_ADDRESS="$system_bus" /usr/bin/python3 -m dbusmock --system \
        --template logind
      _desktop_wait 20 _desktop_has_name "$system_bus" org.freedesktop.login1 ||
        { _desktop_failed; return 1; }
      if [ -n "$extension" ]; then
        mkdir -p "$XDG_DATA_HOME/gnome-shell/extensions"
        cp -r "$extension" "$XDG_DATA_HOME/gnome-shell/extensions/"
      fi
      _desktop_start gnome-shell env HOME="$DESKTOP_DIR/home" DBUS_SYSTEM_BUS_ADDRESS="$system_bus" \
        gnome-shell --headless --wayland ${xwayland:---no-x11} --virtual-monitor 1024x768 --wayland-display="$socket"
      # The shell takes its name before it has made its objects: it is ready once its extensions answer.
      _desktop_wait 60 _desktop_gnome_ready || { _desktop_failed; return 1; }
      if [ -n "$xwayland" ]; then
        # The shell's own Xwayland names its display and its cookie on its command line.
        _desktop_wait 20 _desktop_has_xwayland "${DESKTOP_PIDS[-1]}" ||
          { _desktop_failed; return 1; }
        local word next=
        for word in $(_desktop_xwayland_of "${DESKTOP_PIDS[-1]}"); do
          case $next in display) DISPLAY=$word ;; auth) export XAUTHORITY=$word ;; esac
          next=
          case $word in :*) [ -z "${DISPLAY:-}" ] && DISPLAY=$word ;; -auth) next=auth ;; esac
        done
        [ -n "${DISPLAY:-}" ] || { _desktop_failed; return 1; }
      fi
      ;;
    weston)
      _desktop_start weston weston --backend=headless-backend.so --socket="$socket" --idle-time=0 --no-config
      _desktop_wait 20 _desktop_has_socket "$socket" || { _desktop_failed; return 1; }
      ;;
  esac
  export WAYLAND_DISPLAY=$socket
  [ -n "${DISPLAY:-}" ] && export DISPLAY || unset DISPLAY
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
  # What pointed into the desktop's folder goes with it.
  local name
  for name in XDG_RUNTIME_DIR XDG_DATA_HOME XDG_CACHE_HOME XDG_CONFIG_HOME XAUTHORITY WAYLAND_DISPLAY; do
    [ -n "$DESKTOP_DIR" ] && [[ ${!name:-} == "$DESKTOP_DIR"/* ]] && unset "$name"
  done
  [ -n "$DESKTOP_DIR" ] && rm -rf "$DESKTOP_DIR"
  DESKTOP_DIR=
  return $status
}
