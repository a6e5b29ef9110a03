#!/bin/sh
# Copies the pictures of the pages that the end-to-end suite took into docs/images, where the user manual
# shows them. Run the suite first (make test, or scripts/e2e.sh x86_64); then commit docs/images.
# Usage: scripts/screenshots.sh [target]   (x86_64 unless given)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
screens=$root/build/${1:-x86_64}/screens
mkdir -p "$root/docs/images"
copied=0
for name in page-Status page-Timers page-Lighting page-Actions page-Advanced page-Advanced-picked page-Match-rule tray-menu \
    menu-open about; do
  if [ -f "$screens/$name.png" ]; then
    cp "$screens/$name.png" "$root/docs/images/$name.png"
    copied=$((copied + 1))
  else
    echo "screenshots: $screens/$name.png is missing: run the end-to-end suite first" >&2
    exit 1
  fi
done
echo "screenshots: $copied pictures copied to docs/images"
