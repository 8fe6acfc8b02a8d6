#!/usr/bin/env bash
# The real program at a device pixel ratio of 2 (QT_SCALE_FACTOR=2): the calendar is twice as
# large on screen, 592 x 432 device pixels, and still see-through at device resolution: outside
# its text every pixel of it is the wallpaper's pixel behind it. The position kept at exit is
# in the units of an unscaled screen (half the device pixels). On a plain root the day cells are
# cut exactly as the cell mask drawn at twice the resolution (images/2@2x.bmp), not as the 1x
# mask scaled up.
#
#   hidpi_e2e.sh BIN_DIR NOTES_TOOL     (inside scripts/xsession.sh; SHOT=file keeps the screenshot)
set -uo pipefail
bin_dir=$1 notes_tool=$2
. "$(dirname "$0")/e2e_common.sh"
prepare_program_folder hidpi
painter=""
trap '[ -n "$painter" ] && kill "$painter" 2>/dev/null; cleanup' EXIT

# A noisy wallpaper of the screen's size, on the root window and in the desktop's settings: a
# calendar composed at half the resolution and scaled up would differ almost everywhere.
size=$(xdpyinfo | awk '/dimensions:/ { print $2; exit }')
convert -seed 5 -size "$size" gradient:'#20406a-#c08040' -attenuate 0.6 +noise Gaussian \
  -type TrueColor "PNG24:$work/wall.png"
gsettings set org.gnome.desktop.background picture-options stretched
gsettings set org.gnome.desktop.background picture-uri "file://$work/wall.png"
display -window root "$work/wall.png" &
painter=$!
differing() {  # pixels that differ between two pictures (geometry WxH+X+Y of both)
  compare -metric AE "$1" "$2" null: 2>&1 | awk '{ print int($1) }'
}
root_painted() {
  import -window root -crop 64x64+0+0 "$work/corner.png" 2>/dev/null &&
    convert "$work/wall.png" -crop 64x64+0+0 +repage "$work/corner-want.png" &&
    [ "$(differing "$work/corner.png" "$work/corner-want.png")" = 0 ]
}
poll 15 root_painted || { fail "the wallpaper did not reach the root window"; exit 1; }

export QT_SCALE_FACTOR=2
calendar_width=592
start_calendar
eval "$(xwininfo -id "$(calendar_window)" | awk '/Width:/ { print "w=" $2 } /Height:/ { print "h=" $2 }')"
[ "$w" = 592 ] && [ "$h" = 432 ] || fail "the calendar is $w x $h device pixels, not 592 x 432"

# Pictures settle once the icons are cut; two screenshots in a row that agree are the result.
shot() { import -window root -crop "592x432+$win_x+$win_y" +repage "$1"; }
settled() { shot "$work/shot.png" && sleep 0.2 && shot "$work/again.png" &&
  [ "$(differing "$work/shot.png" "$work/again.png")" = 0 ]; }
poll 10 settled || fail "the calendar kept changing on screen"
[ -n "${SHOT:-}" ] && cp "$work/shot.png" "$SHOT"
convert "$work/wall.png" -crop "592x432+$win_x+$win_y" +repage "$work/behind.png"
off=$(differing "$work/shot.png" "$work/behind.png")
# The weekday row, the month label and up to 31 day numbers cover well under a tenth of it.
total=$((592 * 432))
[ "$off" -gt 0 ] || fail "no text drawn on the calendar"
[ "$off" -lt $((total / 10)) ] ||
  fail "$off of $total calendar pixels differ from the wallpaper behind them"
note "$off of $total pixels differ from the wallpaper (the text)"

# The cells on a magenta root: each pixel of a cell's square is magenta exactly where the mask
# is cut away. Day 15 of the month shown (the calendar shows today's month).
first_column=$(date -d "$(date +%Y-%m-01)" +%w)
column=$(((first_column + 14) % 7)) row=$(((first_column + 14) / 7))
cell_x=$((win_x + 2 * (column * 37 - 1 + 23))) cell_y=$((win_y + 2 * (row * 28 + 5 + 35)))
convert -size "$size" xc:'#ff00ff' "$work/magenta.png"
kill "$painter" 2>/dev/null; wait "$painter" 2>/dev/null
display -window root "$work/magenta.png" &
painter=$!
root_magenta() { [ "$(import -window root -crop 1x1+4+4 -depth 8 txt:- 2>/dev/null | tail -1 | grep -o '#[0-9A-F]\{6\}')" = '#FF00FF' ]; }
poll 10 root_magenta || fail "the root window did not turn magenta"
import -window root -crop "52x52+$cell_x+$cell_y" +repage "$work/cell.png"
[ -n "${CELL_SHOT:-}" ] && import -window root -crop "592x432+$win_x+$win_y" +repage "$CELL_SHOT"
convert "$work/cell.png" -fill black +opaque '#ff00ff' -fill white -opaque '#ff00ff' "$work/cell-cut.png"
convert "$bin_dir/images/2@2x.bmp" -fill black +opaque white "$work/mask-cut.png"
cut_off=$(differing "$work/cell-cut.png" "$work/mask-cut.png")
[ "$cut_off" = 0 ] || fail "day 15's cell at ($cell_x, $cell_y) is cut otherwise than the fine mask in $cut_off pixels"

exit_by_menu
if [ -z "$program_pid" ]; then
  read_stored_position || fail "Setting.cfg cannot be read"
  [ "$top" = $((win_y / 2)) ] && [ "$left" = $((win_x / 2)) ] ||
    fail "Setting.cfg holds Top ${top:-?}, Left ${left:-?}; the window was at ($win_x, $win_y) device pixels"
fi
[ "$failures" -eq 0 ] && echo "PASS"
exit "$failures"
