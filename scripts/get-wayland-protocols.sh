#!/bin/bash
# Vendors the window-list protocols that Debian 12 does not package into src/linux/wayland/protocols/: the
# wlroots foreign toplevel protocol from Debian 12's wlroots source package, and the common toplevel list from a
# later release's wayland-protocols source package. A private apt state, so the system's apt files are not
# touched. Run by hand when a protocol is to be updated; the build uses the committed copies.
# Needs: apt, dpkg-dev (dpkg-source), debian-archive-keyring.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
dest=$here/src/linux/wayland/protocols
work=$(mktemp -d "${TMPDIR:-/tmp}/vigilamp-protocols.XXXXXX")
trap 'rm -rf "$work"' EXIT
aptd=$work/.apt
mkdir -p "$aptd"/{lists/partial,cache/archives/partial,sources.list.d}
cat >"$aptd/sources.list.d/debian-src.sources" <<SRC
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm trixie
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
apt=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$aptd/sources.list.d"
     -o Dir::State::Lists="$aptd/lists" -o Dir::Cache="$aptd/cache"
     -o Dir::State::Status=/var/lib/dpkg/status -o Debug::NoLocking=1)
apt-get "${apt[@]}" -qq update
cd "$work"
apt-get "${apt[@]}" -qq source --download-only wlroots=0.15.1-6 wayland-protocols=1.44-1
dpkg-source --no-check -x wlroots_0.15.1-6.dsc wlroots >/dev/null
dpkg-source --no-check -x wayland-protocols_1.44-1.dsc wayland-protocols >/dev/null
mkdir -p "$dest"
cp wlroots/protocol/wlr-foreign-toplevel-management-unstable-v1.xml "$dest/"
cp wlroots/LICENSE "$dest/LICENSE.wlroots"
cp wayland-protocols/staging/ext-foreign-toplevel-list/ext-foreign-toplevel-list-v1.xml "$dest/"
cp wayland-protocols/COPYING "$dest/COPYING.wayland-protocols"
echo "protocols in $dest"
