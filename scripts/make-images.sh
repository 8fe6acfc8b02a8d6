#!/usr/bin/env bash
# Draws the shipped pictures in images/ with ImageMagick (convert). Run it after changing a
# design here and commit the BMP files with it; the build only copies them.
#
#   images/bk.bmp          header strip body, 16 x 27, repeated to the right (uniform across)
#   images/leftcornor.bmp  left end of the header strip, 8 x 27, rounded top-left corner
#   images/grdbk.bmp       header-row cell of the reminder grid, 8 x 24, repeated to the right
#   images/2.bmp           day-cell mask, 26 x 26: white (the key colour at (0, 0)) is cut
#                          away, the dark rounded square is the cell
#   images/2@2x.bmp        the same cell drawn at twice the resolution, 52 x 52, for screens with
#                          a device pixel ratio of 2
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/images
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# 24-bit BMP3 without colour-space chunks, the same bytes on every run.
bmp() { local target=$1; shift; convert "$@" -alpha off -type TrueColor "BMP3:$target"; }

header_top='#f3f8fd'      # soft blue-grey, light at the top ...
header_bottom='#cfdff0'   # ... a little deeper at the bottom
header_line='#9fb9d6'     # the outline and the bottom rule
window='#ffffff'          # the note editor's background, seen outside the rounded corner

# The header strip is one rounded bar, 60 x 27, cut into its left end and a uniform body.
convert -size 60x26 "gradient:$header_top-$header_bottom" "$tmp/fill.png"
convert -size 60x27 "xc:$window" \
  -tile "$tmp/fill.png" -draw 'roundrectangle 0,0 80,40 6,6' +tile \
  -fill none -stroke "$header_line" -strokewidth 1 -draw 'roundrectangle 0,0 80,40 6,6' \
  -stroke "$header_line" -draw 'line 0,26 59,26' \
  "$tmp/bar.png"
bmp "$out/leftcornor.bmp" "$tmp/bar.png" -crop 8x27+0+0 +repage
bmp "$out/bk.bmp" "$tmp/bar.png" -crop 16x27+30+0 +repage

# Grid header cell: the same colours, lighter, with a rule at the bottom.
convert -size 8x23 "gradient:#fafcfe-#e2ecf7" "$tmp/cell.png"
bmp "$out/grdbk.bmp" "$tmp/cell.png" -background "$header_line" -gravity south -splice 0x1

# Day-cell mask: a rounded square without antialiasing, so every pixel is in or out.
bmp "$out/2.bmp" -size 26x26 xc:white +antialias -fill '#303030' \
  -draw 'roundrectangle 0,0 25,25 6,6'
bmp "$out/2@2x.bmp" -size 52x52 xc:white +antialias -fill '#303030' \
  -draw 'roundrectangle 0,0 51,51 12,12'

# Splash picture, 420 x 204 JPEG, compiled into the program (app/app.qrc). Wider than the
# 402-pixel splash on purpose: it is drawn unscaled from the top-left, the right edge cut off.
convert -size 420x204 'gradient:#2f5f9a-#9fc3ea' \
  -font DejaVu-Sans-Bold -pointsize 44 -fill white -gravity center -annotate +0-12 'Orvenna' \
  -font DejaVu-Sans -pointsize 15 -fill '#eaf2fb' -gravity center -annotate +0+30 'calendar and reminders' \
  -strip -quality 90 "$root/app/images/snap.jpg"
