#!/usr/bin/env bash
# make dist: for each target built, a portable zip and a per-user NSIS installer under build/dist/:
#   vigilamp-<version>-<target>.zip        a folder "Vigilamp Rizu" with the program, manual, sound, readme, licence
#   vigilamp-<version>-<target>-setup.exe  the installer (installer/vigilamp.nsi)
# and for the native Linux program (target linux), the Debian package its CPack rules make:
#   vigilamp_<version>_<arch>.deb
# Usage: scripts/dist.sh [i686|x86_64|linux ...]   (all three unless given; build them first:
#        make i686 x86_64 linux)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

targets=("$@")
((${#targets[@]})) || targets=(i686 x86_64 linux)

# One version everywhere: the project's for the names, the version block's for the installer's own block.
version=$(sed -n 's/^project(vigilamp VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
rc_version() { sed -n "s/^$1 *\([0-9]*\), *\([0-9]*\), *\([0-9]*\), *\([0-9]*\).*/\1.\2.\3.\4/p" assets/vigilamp.rc; }
file_version=$(rc_version FILEVERSION)
product_version=$(rc_version PRODUCTVERSION)
[ -n "$version" ] && [ -n "$file_version" ] && [ -n "$product_version" ] || {
  echo "dist: cannot read the version from CMakeLists.txt and assets/vigilamp.rc" >&2; exit 1; }
windows=0
for t in "${targets[@]}"; do [ "$t" = linux ] || windows=1; done
if ((windows)) && ! { command -v makensis >/dev/null && command -v zip >/dev/null; }; then
  echo "dist: makensis and zip are needed (scripts/deps.sh installs them)" >&2; exit 1
fi

out=$root/build/dist
mkdir -p "$out"
for t in "${targets[@]}"; do
  case $t in i686|x86_64|linux) ;; *) echo "dist: unknown target $t" >&2; exit 1 ;; esac
  build=$root/build/$t
  if [ "$t" = linux ]; then
    [ -f "$build/CPackConfig.cmake" ] && [ -f "$build/vigilamp" ] || {
      echo "dist: $build/vigilamp is missing: cmake --preset linux && cmake --build --preset linux" >&2
      exit 1; }
    command -v dpkg-shlibdeps >/dev/null || { echo "dist: dpkg-shlibdeps is needed (package dpkg-dev)" >&2; exit 1; }
    stage=$out/stage-$t
    rm -rf "$stage" "$out"/vigilamp_"$version"_*.deb
    cpack --config "$build/CPackConfig.cmake" -G DEB -B "$stage" >/dev/null
    mv "$stage"/vigilamp_"$version"_*.deb "$out/"
    rm -rf "$stage"
    for deb in "$out"/vigilamp_"$version"_*.deb; do echo "dist: $(basename "$deb") ($(stat -c %s "$deb") bytes)"; done
    continue
  fi
  for f in vigilamp.exe manual.mht vigilampairraid.mp3; do
    [ -f "$build/$f" ] || { echo "dist: $build/$f is missing: run make $t first" >&2; exit 1; }
  done

  stage=$out/stage-$t
  payload=$stage/Vigilamp\ Rizu
  rm -rf "$stage"; mkdir -p "$payload"
  cp "$build/vigilamp.exe" "$build/manual.mht" "$build/vigilampairraid.mp3" "$payload/"
  # Windows line ends, so that every editor shows the texts as written.
  for f in README.txt LICENSE.txt; do sed 's/\r*$/\r/' "installer/$f" > "$payload/$f"; done

  zipfile=$out/vigilamp-$version-$t.zip
  rm -f "$zipfile"
  (cd "$stage" && zip -q -X -r "$zipfile" "Vigilamp Rizu")

  setup=$out/vigilamp-$version-$t-setup.exe
  makensis -V2 -NOCD -INPUTCHARSET UTF8 -DARCH="$t" -DVERSION="$version" -DFILE_VERSION="$file_version" \
    -DPRODUCT_VERSION="$product_version" -DPAYLOAD="$payload" -DOUTFILE="$setup" installer/vigilamp.nsi
  rm -rf "$stage"
  echo "dist: $(basename "$zipfile") ($(stat -c %s "$zipfile") bytes), $(basename "$setup") ($(stat -c %s "$setup") bytes)"
done
