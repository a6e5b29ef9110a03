# Headless Wine for the tests, sourced by the scripts: wine_start win32|win64 starts a private Xvfb (unless
# WINE_USE_DISPLAY is set and a display exists) and a private Wine prefix copied from a cached template;
# wine_stop ends the Wine server and Xvfb. Call wine_stop from an EXIT trap.
WINE_CACHE=${WINE_CACHE:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/wine}

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
  if [ -n "${WINE_USE_DISPLAY:-}" ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    WT_XVFB_PID=
  else
    exec 3> "$WT_DIR/display"
    Xvfb -displayfd 3 -screen 0 1920x1200x24 -nolisten tcp >"$WT_DIR/xvfb.log" 2>&1 &
    WT_XVFB_PID=$!
    exec 3>&-
    for _ in $(seq 100); do [ -s "$WT_DIR/display" ] && break; sleep 0.05; done
    export DISPLAY=:$(head -1 "$WT_DIR/display")
  fi
  local template=$WINE_CACHE/template-2-$arch
  if [ ! -f "$template/system.reg" ]; then
    rm -rf "$template"; mkdir -p "$WINE_CACHE"
    WINEPREFIX=$template $WINE wineboot -i >"$WT_DIR/wineboot.log" 2>&1
    # Without a window manager every hide of a visible window would otherwise block for 2 s.
    WINEPREFIX=$template $WINE reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    # A crashing program prints its backtrace and ends instead of waiting on a dialog nobody can answer.
    WINEPREFIX=$template $WINE reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
      >/dev/null 2>&1
    # Wine on Debian does not find its own fonts: without them caption buttons render as letters.
    cp /usr/share/wine/fonts/*.ttf "$template/drive_c/windows/Fonts/"
    WINEPREFIX=$template wineserver -w
  fi
  export WINEPREFIX=$WT_DIR/prefix
  cp -a "$template" "$WINEPREFIX"
  rm -f "$WINEPREFIX/wineserver"
  $WINE cmd /c exit >/dev/null 2>&1 || true  # warm the server before timed work
}

wine_stop() {
  [ -n "${WINEPREFIX:-}" ] && { wineserver -k 2>/dev/null; wineserver -w 2>/dev/null; }
  [ -n "${WT_XVFB_PID:-}" ] && kill "$WT_XVFB_PID" 2>/dev/null && wait "$WT_XVFB_PID" 2>/dev/null
  WT_XVFB_PID=
  [ -n "${WT_DIR:-}" ] && rm -rf "$WT_DIR"
  return 0
}
