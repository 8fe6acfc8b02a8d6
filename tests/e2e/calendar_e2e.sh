#!/usr/bin/env bash
# The calendar from outside: the real program on an X display with a window manager and a tray
# host (run it inside scripts/xsession.sh --tray). It starts from a fresh program folder over a
# generated wallpaper and checks that
#   - the calendar looks painted on the wallpaper: around the window the screen equals the
#     wallpaper except for the text, and the space between the cells is the desktop itself;
#   - a second copy ends at once with status 0 and leaves the first running;
#   - "Next Month" from the title's menu changes the month shown in the title;
#   - "E&xit" from the menu ends the program and "Setting.cfg" holds the window's position;
#   - the calendar is a desktop window that stays on screen on another workspace and when the
#     desktop is shown; task bars list one window of the program (its minimised task-bar
#     entry) with the default settings, and none with "HideInTheTray" on.
# With E2E_SHOTS set to a folder, the screenshots taken on the way are kept there.
#
#   calendar_e2e.sh BIN_DIR NOTES_TOOL
#
# BIN_DIR holds the program and its images/. Prints each failure; exit status 0 or 1.
set -uo pipefail

bin_dir=$1
notes_tool=$2
[ -n "${DISPLAY:-}" ] || { echo "FAIL: no DISPLAY (run inside scripts/xsession.sh --tray)"; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/orvenna-e2e.XXXXXX")
program_pid=""
painter_pid=""
cleanup() {
  end_program
  [ -n "$painter_pid" ] && kill "$painter_pid" 2>/dev/null
  [ -n "$painter_pid" ] && wait "$painter_pid" 2>/dev/null
  if [ "$failures" -eq 0 ]; then rm -rf "$work"; else echo "Kept for inspection: $work"; fi
}
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
trap cleanup EXIT

read -r screen_w screen_h < <(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[1], d[2] }')

# ---- program folder and wallpaper ----------------------------------------------------------
folder="$work/program"
mkdir -p "$folder"
cp -r "$bin_dir"/orvenna "$bin_dir"/images "$bin_dir"/../lib/orvenna/orvenna-calendar.so "$folder"/
wall="$work/wall.png"
# A gradient with shapes under a fine noise: a piece copied one pixel off differs almost
# everywhere, so only an exact copy of the wallpaper passes.
convert -seed 11 -size "${screen_w}x${screen_h}" gradient:'#1d3a6b-#d08a3c' \
  -fill '#2f9e5a' -draw "circle $((screen_w - 160)),$((screen_h - 120)) $((screen_w - 40)),$((screen_h - 120))" \
  -fill '#b8325a' -draw "rectangle $((screen_w - 300)),$((screen_h - 240)) $((screen_w - 200)),$((screen_h - 60))" \
  -fill '#e6d84a' -draw "polygon $((screen_w - 290)),$((screen_h - 30)) $((screen_w - 120)),$((screen_h - 220)) $((screen_w - 60)),$((screen_h - 10))" \
  -fill '#6a3fb0' -draw "circle 300,250 300,400" \
  -attenuate 1 +noise Gaussian -type TrueColor -depth 8 "PNG24:$wall" || { echo "FAIL: cannot make the wallpaper"; exit 1; }
gsettings set org.gnome.desktop.background picture-uri "file://$wall"
gsettings set org.gnome.desktop.background picture-options stretched

paint_root "$wall"
poll 10 root_shows "$wall" || fail "the root window does not show the wallpaper"

# Screenshots go to the work folder, and with E2E_SHOTS set also there.
shoot() { import -window root "$work/$1.png" 2>/dev/null; [ -z "${E2E_SHOTS:-}" ] || cp "$work/$1.png" "$E2E_SHOTS/"; }

# ---- first start ---------------------------------------------------------------------------
"$folder/orvenna" >"$work/orvenna.log" 2>&1 &
program_pid=$!
# A first run: the notice comes first, alone; after "OK" the splash, then the calendar.
titled() { xdotool search --all --onlyvisible --pid "$program_pid" --name "$1" 2>/dev/null | head -1; }
notice_up() { [ -n "$(titled '^Notice$')" ]; }
splash_window() {
  local id
  for id in $(xdotool search --all --onlyvisible --pid "$program_pid" --name '^Orvenna$' 2>/dev/null); do
    xwininfo -id "$id" 2>/dev/null | grep -q 'Width: 402$' && { echo "$id"; return; }
  done
}
splash_up() { [ -n "$(splash_window)" ]; }
if poll 15 notice_up; then
  [ -z "$(calendar_window)" ] || fail "the calendar was on screen with the notice"
  [ -z "$(splash_window)" ] || fail "the splash was on screen with the notice"
  [ "$(od -An -tx1 "$folder/firstrun.dat" | tr -d ' \n')" = 310d0a ] ||
    fail "firstrun.dat does not hold 1 CR LF"
  shoot notice
  xdotool windowactivate --sync "$(titled '^Notice$')" 2>/dev/null
  xdotool key Return
  poll 5 splash_up || fail "no splash after the notice's OK"
  shoot splash
else
  fail "no notice on the first start"
fi
window_up() { [ -n "$(calendar_window)" ] && [ -s "$folder/bk.bmp" ] && [ -s "$folder/firstrun.dat" ]; }
if ! poll 15 window_up; then
  fail "the calendar window did not appear with bk.bmp and firstrun.dat"
  cat "$work/orvenna.log"
  exit 1
fi
window=$(calendar_window)
eval "$(xdotool getwindowgeometry --shell "$window")"   # X, Y, WIDTH, HEIGHT
win_x=$X win_y=$Y win_w=$WIDTH win_h=$HEIGHT
note "calendar window $window at $win_x,$win_y size ${win_w}x${win_h}"
[ "$win_w" -eq 296 ] && [ "$win_h" -eq 216 ] || fail "window size ${win_w}x${win_h}, expected 296x216"
# The first place is the corner of the work area: the tray host's strip leaves it free.
first_work_h=$(xprop -root _NET_WORKAREA | sed 's/.*= //' | awk -F', ' '{ print $4 }')
[ "$first_work_h" -lt "$screen_h" ] || fail "the tray host left a work area of height $first_work_h"
[ "$win_x" -eq $((screen_w - 296)) ] && [ "$win_y" -eq $((first_work_h - 216)) ] ||
  fail "window at $win_x,$win_y, expected the bottom-right corner of the work area"

# ---- on the desktop ------------------------------------------------------------------------
# The managed clients a task bar lists: of normal type (or none) and without SKIP_TASKBAR.
listed_windows() {
  local id
  for id in $(xprop -root _NET_CLIENT_LIST | sed 's/.*#//' | grep -o '0x[0-9a-f]*'); do
    xprop -id "$id" _NET_WM_WINDOW_TYPE | grep -q -e 'not found' -e '_NET_WM_WINDOW_TYPE_NORMAL' || continue
    xprop -id "$id" _NET_WM_STATE | grep -q SKIP_TASKBAR && continue
    echo "$id"
  done
}
# The calendar $window is a desktop window, on screen after "show desktop" and on workspace 2,
# and task bars list $1 windows of the program. $2 names the case in messages and screenshots.
check_on_desktop() {
  local want=$1 label=$2 entry
  xprop -id "$window" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_DESKTOP ||
    fail "$label: the calendar is not a desktop window: $(xprop -id "$window" _NET_WM_WINDOW_TYPE)"
  listed_as_wanted() { [ "$(listed_windows | wc -l)" -eq "$want" ]; }
  poll 5 listed_as_wanted || fail "$label: task bars list $(listed_windows | wc -l) windows, expected $want"
  if [ "$want" -eq 1 ]; then
    entry=$(listed_windows)
    [ "$entry" != "$(printf '0x%x' "$window")" ] || fail "$label: the calendar itself is listed"
    xprop -id "$entry" WM_NAME | grep -q '"Orvenna"' || fail "$label: the listed window is not titled Orvenna"
    # The icon is written a moment after the window is mapped and listed.
    has_icon() { xprop -id "$entry" _NET_WM_ICON | grep -q 'Icon'; }
    poll 5 has_icon || fail "$label: the listed window has no icon"
    entry_iconic() { xprop -id "$entry" WM_STATE | grep -q Iconic; }
    poll 5 entry_iconic || fail "$label: the listed window is not minimised"
  fi
  root_says() { xprop -root "$1" | grep -q "= $2\$"; }
  calendar_viewable() { xwininfo -id "$window" | grep -q IsViewable; }
  wmctrl -k on
  poll 5 root_says _NET_SHOWING_DESKTOP 1 || fail "$label: the desktop was not shown"
  calendar_viewable || fail "$label: the calendar is gone when the desktop is shown"
  shoot "$label-show-desktop"
  wmctrl -k off
  wmctrl -s 1
  poll 5 root_says _NET_CURRENT_DESKTOP 1 || fail "$label: workspace 2 did not come"
  calendar_viewable || fail "$label: the calendar is gone on workspace 2"
  shoot "$label-workspace-2"
  wmctrl -s 0
  poll 5 root_says _NET_CURRENT_DESKTOP 0 || fail "$label: workspace 1 did not come back"
}
check_on_desktop 1 default

# The region compared: the window and a margin around it, on screen and above the panel.
work_h=$(xprop -root _NET_WORKAREA | sed 's/.*= //' | awk -F', ' '{ print $4 }')
rx=$((win_x - 20)); ry=$((win_y - 20))
rw=$((screen_w - rx)); rh=$((work_h - ry))
region="${rw}x${rh}+${rx}+${ry}"
convert "$wall" -crop "$region" +repage "$work/wall-region.png"

# Number of pixels in which two pictures of one size differ.
pixels_apart() { compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1 || true; }

# Differing pixels between the screen and the wallpaper in the region.
differing() {
  import -window root -crop "$region" +repage "$work/shot-region.png" 2>/dev/null || return 1
  pixels_apart "$work/shot-region.png" "$work/wall-region.png"
}
# Painted on the wallpaper: some pixels differ (the numbers and labels exist), and they are
# few (everything else is the wallpaper, in the cells and between them).
text_limit=$((win_w * win_h / 8))
painted() {
  last_diff=$(differing) || return 1
  [ "$last_diff" -gt 300 ] && [ "$last_diff" -lt "$text_limit" ]
}
if poll 10 painted; then
  note "screen and wallpaper differ in $last_diff of $((rw * rh)) pixels (text)"
else
  fail "screen and wallpaper differ in $last_diff pixels around the calendar (want 300..$text_limit)"
  import -window root "$work/screen.png"
fi

# The space between the cells is the desktop: with another picture on the root window, the
# window's rectangle shows both that picture (gaps) and the wallpaper (cells, title).
convert -size "${screen_w}x${screen_h}" xc:'#ff00ff' -type TrueColor "PNG24:$work/magenta.png"
paint_root "$work/magenta.png"
magenta_share() {
  local counts
  import -window root -crop "${win_w}x$((work_h - win_y))+${win_x}+${win_y}" +repage \
    "$work/window-rect.png" 2>/dev/null || return 1
  counts=$(convert "$work/window-rect.png" -fill black +opaque '#ff00ff' -fill white \
    -opaque '#ff00ff' -format '%[fx:mean]' info:)
  magenta=$(awk -v m="$counts" 'BEGIN { printf "%d", m * 100 }')
  [ "$magenta" -ge 20 ] && [ "$magenta" -le 80 ]
}
if poll 5 magenta_share; then
  note "the root window shows through $magenta% of the window's rectangle"
else
  fail "the root window shows through ${magenta:-?}% of the window's rectangle (want 20..80: shaped)"
fi
paint_root "$wall"
poll 10 root_shows "$wall" || fail "the root window does not show the wallpaper again"

# ---- second start --------------------------------------------------------------------------
# It must end by itself (timeout's 124 says it did not); how fast depends on the machine's load.
timeout 30 "$folder/orvenna" >"$work/second.log" 2>&1
status=$?
[ "$status" -eq 0 ] || fail "the second copy ended with status $status"
kill -0 "$program_pid" 2>/dev/null || fail "the first copy died when the second started"
[ "$(calendar_window)" = "$window" ] || fail "the first copy's window is gone"

# ---- the title's menu ----------------------------------------------------------------------
windows_closed=$(visible_windows)
menu_closed() { [ "$(visible_windows)" -eq "$windows_closed" ]; }
title_shot() { import -window root -crop "${win_w}x32+${win_x}+${win_y}" +repage "$1" 2>/dev/null; }

title_shot "$work/title-before.png"
if open_menu; then
  xdotool key Down Down Return       # the first item, then "Next Month"
  title_changed() {   # with the menu gone, which covers part of the title
    menu_closed || return 1
    title_shot "$work/title-after.png" || return 1
    [ "$(pixels_apart "$work/title-before.png" "$work/title-after.png")" -gt 20 ]
  }
  poll 5 title_changed || fail "\"Next Month\" did not change the title"
else
  fail "right click on the title box opened no menu"
fi

# ---- exit ----------------------------------------------------------------------------------
exit_by_menu
if [ -z "$program_pid" ]; then
  read_stored_position || fail "Setting.cfg cannot be read"
  [ "$top" = "$win_y" ] && [ "$left" = "$win_x" ] ||
    fail "Setting.cfg holds Top ${top:-?}, Left ${left:-?}; the window was at Top $win_y, Left $win_x"
fi

# ---- tray only -----------------------------------------------------------------------------
if [ -z "$program_pid" ]; then
  settings=$(sed 's/"HideInTheTray": *false/"HideInTheTray": true/' <<<"$settings")
  "$notes_tool" settings-build "$folder/Setting.cfg" <<<"$settings" >/dev/null ||
    fail "Setting.cfg cannot be written"
  "$folder/orvenna" >"$work/tray-only.log" 2>&1 &
  program_pid=$!
  if poll 15 window_up; then
    window=$(calendar_window)
    check_on_desktop 0 tray-only
    exit_by_menu "with HideInTheTray on"
  else
    fail "the calendar did not appear with HideInTheTray on"
  fi
fi

[ "$failures" -eq 0 ] && echo "PASS: the calendar on the desktop" && exit 0
cat "$work/orvenna.log"
exit 1
