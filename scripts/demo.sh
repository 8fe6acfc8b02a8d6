#!/usr/bin/env bash
# The demonstration of a first start, in two steps that the run command and its end-to-end test
# share:
#
#   scripts/demo.sh prepare BIN_DIR DEMO_DIR
#     A program folder DEMO_DIR/program as a fresh install has it (no "firstrun.dat"), with a
#     notes file of three notes in the current month built by the notes tool from JSON and
#     dumped, and a wallpaper DEMO_DIR/wallpaper.png of 1280 x 800.
#
#   scripts/demo.sh show DEMO_DIR SHOT_DIR      (inside an X session with a tray host)
#     Starts the program as a user does the first time: the first-run notice comes up and is
#     kept in SHOT_DIR/notice.png; OK is pressed with the mouse; the calendar comes up on the
#     wallpaper and is kept in SHOT_DIR/orvenna.png, with no other window of the program
#     over it; the program is ended through its own "E&xit". Any step that does not happen
#     ends the script with a message and status 1.
set -euo pipefail

usage() { echo "usage: $0 prepare BIN_DIR DEMO_DIR | show DEMO_DIR SHOT_DIR" >&2; exit 2; }
die() { echo "$*" >&2; exit 1; }

# ---- prepare ---------------------------------------------------------------------------------
# Day numbers count from 30 December 1899.
day_number() { echo $(( $(date -u -d "$1" +%s) / 86400 + 25569 )); }

prepare() {
  local bin=$1 demo=$2 folder month tool
  folder="$demo/program"
  rm -rf "$folder"
  mkdir -p "$folder"
  cp -r "$bin/orvenna" "$bin/images" "$bin/../lib/orvenna/orvenna-calendar.so" "$folder/"

  month=$(date +%Y-%m)
  cat >"$demo/notes.json" <<EOF
{
  "papers": [
    {"Day": $(day_number "$month-03"), "Note": ["Dentist at 9:30"],
     "ReminderList": [{"When": $(day_number "$month-03").395833, "category": "Calls", "Subject": "Dentist", "Before": 2}]},
    {"Day": $(day_number "$month-12"), "Note": ["Café with Zoë", "Ηλίας brings the cake"]},
    {"Day": $(day_number "$month-21"), "Note": ["Pay the rent"]}
  ]
}
EOF
  tool="$bin/orvenna-notes"
  "$tool" build "$folder/2004.cal" <"$demo/notes.json"
  echo "== orvenna-notes dump $folder/2004.cal"
  "$tool" dump "$folder/2004.cal"
  echo "== orvenna-notes due $folder/2004.cal $(date +%Y-%m-%d)"
  "$tool" due "$folder/2004.cal" "$(date +%Y-%m-%d)"

  # A gradient and a few shapes, the size of the virtual screen.
  convert -size 1280x800 gradient:'#1d3a6b-#d08a3c' \
    -fill '#2f9e5a' -draw 'circle 1120,680 1240,680' \
    -fill '#b8325a' -draw 'rectangle 980,560 1080,740' \
    -fill '#6a3fb0' -draw 'circle 300,250 300,400' \
    -type TrueColor "PNG24:$demo/wallpaper.png"
}

# ---- show ------------------------------------------------------------------------------------
# Runs a condition (a command) every 100 ms until it holds or the deadline in seconds passes;
# fails at once when the program has ended.
wait_until() {
  local seconds=$1; shift
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    kill -0 "$program" 2>/dev/null || die "The program ended early."
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

# The program's visible windows named exactly $1 (the tray icon and the menu carry the
# program's name too: the calendar is the one 296 pixels wide).
windows_named() { xdotool search --all --onlyvisible --pid "$program" --name "^$1\$" 2>/dev/null || true; }
calendar_window() {
  local id
  for id in $(windows_named Orvenna); do
    xwininfo -id "$id" 2>/dev/null | grep -q 'Width: 296$' && { echo "$id"; return; }
  done
}
notice_up() { notice=$(windows_named Notice | head -1); [ -n "$notice" ]; }
notice_gone() { [ -z "$(windows_named Notice)" ]; }
calendar_up() { window=$(calendar_window); [ -n "$window" ] && [ -s "$folder/bk.bmp" ]; }
# Nothing of the program but the calendar on screen: the notice and the splash are gone.
calendar_alone() {
  local id
  for id in $(xdotool search --all --onlyvisible --pid "$program" 2>/dev/null); do
    [ "$id" = "$window" ] && continue
    xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' || continue
    # The tray icon lives in the tray host's strip, 28 pixels high at most.
    xwininfo -id "$id" | grep -q 'Height: \([0-9]\|1[0-9]\|2[0-8]\)$' || return 1
  done
}
menu_open() { [ "$(xdotool search --onlyvisible --pid "$program" 2>/dev/null | wc -l)" -gt "$menu_before" ]; }
# X, Y, WIDTH and HEIGHT of a window's inside on the screen (xdotool's geometry counts a
# decorated window's frame in).
place_of() {
  local info
  info=$(xwininfo -id "$1") || return 1
  X=$(sed -n 's/^ *Absolute upper-left X: *//p' <<<"$info")
  Y=$(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$info")
  WIDTH=$(sed -n 's/^ *Width: *//p' <<<"$info")
  HEIGHT=$(sed -n 's/^ *Height: *//p' <<<"$info")
}
# The window's area has stopped changing between two looks.
settled_area=""
screen_settled() {
  local current
  current=$(import -window root -crop "$1" +repage -depth 8 rgb:- 2>/dev/null | md5sum)
  [ "$current" = "$settled_area" ] && return 0
  settled_area=$current
  return 1
}

show() {
  local demo shots=$2 wall
  demo=$(cd "$1" && pwd)   # the wallpaper's address needs the whole path
  folder="$demo/program"
  wall="$demo/wallpaper.png"
  mkdir -p "$shots"
  [ -e "$folder/firstrun.dat" ] && die "$folder is not a fresh program folder: it has firstrun.dat."
  gsettings set org.gnome.desktop.background picture-uri "file://$wall"
  gsettings set org.gnome.desktop.background picture-options stretched
  display -window root "$wall" &   # the root window shows it too, between the cells
  painter=$!
  "$folder/orvenna" &
  program=$!
  trap 'kill "$program" "$painter" 2>/dev/null || true' EXIT

  wait_until 20 notice_up || die "The first-run notice did not appear."
  place_of "$notice"
  wait_until 5 screen_settled "${WIDTH}x${HEIGHT}+$X+$Y" || true
  import -window root "$shots/notice.png"
  echo "The first-run notice is at $X,$Y, $WIDTH x $HEIGHT."
  # OK is the notice's default button, 75 x 25 at (328, 208): click its middle.
  xdotool mousemove $((X + 365)) $((Y + 220)) click 1
  wait_until 5 notice_gone || die "OK did not close the first-run notice."

  wait_until 20 calendar_up || die "The calendar window did not appear."
  wait_until 10 calendar_alone || die "Another window of the program stays over the calendar."
  place_of "$window"
  # The cells are drawn once the wallpaper pieces are cut: wait until the window settles.
  settled_area=""
  wait_until 10 screen_settled "${WIDTH}x${HEIGHT}+$X+$Y" || true
  import -window root "$shots/orvenna.png"
  echo "The calendar window is at $X,$Y, $WIDTH x $HEIGHT."

  # "E&xit" in the title's menu ends the program with status 0.
  menu_before=$(xdotool search --onlyvisible --pid "$program" 2>/dev/null | wc -l)
  xdotool mousemove $((X + 100)) $((Y + 16)) click 3
  wait_until 5 menu_open || die "The title's menu did not open."
  xdotool key x
  local deadline=$((SECONDS + 10))
  while kill -0 "$program" 2>/dev/null; do
    [ "$SECONDS" -lt "$deadline" ] || die "\"E&xit\" did not end the program."
    sleep 0.1
  done
  wait "$program" || die "The program ended with status $? after \"E&xit\"."
}

case "${1:-}" in
  prepare) [ $# -eq 3 ] || usage; prepare "$2" "$3" ;;
  show) [ $# -eq 3 ] || usage; show "$2" "$3" ;;
  *) usage ;;
esac
