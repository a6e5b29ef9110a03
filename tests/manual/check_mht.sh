#!/bin/sh
# Checks the user manual's archive as scripts/mht.sh builds it: the page and every picture it shows are inside,
# each under the name the page uses and decoding to its source byte for byte; every line ends in CR LF; and a
# page that shows a missing picture fails the build instead of giving an archive without it.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "check_mht: $*" >&2; exit 1; }

sh "$root/scripts/mht.sh" "$root/docs/manual.html" "$work/manual.mht"
mht=$work/manual.mht

head -n 5 "$mht" | grep -q '^MIME-Version: 1.0' || fail "no MIME-Version header"
boundary=$(sed -n 's/^Content-Type: multipart\/related; boundary="\([^"]*\)".*/\1/p' "$mht" | head -n 1)
[ -n "$boundary" ] || fail "not multipart/related"
awk '!/\r$/ { bad++ } END { exit bad > 0 }' "$mht" || fail "a line does not end in CR LF"

# Splits the archive into its parts: part<n>.b64 holds the body, locations lists "<n> <Content-Location>".
tr -d '\r' < "$mht" | awk -v b="--$boundary" -v dir="$work" '
  $0 == b "--" { done = 1; next }
  $0 == b { n++; body = 0; next }
  done || n == 0 { next }
  !body && /^Content-Location: / { print n, $2 > (dir "/locations"); next }
  !body && $0 == "" { body = 1; next }
  body && $0 != "" { print > (dir "/part" n ".b64") }'
[ -s "$work/locations" ] || fail "no parts found"

pictures=0
while read -r n location; do
  name=${location#file:///}
  if [ "$name" = manual.html ]; then source=$root/docs/manual.html
  else source=$root/docs/$name; pictures=$((pictures + 1))
  fi
  [ -f "$source" ] || fail "part $n is $location, which is no file of docs/"
  base64 -d "$work/part$n.b64" | cmp -s - "$source" || fail "part $n does not decode to $source"
done < "$work/locations"
shown=$(grep -o '<img[^>]*src="[^"]*"' "$root/docs/manual.html" | sed 's/.*src="//; s/"$//' | sort -u | wc -l)
[ "$pictures" -eq "$shown" ] || fail "$pictures pictures inside, the page shows $shown"
[ "$pictures" -gt 0 ] || fail "the manual shows no pictures"

# A picture that is not there stops the build.
mkdir -p "$work/broken"
printf '<html><body><img src="images/none.png"></body></html>\n' > "$work/broken/page.html"
if sh "$root/scripts/mht.sh" "$work/broken/page.html" "$work/broken/page.mht" 2>/dev/null; then
  fail "a missing picture was not refused"
fi
for left in page.mht page.mht.lf page.mht.tmp; do
  [ ! -e "$work/broken/$left" ] || fail "a refused archive left $left behind"
done
echo "check_mht: the page and $pictures pictures round-trip"
