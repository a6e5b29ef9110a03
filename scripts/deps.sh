#!/usr/bin/env bash
# Installs what the build and the tests need from Debian's packages, then builds libjpeg-turbo for both
# mingw targets from Debian's source package. Idempotent: quick when everything is already there.
#
# The 32-bit Wine is an extra: nothing here needs to run 32-bit code (these machines cannot), it only lets the
# i686 suites run where the kernel allows it. It is tried after everything else, and where it cannot be had
# (no i386 archive, an index caught mid-sync, a mirror without it) the script says so in one line and goes on.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

pkgs=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix libz-mingw-w64-dev zlib1g-dev cmake ninja-build nasm dpkg-dev
      debian-archive-keyring libgtest-dev g++ make wine wine64 xvfb xdotool imagemagick x11-utils
      x11-xserver-utils gstreamer1.0-plugins-base gstreamer1.0-plugins-good lame sox clang libclang-rt-14-dev
      nsis zip unzip p7zip-full file
      qt6-base-dev qt6-qpa-plugins libx11-dev libx11-xcb-dev desktop-file-utils libgstreamer1.0-dev gstreamer1.0-tools openbox trayer dbus-x11
      at-spi2-core python3-pyatspi python3-xlib libsystemd-dev python3-dbusmock)
# The Wayland desktops the window sources are tested against, without what a desktop session would bring along.
lean=(sway weston kwin-wayland libkf5service-bin xwayland libwayland-dev libwayland-bin wayland-protocols
      plasma-wayland-protocols gnome-shell)
extra=wine32:i386
deps=${DEPS_DIR:-$here/build/deps}
extra_refused=$deps/wine32-unavailable  # written when the extra could not be had; delete it to try again

sudo=; [ "$(id -u)" = 0 ] || sudo=sudo
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
apt() { DEBIAN_FRONTEND=noninteractive $sudo apt-get -o Acquire::Retries=3 "$@"; }

# An index that fails (a mirror caught mid-sync) is ignored by apt, which keeps what it had or goes without:
# the packages from the other indexes still install, and the install below says plainly what is missing.
updated=
update() {
  [ -n "$updated" ] && return 0
  updated=1
  apt update -qq 2>&1 | grep -v '^W: ' || true
}

# install <apt options...> -- <packages...>: those not installed yet, with one more try on fresh indexes.
install() {
  local options=() missing=() p
  while [ "$1" != -- ]; do options+=("$1"); shift; done
  shift
  for p; do installed "$p" || missing+=("$p"); done
  ((${#missing[@]})) || return 0
  echo "deps: installing ${missing[*]}"
  update
  if ! apt install -y -qq "${options[@]}" "${missing[@]}" >/dev/null; then
    updated=; sleep 10; update
    apt install -y -qq "${options[@]}" "${missing[@]}" >/dev/null
  fi
}
install -- "${pkgs[@]}"
install --no-install-recommends -- "${lean[@]}"

if ! installed "$extra" && [ ! -e "$extra_refused" ]; then
  mkdir -p "$deps"
  added=
  dpkg --print-foreign-architectures | grep -qx i386 || { $sudo dpkg --add-architecture i386 && added=1; }
  [ -n "$added" ] && updated=
  update
  if apt install -y -qq "$extra" >/dev/null 2>"$deps/wine32.log"; then
    echo "deps: installed $extra"
  else
    echo "deps: $extra cannot be installed here (see build/deps/wine32.log); going on without it: the suites run the x86_64 programs"
    : > "$extra_refused"
    # An architecture added for nothing would only slow every later update down, or trip it.
    [ -n "$added" ] && $sudo dpkg --remove-architecture i386 2>/dev/null || true
  fi
fi

# libjpeg-turbo, static, per mingw target; the prefixes are cached under build/ so a rebuild fetches nothing.
for arch in i686 x86_64; do
  prefix=$deps/libjpeg-$arch
  [ -f "$prefix/lib/libjpeg.a" ] && continue
  if [ ! -d "$deps/src/libjpeg-turbo-src" ]; then
    "$here/scripts/get-libjpeg-src.sh" "$deps/src" >/dev/null
  fi
  echo "deps: building libjpeg-turbo for $arch"
  b=$deps/libjpeg-build-$arch
  cmake -S "$deps/src/libjpeg-turbo-src" -B "$b" -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-$arch.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_SHARED=OFF -DWITH_TURBOJPEG=OFF \
    -DWITH_SIMD=ON -DREQUIRE_SIMD=ON >/dev/null
  cmake --build "$b" -j2 >/dev/null
  cmake --install "$b" >/dev/null
done
