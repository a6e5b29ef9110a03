#!/usr/bin/env bash
# Installs what the build and the tests need from Debian's packages, then builds libjpeg-turbo for both
# mingw targets from Debian's source package. Idempotent: quick when everything is already there.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

pkgs=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix libz-mingw-w64-dev zlib1g-dev cmake ninja-build nasm dpkg-dev
      debian-archive-keyring libgtest-dev g++ make wine wine64 wine32:i386 xvfb xdotool imagemagick x11-utils
      x11-xserver-utils gstreamer1.0-plugins-base gstreamer1.0-plugins-good lame sox clang libclang-rt-14-dev
      nsis zip unzip p7zip-full file
      qt6-base-dev qt6-qpa-plugins libx11-dev libx11-xcb-dev desktop-file-utils libgstreamer1.0-dev gstreamer1.0-tools openbox trayer dbus-x11
      at-spi2-core python3-pyatspi python3-xlib)

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "deps: installing ${missing[*]}"
  sudo=; [ "$(id -u)" = 0 ] || sudo=sudo
  dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
  # A mirror caught mid-sync fails an index now and then: try again, and go on with what arrived, since
  # the install below says plainly what is still missing.
  for try in 1 2 3; do
    $sudo apt-get -o Acquire::Retries=3 update -qq && break
    echo "deps: apt-get update failed (try $try of 3)" >&2
    sleep $((try * 10))
  done
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o Acquire::Retries=3 install -y -qq "${missing[@]}" >/dev/null
fi

# libjpeg-turbo, static, per mingw target; the prefixes are cached under build/ so a rebuild fetches nothing.
deps=${DEPS_DIR:-$here/build/deps}
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
