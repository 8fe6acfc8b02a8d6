#!/usr/bin/env bash
# The calendar while the desktop changes under it: the real program on an X display with a
# window manager (run it inside scripts/xsession.sh). It checks that
#   - a burst of three wallpaper keys naming a picture the program cannot read gives one error
#     box, not one per key;
#   - after xrandr makes the screen smaller, the calendar is wholly on screen, "Setting.cfg"
#     holds its new place, and it still looks painted on the wallpaper composed for the new
#     screen: first with a centred wallpaper, then with a stretched one.
# With E2E_SHOTS set to a folder, the screenshots taken on the way are kept there.
#
#   desktop_changes_e2e.sh BIN_DIR NOTES_TOOL
#
# Prints each failure; exit status 0 or 1.
set -uo pipefail

bin_dir=$1
notes_tool=$2
[ -n "${DISPLAY:-}" ] || { echo "FAIL: no DISPLAY (run inside scripts/xsession.sh)"; exit 1; }

source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
prepare_program_folder desktop-changes
trap 'stop_root_painter; cleanup' EXIT

desktop_colour='#204060'
schema=org.gnome.desktop.background
# Shapes on a gradient, smaller than the screen so that centring shows: a piece taken from the
# wrong place, or composed for the old screen, differs in most of its pixels.
wall="$work/wall.png"
convert -size 1100x700 gradient:'#d9c27a-#3a1f5c' \
  -fill '#2f9e5a' -draw 'circle 900,500 900,640' -fill '#b8325a' -draw 'rectangle 700,300 820,660' \
  -fill '#e6d84a' -draw 'polygon 600,690 880,330 1090,600' -fill '#4a8fd0' -draw 'circle 300,250 300,400' \
  -type TrueColor -depth 8 "PNG24:$wall" || { echo "FAIL: cannot make the wallpaper"; exit 1; }
gsettings set $schema primary-color "$desktop_colour"
gsettings set $schema picture-options centered
gsettings set $schema picture-uri "file://$wall"

screen_size() { xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[1], d[2] }'; }
# The desktop as a desktop draws it on a w x h screen, into $work/desktop-w-h.png: centred on the
# desktop colour, or stretched.
desktop_picture() {
  local w=$1 h=$2 options=$3 out="$work/desktop-$1-$2.png"
  if [ "$options" = stretched ]; then
    convert "$wall" -resize "${w}x${h}!" -type TrueColor "PNG24:$out"
  else
    convert -size "${w}x${h}" xc:"$desktop_colour" "$wall" -gravity center -composite \
      -type TrueColor "PNG24:$out"
  fi
  echo "$out"
}
# Makes $1 x $2 the screen's mode (the virtual screen starts with a single mode).
resize_screen() {
  local output mode="orvenna-$1x$2"
  output=$(xrandr | sed -n 2p | cut -d' ' -f1)
  xrandr --newmode "$mode" 10 "$1" $(($1 + 6)) $(($1 + 16)) $(($1 + 26)) "$2" $(($2 + 3)) $(($2 + 8)) $(($2 + 18)) 2>/dev/null
  xrandr --addmode "$output" "$mode" && xrandr --output "$output" --mode "$mode"
}

# The calendar on screen at win_x, win_y (set anew).
calendar_geometry() {
  local id
  id=$(calendar_window)
  [ -n "$id" ] || return 1
  eval "$(xdotool getwindowgeometry --shell "$id")"
  win_x=$X win_y=$Y
}
wholly_on_screen() {
  calendar_geometry || return 1
  [ "$win_x" -ge 0 ] && [ "$win_y" -ge 0 ] && [ $((win_x + 296)) -le "$screen_w" ] &&
    [ $((win_y + 216)) -le "$screen_h" ]
}
# Painted on the desktop picture $1: around the window the screen equals the picture except for
# the text (the fuzz allows for another scaling filter of a stretched picture).
painted_on() {
  local picture=$1 fuzz=$2 x y w h
  calendar_geometry || return 1
  x=$((win_x > 20 ? win_x - 20 : 0)); y=$((win_y > 20 ? win_y - 20 : 0))
  w=$((win_x + 316 < screen_w ? win_x + 316 - x : screen_w - x))
  h=$((win_y + 236 < screen_h ? win_y + 236 - y : screen_h - y))
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$work/shot-region.png" 2>/dev/null || return 1
  convert "$picture" -crop "${w}x${h}+${x}+${y}" +repage "$work/desktop-region.png"
  last_diff=$(compare -fuzz "$fuzz" -metric AE "$work/shot-region.png" "$work/desktop-region.png" null: 2>&1 |
    awk '{ printf "%d", $1 }')
  [ "$last_diff" -gt 300 ] && [ "$last_diff" -lt $((296 * 216 / 8)) ]
}
stored_place_is_shown() {
  local settings top left
  settings=$("$notes_tool" settings-dump "$folder/Setting.cfg") || return 1
  top=$(grep -o '"Top": *-\?[0-9]*' <<<"$settings" | grep -o -- '-\?[0-9]*$')
  left=$(grep -o '"Left": *-\?[0-9]*' <<<"$settings" | grep -o -- '-\?[0-9]*$')
  [ "$top" = "$win_y" ] && [ "$left" = "$win_x" ]
}
shoot() { import -window root "$work/$1.png" 2>/dev/null; [ -z "${E2E_SHOTS:-}" ] || cp "$work/$1.png" "$E2E_SHOTS/"; }

read -r screen_w screen_h < <(screen_size)
desktop=$(desktop_picture "$screen_w" "$screen_h" centered)
paint_root "$desktop"
poll 10 root_shows "$desktop" || fail "the root window does not show the wallpaper"
start_calendar
poll 10 painted_on "$desktop" 0 || fail "at the start the calendar is not painted on the wallpaper (${last_diff:-?} pixels apart)"

# ---- a burst of wallpaper keys: one error box --------------------------------------------------
# The program's dialogs on screen.
error_boxes() {
  local id count=0
  for id in $(xdotool search --all --onlyvisible --pid "$program_pid" --name '^Orvenna$' 2>/dev/null); do
    xprop -id "$id" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_DIALOG && count=$((count + 1))
  done
  echo "$count"
}
some_box() { [ "$(error_boxes)" -ge 1 ]; }
more_boxes() { [ "$(error_boxes)" -gt 1 ]; }
cp "$wall" "$work/wall.xyz"
burst_start=$(date +%s%N)
gsettings set $schema picture-uri "file://$work/wall.xyz"
gsettings set $schema picture-uri-dark "file://$work/wall.xyz"
gsettings set $schema picture-options stretched
burst_ms=$((($(date +%s%N) - burst_start) / 1000000))
# The box that is on screen, closed with its default button.
close_box() {
  local box
  box=$(xdotool search --all --onlyvisible --pid "$program_pid" --name '^Orvenna$' 2>/dev/null |
    while read -r id; do xprop -id "$id" _NET_WM_WINDOW_TYPE | grep -q DIALOG && echo "$id"; done | head -1)
  [ -n "$box" ] || return 0
  xdotool windowactivate --sync "$box" 2>/dev/null
  xdotool key Return
  no_box() { [ "$(error_boxes)" -eq 0 ]; }
  poll 5 no_box
}
note "the three keys were set in $burst_ms ms"
if poll 10 some_box; then
  shoot burst-error-box
  # The keys arrived within the pause that ends a burst only when they were sent fast enough.
  # Boxes of separate reloads come together, or one after the other as each is closed.
  if [ "$burst_ms" -lt 250 ]; then
    ! poll 2 more_boxes || fail "a burst of three keys gave $(error_boxes) error boxes at once"
    close_box || fail "the error box did not close"
    ! poll 2 some_box || fail "a burst of three keys gave a second error box"
  else
    note "the keys took longer than a burst; the count of boxes is not checked"
  fi
  poll 5 close_box || fail "the error box did not close"
else
  fail "no error box for a wallpaper the program cannot read"
fi
gsettings set $schema picture-options centered
gsettings set $schema picture-uri "file://$wall"

# ---- a smaller screen, centred wallpaper ---------------------------------------------------------
# The reload and the new place both follow the screen change.
check_smaller_screen() {
  local w=$1 h=$2 options=$3
  resize_screen "$w" "$h" || { fail "xrandr cannot make the screen ${w}x${h}"; return; }
  read -r screen_w screen_h < <(screen_size)
  [ "$screen_w" -eq "$w" ] && [ "$screen_h" -eq "$h" ] || { fail "the screen is ${screen_w}x$screen_h"; return; }
  desktop=$(desktop_picture "$w" "$h" "$options")
  paint_root "$desktop"
  poll 10 root_shows "$desktop" || fail "$options: the root window does not show the new desktop"
  poll 10 wholly_on_screen || fail "$options: the calendar at $win_x,$win_y is not wholly on the ${w}x$h screen"
  poll 5 stored_place_is_shown || fail "$options: Setting.cfg does not hold the calendar's new place $win_x,$win_y"
  local fuzz=0
  [ "$options" = stretched ] && fuzz=12%
  if poll 10 painted_on "$desktop" "$fuzz"; then
    note "$options on ${w}x$h: the calendar at $win_x,$win_y, ${last_diff} pixels apart from the desktop"
  else
    fail "$options on ${w}x$h: the calendar is not painted on the new desktop (${last_diff:-?} pixels apart)"
  fi
  shoot "smaller-$options"
}
poll 10 painted_on "$desktop" 0 || fail "the calendar did not come back to the wallpaper after the burst"
check_smaller_screen 1024 672 centered

# ---- smaller again, stretched wallpaper ----------------------------------------------------------
gsettings set $schema picture-options stretched
desktop=$(desktop_picture "$screen_w" "$screen_h" stretched)
paint_root "$desktop"
poll 10 painted_on "$desktop" 12% || fail "the calendar did not follow the stretched wallpaper"
check_smaller_screen 800 600 stretched

exit_by_menu
[ "$failures" -eq 0 ] && echo "PASS: the calendar follows the desktop's changes" && exit 0
cat "$work/orvenna.log"
exit 1
