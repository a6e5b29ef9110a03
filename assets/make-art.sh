#!/usr/bin/env bash
# Generates the program's artwork with ImageMagick: the 16 x 16 icon (window and tray).
# The generated files are committed; run this again only to change the artwork.
set -euo pipefail
cd "$(dirname "$0")"

# Icon: a lit amber lamp with a dark rim and a highlight, on a transparent ground.
convert -size 16x16 xc:none \
  -fill '#ffb020' -stroke '#5a3a08' -strokewidth 1 -draw 'circle 7.5,7.5 7.5,1' \
  -stroke none -fill '#fff4c0' -draw 'circle 5.5,5.5 5.5,4' \
  -define icon:auto-resize=16 PNG32:icon16.png
convert icon16.png -define icon:format=bmp vigilamp.ico
rm -f icon16.png
