#!/usr/bin/env bash
# Generates the program's artwork with ImageMagick: the 16 x 16 icon (window and tray), the 688 x 289 background
# of the main window (JPEG) and the 460 x 136 logo of the About window (PNG with alpha).
# The generated files are committed; run this again only to change the artwork.
set -euo pipefail
cd "$(dirname "$0")"
bold=DejaVu-Sans-Bold
plain=DejaVu-Sans

# The icon, in two pictures drawn at every size it is shown at: the usual amber lamp with a dark rim and a
# highlight, and the lit one the tray icon flashes with the keyboard's lamps, brighter and glowing past its rim.
# lamp <size> <usual|lit> <out.png>: the 16 x 16 drawing scaled by whole pixels.
lamp() {
  local size=$1 k
  k=$(awk "BEGIN { print $1 / 16 }")
  at() { awk "BEGIN { print $1 * $k + ($k - 1) / 2 }"; }  # a coordinate of the 16 x 16 drawing at this size
  local rim=$(awk "BEGIN { w = $k; print (w < 1 ? 1 : w) }")
  if [ "$2" = lit ]; then
    convert -size ${size}x${size} xc:none \
      \( -size ${size}x${size} xc:none -fill 'rgba(255,214,40,0.75)' -draw "circle $(at 7.5),$(at 7.5) $(at 7.5),$(at 0)" \
         -blur 0x$(awk "BEGIN { print $k * 0.8 }") \) -composite \
      -fill '#fff27a' -stroke '#9a6a10' -strokewidth $rim -draw "circle $(at 7.5),$(at 7.5) $(at 7.5),$(at 2)" \
      -stroke none -fill '#ffffff' -draw "circle $(at 6),$(at 6) $(at 6),$(at 4.5)" \
      -strip PNG32:"$3"
  else
    convert -size ${size}x${size} xc:none \
      -fill '#ffb020' -stroke '#5a3a08' -strokewidth $rim -draw "circle $(at 7.5),$(at 7.5) $(at 7.5),$(at 1)" \
      -stroke none -fill '#fff4c0' -draw "circle $(at 5.5),$(at 5.5) $(at 5.5),$(at 4)" \
      -strip PNG32:"$3"
  fi
}
# Windows: one .ico per picture with the sizes the tray and the window ask for at 100 to 300 percent.
for picture in usual lit; do
  name=vigilamp; [ $picture = lit ] && name=vigilamp-lit
  sizes=()
  for size in 16 20 24 32 40 48; do lamp $size $picture icon$size.png; sizes+=(icon$size.png); done
  convert "${sizes[@]}" -define icon:format=bmp $name.ico
  rm -f "${sizes[@]}"
done
# Linux: PNGs for the tray, the menus and the launchers.
for size in 16 22 24 32 48 64 256; do
  lamp $size usual linux/vigilamp-$size.png
  lamp $size lit linux/vigilamp-lit-$size.png
done

# The emblem: an amber lamp with three rays on each side, drawn at 64 x 64 on transparency.
emblem() {
  convert -size 64x64 xc:none \
    -stroke '#c07a10' -strokewidth 4 -draw 'line 6,18 16,24' -draw 'line 2,34 14,34' -draw 'line 6,50 16,44' \
    -draw 'line 58,18 48,24' -draw 'line 62,34 50,34' -draw 'line 58,50 48,44' \
    -fill '#ffb020' -stroke '#5a3a08' -strokewidth 2 -draw 'circle 32,34 32,18' \
    -stroke none -fill '#fff4c0' -draw 'circle 27,29 27,24' \
    PNG32:"$1"
}
emblem emblem.png

# Background: a light-to-mid grey gradient with a broad lighter arc, the wordmark and emblem lower right.
convert -size 688x289 gradient:'#ececec'-'#a9acb0' \
  \( -size 688x289 xc:none -fill none -stroke 'rgba(255,255,255,0.55)' -strokewidth 70 \
     -draw 'ellipse 700,420 560,300 180,300' -blur 0x12 \) -composite \
  \( emblem.png -resize 40x40 \) -geometry +444+219 -composite \
  -stroke none -font $bold -pointsize 22 -fill '#4a4d52' -annotate +488+249 'Vigilamp Rizu!' \
  -quality 88 -sampling-factor 4:2:0 -strip background.jpg

# Logo: the emblem and wordmark on a transparent ground.
convert -size 460x136 xc:none -stroke none \
  \( emblem.png -resize 112x112 \) -geometry +8+12 -composite \
  -font $bold -pointsize 34 -fill '#3c3f44' -annotate +128+80 'Vigilamp Rizu!' \
  -font $plain -pointsize 13 -fill '#6a6d72' -annotate +131+106 'watches for the window, flashes the lights' \
  -strip PNG32:logo.png
rm -f emblem.png
