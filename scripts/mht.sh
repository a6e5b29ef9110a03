#!/bin/sh
# Packs an HTML page and the pictures it shows into one MIME HTML archive (multipart/related, RFC 2557): the
# single file a browser opens as the page with its pictures. Every <img src="..."> of the page must name a
# file relative to the page's folder; it is stored under that same name, so the page's own links find it.
# Usage: scripts/mht.sh page.html out.mht
set -eu
page=$1
out=$2
dir=$(dirname "$page")
boundary="----=_NextPart_vigilamp_manual"
work="$out.lf"
trap 'rm -f "$work" "$out.tmp"' EXIT

picture_type() {
  case $1 in
    *.png) echo image/png ;;
    *.jpg | *.jpeg) echo image/jpeg ;;
    *.gif) echo image/gif ;;
    *) echo "mht: $1: not a PNG, JPEG or GIF picture" >&2; return 1 ;;
  esac
}

# The pictures the page shows, each once, in the order they first appear.
pictures=$(grep -o '<img[^>]*src="[^"]*"' "$page" | sed 's/.*src="\([^"]*\)"/\1/' | awk '!seen[$0]++')

{
  printf 'From: <Saved by the Vigilamp Rizu! build>\n'
  printf 'Subject: Vigilamp Rizu! User Manual\n'
  printf 'MIME-Version: 1.0\n'
  printf 'Content-Type: multipart/related; boundary="%s"; type="text/html"\n\n' "$boundary"
  printf 'This is a multi-part message in MIME format.\n\n'
  printf -- '--%s\nContent-Type: text/html; charset="utf-8"\n' "$boundary"
  printf 'Content-Transfer-Encoding: base64\nContent-Location: file:///manual.html\n\n'
  base64 -w 76 "$page"
  for picture in $pictures; do
    case $picture in
      /* | *:* | *..*) echo "mht: $picture: pictures must lie in the page's folder or below it" >&2; exit 1 ;;
    esac
    [ -f "$dir/$picture" ] || { echo "mht: $dir/$picture: no such picture" >&2; exit 1; }
    type=$(picture_type "$picture")
    printf '\n--%s\nContent-Type: %s\nContent-Transfer-Encoding: base64\n' "$boundary" "$type"
    printf 'Content-Location: file:///%s\n\n' "$picture"
    base64 -w 76 "$dir/$picture"
  done
  printf '\n--%s--\n' "$boundary"
} > "$work"
# MIME lines end in CR LF.
awk '{ printf "%s\r\n", $0 }' "$work" > "$out.tmp"
mv "$out.tmp" "$out"
