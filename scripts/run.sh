#!/usr/bin/env bash
# Installs what is needed, builds, and shows the calendar on a desktop without needing one: a
# virtual X session (scripts/xsession.sh) with a window manager and a tray host, a generated
# wallpaper, and a notes file with a few notes in the current month (their days underlined).
# It takes a screenshot, says where it is, and ends the program through its own "E&xit".
#
# The notes tool runs on the same demonstration: the file is built from JSON and dumped.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORVENNA_BUILD_DIR:-$root/build}

# ---- inside the X session ------------------------------------------------------------------
if [ "${1:-}" = "--inside" ]; then
  folder=$2 shot=$3
  wall="$folder/../wallpaper.png"
  gsettings set org.gnome.desktop.background picture-uri "file://$wall"
  gsettings set org.gnome.desktop.background picture-options stretched
  display -window root "$wall" &   # the root window shows it too, between the cells
  painter=$!
  "$folder/orvenna" &
  program=$!
  trap 'kill $program $painter 2>/dev/null || true' EXIT
  deadline=$((SECONDS + 20))
  window=""
  until [ -n "$window" ] && [ -s "$folder/bk.bmp" ]; do
    [ "$SECONDS" -lt "$deadline" ] || { echo "The calendar window did not appear." >&2; exit 1; }
    kill -0 "$program" 2>/dev/null || { echo "The program ended early." >&2; exit 1; }
    sleep 0.1
    window=$(xdotool search --onlyvisible --pid "$program" --name '^Orvenna$' 2>/dev/null | head -1 || true)
  done
  # The cells are drawn once the wallpaper pieces are cut: wait until the screen settles.
  previous=""
  while [ "$SECONDS" -lt "$deadline" ]; do
    current=$(import -window root -crop 296x216+984+584 +repage -depth 8 rgb:- 2>/dev/null | md5sum)
    [ "$current" = "$previous" ] && break
    previous=$current
    sleep 0.3
  done
  import -window root "$shot"
  eval "$(xdotool getwindowgeometry --shell "$window")"
  echo "The calendar window is at $X,$Y, $WIDTH x $HEIGHT."
  xdotool mousemove $((X + 100)) $((Y + 16)) click 3
  sleep 0.5
  xdotool key x    # "E&xit" in the title's menu
  for _ in $(seq 50); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$program" 2>/dev/null; then echo "Exit did not end the program; stopping it."; fi
  exit 0
fi

"$root/scripts/setup.sh"
"$root/scripts/build.sh"

demo="$build/demo"
folder="$demo/program"
rm -rf "$folder"
mkdir -p "$folder" "$build/screenshots"
cp -r "$build/bin/orvenna" "$build/bin/images" "$folder/"

# Notes on three days of this month (day numbers count from 30 December 1899).
day_number() { echo $(( $(date -u -d "$1" +%s) / 86400 + 25569 )); }
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
tool="$build/bin/orvenna-notes"
"$tool" build "$folder/2004.cal" <"$demo/notes.json"
echo "== orvenna-notes dump $folder/2004.cal"
"$tool" dump "$folder/2004.cal"
echo "== orvenna-notes due $folder/2004.cal $(date +%Y-%m-%d)"
"$tool" due "$folder/2004.cal" "$(date +%Y-%m-%d)"

# A wallpaper with a gradient and a few shapes, the size of the virtual screen.
convert -size 1280x800 gradient:'#1d3a6b-#d08a3c' \
  -fill '#2f9e5a' -draw 'circle 1120,680 1240,680' \
  -fill '#b8325a' -draw 'rectangle 980,560 1080,740' \
  -fill '#6a3fb0' -draw 'circle 300,250 300,400' \
  -type TrueColor "PNG24:$demo/wallpaper.png"

shot="$build/screenshots/orvenna.png"
"$root/scripts/xsession.sh" --tray --size 1280x800 -- "$0" --inside "$folder" "$shot"
echo "The screenshot of the calendar on the desktop is $shot"
