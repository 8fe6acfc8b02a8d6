#!/usr/bin/env bash
# A reminder alert from outside: the real program on an X display with a window manager, a tray
# host and a sound server with a null sink (run it inside scripts/xsession.sh --tray --sound).
# A one-off reminder due a minute ahead is written with the notes tool before the calendar
# starts; it checks that
#   - a popup "Reminder: <subject>" slides out at the bottom right of the work area, above the
#     panel, and reaches its full size of 148 x 121;
#   - the alert sound named in "Setting.cfg" plays through the sound server;
#   - a reminder the notes tool adds to the file while the calendar runs alerts in its minute;
#   - the calendar keeps running and ends by its menu.
#
#   reminder_e2e.sh BIN_DIR NOTES_TOOL [SCREENSHOT]
#
# With SCREENSHOT the screen is saved there once the popup is out. Prints each failure; exit
# status 0 or 1.
set -uo pipefail

bin_dir=$1
notes_tool=$2
screenshot=${3:-}
[ -n "${DISPLAY:-}" ] || { echo "FAIL: no DISPLAY (run inside scripts/xsession.sh --tray --sound)"; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/orvenna-e2e-reminder.XXXXXX")
program_pid=""
listener_pid=""
cleanup() {
  end_program
  [ -n "$listener_pid" ] && { kill "$listener_pid" 2>/dev/null; wait "$listener_pid" 2>/dev/null; }
  if [ "$failures" -eq 0 ]; then rm -rf "$work"; else echo "Kept for inspection: $work"; fi
}
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
trap cleanup EXIT
python=/usr/bin/python3

# ---- program folder: the sound, the settings naming it, the reminder ---------------------
folder="$work/program"
mkdir -p "$folder"
cp -r "$bin_dir"/orvenna "$bin_dir"/images "$bin_dir"/../lib/orvenna/orvenna-calendar.so "$folder"/
sound="$work/chime.wav"
"$python" - "$sound" <<'PY' || { echo "FAIL: cannot write the sound"; exit 1; }
import math, struct, sys, wave
with wave.open(sys.argv[1], "wb") as out:
    out.setnchannels(1); out.setsampwidth(2); out.setframerate(22050)
    out.writeframes(b"".join(struct.pack("<h", int(12000 * math.sin(i * 2 * math.pi * 880 / 22050)))
                             for i in range(22050)))
PY
echo "{\"SoundFile\": \"$sound\"}" | "$notes_tool" settings-build "$folder/Setting.cfg" >/dev/null ||
  { echo "FAIL: cannot write Setting.cfg"; exit 1; }

# Local date and time as the notes file counts them: days since 30 December 1899.
read -r today due < <("$python" - <<'PY'
from datetime import datetime, timedelta
now = datetime.now()
origin = datetime(1899, 12, 30)
due = now + timedelta(seconds=62)
print((now.date() - origin.date()).days, (due - origin).total_seconds() / 86400)
PY
)
subject="Dentist & check-up"
cat >"$work/notes.json" <<JSON
{"papers": [{"Day": $today, "Note": ["Dentist at the corner"],
  "ReminderList": [{"When": $due, "Subject": "$subject", "Desc": ["bring the card"]}]}]}
JSON
"$notes_tool" build "$folder/2004.cal" <"$work/notes.json" >/dev/null ||
  { echo "FAIL: cannot build the notes file"; exit 1; }
"$notes_tool" due "$folder/2004.cal" "$(date +%Y-%m-%d)" | grep -q "Dentist" ||
  fail "the reminder is not due today by the notes tool"

# Every new playback on the sound server is announced on this channel.
pactl subscribe >"$work/pulse-events.log" 2>&1 &
listener_pid=$!

# ---- the calendar --------------------------------------------------------------------------
start_calendar

# ---- the alert -----------------------------------------------------------------------------
read -r area_w area_h < <(xprop -root _NET_WORKAREA | sed 's/.*= //' | awk -F', ' '{ print $3, $4 }')
if poll 20 popup_out; then
  note "popup at $X,$Y size ${WIDTH}x$HEIGHT; work area ${area_w}x$area_h"
  [ "$X" -eq $((area_w - 148 - 16)) ] && [ "$Y" -eq $((area_h - 2 - 121)) ] ||
    fail "popup at $X,$Y, expected $((area_w - 148 - 16)),$((area_h - 2 - 121)) (bottom right of the work area)"
  [ -n "$screenshot" ] && import -window root "$screenshot"
else
  fail "no popup \"Reminder: $subject\" at full size within 20 s"
fi

sound_played() { grep -q "'new' on sink-input" "$work/pulse-events.log"; }
poll 5 sound_played || fail "no sound reached the sound server"

# ---- a reminder the notes tool adds while the calendar runs --------------------------------
# The tool rewrites the whole file by a rename; the calendar must take the new reminder up and
# alert it in the minute before its time, not earlier and not a second late.
late_subject="Call the garage"
read -r late_due alert_from < <("$python" - <<'PY'
import time
due = time.time() + 66
print(due, due - 60)
PY
)
"$notes_tool" dump "$folder/2004.cal" | "$python" -c '
import json, sys, time
from datetime import datetime
notes = json.load(sys.stdin)
notes.pop("error", None)
for paper in notes["papers"]:
    for reminder in paper["ReminderList"]:
        reminder.pop("ReminderTime", None)
due = datetime.fromtimestamp(float(sys.argv[1]))
when = (due - datetime(1899, 12, 30)).total_seconds() / 86400
notes["papers"][0]["ReminderList"].append({"When": when, "Subject": sys.argv[2]})
print(json.dumps(notes))' "$late_due" "$late_subject" | "$notes_tool" build "$folder/2004.cal" >/dev/null ||
  fail "the notes tool could not add the reminder"
late_popup() { xdotool search --all --onlyvisible --pid "$program_pid" --name "^Reminder: .* $late_subject\$" >/dev/null 2>&1; }
if poll 30 late_popup; then
  seen=$(date +%s.%N)
  note "the added reminder alerted $("$python" -c "print(round($seen - $alert_from, 2))") s into its minute"
  "$python" -c "import sys; sys.exit(0 if -0.1 <= $seen - $alert_from <= 1.5 else 1)" ||
    fail "the added reminder alerted at $seen, its minute began at $alert_from"
  [ -n "$screenshot" ] && import -window root "${screenshot%.png}-added.png"
  # The rewrite happened within the first reminder's minute: it must not alert a second time.
  first_popups=$(xdotool search --all --onlyvisible --pid "$program_pid" --name "^Reminder: .* $subject\$" 2>/dev/null | wc -l)
  [ "$first_popups" -le 1 ] || fail "the first reminder alerted again ($first_popups popups) after the file was rewritten"
else
  fail "no popup \"Reminder: $late_subject\" for the reminder the notes tool added"
fi
kill -0 "$program_pid" 2>/dev/null || fail "the calendar ended after the alert"
exit_by_menu "after an alert"

[ "$failures" -eq 0 ] && echo "PASS: a reminder alerts with popup and sound" && exit 0
cat "$work/orvenna.log"
exit 1
