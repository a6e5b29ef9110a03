#!/usr/bin/env bash
# Checks the Debian package scripts/dist.sh linux made: its fields and dependencies, then installed for real
# (as root, with apt-get, so that its dependencies come too): the files where the program looks for them, the
# menu entry and icons, the sound playable with what the package depends on, the program started under Xvfb
# (it keeps running, registers itself to start with the session, and ends normally on SIGTERM), and the removal
# leaving nothing of the package behind.
# Usage: tests/dist/check_deb.sh   (as root, after scripts/dist.sh linux; ends with "<n> passed, <m> failed")
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/desktop.sh"
work=$(mktemp -d)
program=
cleanup() {
  [ -n "$program" ] && kill "$program" 2>/dev/null
  desktop_down
  rm -rf "$work"
}
trap cleanup EXIT

version=$(sed -n 's/^project(vigilamp VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
dist=$root/build/dist
lib=/usr/lib/vigilamp
passed=0; failed=0
check() {  # check <what> <command...>: one line per check, the command's own output on failure
  local what=$1; shift
  local out
  if out=$("$@" 2>&1); then passed=$((passed + 1)); echo "ok   $what"
  else failed=$((failed + 1)); echo "FAIL $what"; [ -n "$out" ] && printf '%s\n' "$out" | sed 's/^/     /'; fi
}
finish() {
  echo "$passed passed, $failed failed"
  ((failed == 0))
  exit
}
same() { cmp "$1" "$2"; }
field_is() {  # <field> <value>
  local got; got=$(dpkg-deb -f "$deb" "$1")
  [ "$got" = "$2" ] || { echo "$1 is \"$got\", not \"$2\""; return 1; }
}
depends_on() {  # <package>: named in Depends
  dpkg-deb -f "$deb" Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//' | grep -qx "$1" ||
    { echo "Depends: $(dpkg-deb -f "$deb" Depends)"; return 1; }
}
no_file() { [ ! -e "$1" ] && [ ! -L "$1" ] || { echo "$1 is still there"; return 1; }; }
png_of() {  # <file> <size>
  local got; got=$(identify -format '%m %wx%h' "$1" 2>&1)
  [ "$got" = "PNG $2x$2" ] || { echo "$1: $got"; return 1; }
}

debs=("$dist"/vigilamp_"$version"_*.deb)
deb=${debs[0]}
check "the package vigilamp_${version}_<arch>.deb exists" test -f "$deb"
[ -f "$deb" ] || finish
if [ "$(id -u)" != 0 ]; then
  echo "FAIL installing needs root: run as root (in a container or a throw-away machine)"
  failed=$((failed + 1))
  finish
fi
export DEBIAN_FRONTEND=noninteractive
for tool in desktop-file-validate:desktop-file-utils identify:imagemagick Xvfb:xvfb dbus-daemon:dbus xprop:x11-utils \
            gst-launch-1.0:gstreamer1.0-tools; do
  command -v "${tool%%:*}" >/dev/null || apt-get install -y "${tool#*:}" >/dev/null 2>&1
done

# --- the package's fields
check "Package is vigilamp" field_is Package vigilamp
check "Version is $version" field_is Version "$version"
check "Section is utils" field_is Section utils
check "Architecture is this machine's" field_is Architecture "$(dpkg --print-architecture)"
check "a maintainer is named" test -n "$(dpkg-deb -f "$deb" Maintainer)"
check "the description has a summary and a body" test "$(dpkg-deb -f "$deb" Description | wc -l)" -ge 2
# dpkg-shlibdeps found the libraries the program links; the plug-ins and the opener are named by hand.
for p in libqt6widgets6 libgstreamer1.0-0 libc6 gstreamer1.0-plugins-good xdg-utils; do
  check "depends on $p" depends_on "$p"
done

# --- installed
apt-get remove -y vigilamp >/dev/null 2>&1
apt-get install -y "$deb" >"$work/install.log" 2>&1
status=$?
succeeded() { [ "$1" = 0 ] || { echo "exit code $1"; tail -20 "$2"; return 1; }; }  # <status> <log>
check "apt-get installs it with its dependencies" succeeded $status "$work/install.log"
check "dpkg knows it as installed" sh -c "dpkg-query -W -f='\${Status}' vigilamp | grep -qx 'install ok installed'"
check "the program is in $lib, executable" test -x "$lib/vigilamp" -a -f "$lib/vigilamp"
check "/usr/bin/vigilamp is a link to ../lib/vigilamp/vigilamp" test "$(readlink /usr/bin/vigilamp)" = ../lib/vigilamp/vigilamp
check "the alert sound is beside the program" same "$lib/vigilampairraid.mp3" "$root/assets/vigilampairraid.mp3"
check "the manual is beside the program" same "$lib/manual.html" "$root/docs/manual.html"
pictures() {  # every picture the manual shows is there, byte for byte
  local src bad=0
  for src in $(grep -o 'src="[^"]*"' "$lib/manual.html" | sed 's/^src="//; s/"$//'); do
    cmp -s "$lib/$src" "$root/docs/$src" || { echo "$src"; bad=1; }
  done
  return $bad
}
check "every picture of the manual is in $lib/images" pictures
desktop=/usr/share/applications/vigilamp.desktop
check "the menu entry is valid" desktop-file-validate "$desktop"
check "the menu entry starts vigilamp from the PATH" sh -c "grep -qx 'Exec=vigilamp' $desktop && command -v vigilamp"
check "the menu entry is named and has the icon" sh -c "grep -qxF 'Name=Vigilamp Rizu!' $desktop && grep -qx 'Icon=vigilamp' $desktop"
for size in 48 256; do
  check "the ${size}x${size} icon" png_of "/usr/share/icons/hicolor/${size}x${size}/apps/vigilamp.png" "$size"
done
check "the installed sound plays with the installed plug-ins" \
  timeout 30 gst-launch-1.0 -q playbin "uri=file://$lib/vigilampairraid.mp3" audio-sink=fakesink video-sink=fakesink

# --- the program, on the test desktop (a bare display and a session bus of its own), in a home of its own
autostart=$work/home/.config/autostart/vigilamp.desktop
started_by_entry() {  # the entry it wrote is valid and starts this very program
  desktop-file-validate "$autostart" || return 1
  local exec; exec=$(sed -n 's/^Exec=//p' "$autostart")
  exec=${exec#\"}; exec=${exec%\"}
  [ "$(realpath "$exec")" = "$lib/vigilamp" ] || { echo "Exec=$exec"; return 1; }
}
registered() {  # the entry is read until the program has written it, for at most 10 s
  local tries=40 out
  until out=$(started_by_entry 2>&1); do
    ((--tries > 0)) || { echo "${out:-no entry at $autostart}"; return 1; }
    kill -0 "$program" 2>/dev/null || { echo "the program ended first: $(tail -n 3 "$work/program.log")"; return 1; }
    sleep 0.25
  done
}
ended() { for _ in $(seq 50); do kill -0 "$program" 2>/dev/null || return 0; sleep 0.1; done; return 1; }
run_program() {
  mkdir -p "$work/home"
  HOME=$work/home XDG_CONFIG_HOME= /usr/bin/vigilamp >"$work/program.log" 2>&1 &
  program=$!
  check "it registered itself to start with the session" registered
  sleep 2
  check "the program keeps running (2 s after it registered)" kill -0 "$program"
  kill -TERM "$program" 2>/dev/null
  check "it ends on SIGTERM within 5 s" ended
  wait "$program" 2>/dev/null
  local status=$?
  program=
  # SIGTERM ends it the way closing its window does: an ordinary exit, not death by the signal.
  check "it ends the ordinary way (exit code 0)" succeeded $status "$work/program.log"
}
if desktop_up size=1024x768 2>"$work/desktop.log"; then
  run_program
  desktop_down 2>"$work/desktop.log"
  check "its desktop ends with nothing left running" succeeded $? "$work/desktop.log"
else
  failed=$((failed + 1)); echo "FAIL the program's desktop did not come up:"; sed 's/^/     /' "$work/desktop.log"
fi

# --- removed
apt-get remove -y vigilamp >"$work/remove.log" 2>&1
check "apt-get removes it" succeeded $? "$work/remove.log"
for f in "$lib" /usr/bin/vigilamp "$desktop" /usr/share/icons/hicolor/48x48/apps/vigilamp.png \
         /usr/share/icons/hicolor/256x256/apps/vigilamp.png; do
  check "removed: $f" no_file "$f"
done
finish
