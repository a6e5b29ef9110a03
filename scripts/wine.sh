# Headless Wine for the tests, sourced by the scripts:
#   wine_start win32|win64 || exit   the test desktop (scripts/desktop.sh, a bare display: Wine is told not to
#                                    wait for a window manager), unless WINE_USE_DISPLAY is set and a display
#                                    answers, then a private Wine prefix copied from a cached template; fails,
#                                    saying why, when the desktop does not come up or the template cannot be made
#   wine_stop                        ends the Wine server and the desktop (safe to call twice, and from an EXIT
#                                    trap); fails when something of the desktop is still running
WINE_CACHE=${WINE_CACHE:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/wine}
. "$(dirname "${BASH_SOURCE[0]}")/desktop.sh"

# Wine's launcher prefers its 32-bit loader whenever it is installed; a kernel without 32-bit support cannot run
# it, so then the 64-bit loader is used directly and only 64-bit programs can be tested.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  WINE=wine; WINE_CAN_RUN_32BIT=1
else
  WINE=/usr/lib/wine/wine64; WINE_CAN_RUN_32BIT=; export WINELOADER=$WINE
fi

wine_start() {
  local arch=${1:-win64}
  WT_DIR=$(mktemp -d "${TMPDIR:-/tmp}/vigilamp-wine.XXXXXX")
  export WINEARCH=$arch WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
  # No sound card on a build machine: a null ALSA device lets the players "play" silently.
  mkdir -p "$WT_DIR/xdg/alsa"
  printf 'pcm.!default {\n  type null\n}\n' > "$WT_DIR/xdg/alsa/asoundrc"
  export XDG_CONFIG_HOME=$WT_DIR/xdg
  WT_OWN_DESKTOP=
  if [ -n "${WINE_USE_DISPLAY:-}" ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    :
  else
    desktop_up || { echo "wine: no display for Wine" >&2; wine_stop; return 1; }
    WT_OWN_DESKTOP=1
  fi
  local template=$WINE_CACHE/template-2-$arch
  if [ ! -f "$template/.complete" ]; then
    # A template is made whole or not at all: one cut short (a stopped run) is made again.
    rm -rf "$template"; mkdir -p "$WINE_CACHE"
    WINEPREFIX=$template timeout 300 $WINE wineboot -i >"$WT_DIR/wineboot.log" 2>&1
    # Without a window manager every hide of a visible window would otherwise block for 2 s.
    WINEPREFIX=$template $WINE reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    # A crashing program prints its backtrace and ends instead of waiting on a dialog nobody can answer.
    WINEPREFIX=$template $WINE reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
      >/dev/null 2>&1
    # Wine on Debian does not find its own fonts: without them caption buttons render as letters.
    cp /usr/share/wine/fonts/*.ttf "$template/drive_c/windows/Fonts/" 2>>"$WT_DIR/wineboot.log"
    # The server writes the registry to its files when it ends: only then is the template whole.
    WINEPREFIX=$template timeout 120 wineserver -w
    if [ ! -f "$template/system.reg" ] || [ ! -f "$template/drive_c/windows/Fonts/tahoma.ttf" ]; then
      echo "wine: the prefix template could not be made (wineboot); it said:" >&2
      tail -n 5 "$WT_DIR/wineboot.log" | sed 's/^/  /' >&2
      WINEPREFIX=$template wineserver -k 2>/dev/null
      rm -rf "$template"; wine_stop; return 1
    fi
    touch "$template/.complete"
  fi
  export WINEPREFIX=$WT_DIR/prefix
  cp -a "$template" "$WINEPREFIX"
  rm -f "$WINEPREFIX/wineserver" "$WINEPREFIX/.complete"
  $WINE cmd /c exit >/dev/null 2>&1 || true  # warm the server before timed work
}

wine_stop() {
  local status=0
  # Only the server of our own prefix: a WINEPREFIX from outside is someone else's.
  [ -n "${WT_DIR:-}" ] && [ "${WINEPREFIX:-}" = "$WT_DIR/prefix" ] && { wineserver -k 2>/dev/null; wineserver -w 2>/dev/null; }
  if [ -n "${WT_OWN_DESKTOP:-}" ]; then
    desktop_down || status=1
    WT_OWN_DESKTOP=
  fi
  [ -n "${WT_DIR:-}" ] && rm -rf "$WT_DIR"
  return $status
}
