#!/usr/bin/env bash
# The windows beside an open editor, on the real program under an X display with a window
# manager and a tray host (run it inside scripts/xsession.sh --tray). Another day's editor is
# opened with a double click on its cell and stays open while
#   - two snoozed alerts come back: "Dismiss" takes the first away, and a click on the second
#     one's message opens the note of the reminder's own day (a line typed there lands on it);
#   - Super+Space brings today's editor to the front with the focus: the line typed lands on
#     today's paper;
#   - a left click on the tray icon opens the menu and no editor, and a double click opens
#     today's note with the focus and no menu.
# Nothing typed lands on the other day's note.
#
#   windows_e2e.sh BIN_DIR NOTES_TOOL
#
# With E2E_SHOTS set to a folder, screenshots taken on the way are kept there.
# Prints each failure; exit status 0 or 1.
set -uo pipefail

bin_dir=$1
notes_tool=$2
[ -n "${DISPLAY:-}" ] || { echo "FAIL: no DISPLAY (run inside scripts/xsession.sh --tray)"; exit 1; }
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
prepare_program_folder windows
python=/usr/bin/python3
shot() { [ -n "${E2E_SHOTS:-}" ] && import -window root "$E2E_SHOTS/$1.png" 2>/dev/null; true; }

# ---- program folder ------------------------------------------------------------------------
# The reminders' day: nine days back (ten when that is a 1st, the day a calendar shows first).
# The other day: a Sunday to Tuesday of this month that is not today, so that its cell lies
# left of where the alerts come out over the calendar's corner.
read -r now today reminder_day other_day other_date < <("$python" - <<'PY'
from datetime import date, datetime, timedelta
origin = datetime(1899, 12, 30)
now = datetime.now()
t = now.date()
back = t - timedelta(days=9)
if back.day == 1:
    back -= timedelta(days=1)
other = next(d for d in (t.replace(day=n) for n in range(1, 29))
             if d != t and d != back and (d.weekday() + 1) % 7 <= 2)
count = lambda d: (d - origin.date()).days
print((now - origin).total_seconds() / 86400, count(t), count(back), count(other), other.isoformat())
PY
)
first_subject="Water the plants"
subject="Call the garage"
until=$("$python" -c "print($now + 15 / 86400)")
moment=$("$python" -c "print($reminder_day + 0.375)")
printf 'Orvenna alerts 1\nStayUntilDismissed=1\nSnoozeMinutes=5\nLastCheck=%s\n' "$now" >"$folder/Alerts.dat"
for s in "$first_subject" "$subject"; do
  printf 'Snooze=%s\t%s\t%s\t%s\t0\t0\t%s\n' "$until" "$moment" "$reminder_day" "$moment" "$s" >>"$folder/Alerts.dat"
done
echo End >>"$folder/Alerts.dat"
echo "{\"papers\": [{\"Day\": $reminder_day, \"ReminderList\": [
  {\"When\": $moment, \"Subject\": \"$first_subject\"}, {\"When\": $moment, \"Subject\": \"$subject\"}]}]}" |
  "$notes_tool" build "$folder/2004.cal" >/dev/null || { echo "FAIL: cannot build the notes file"; exit 1; }

# Whether a note line of the day's paper (a day count) holds the text.
paper_holds() {
  "$notes_tool" dump "$folder/2004.cal" >"$work/dump.json" || return 1
  "$python" - "$work/dump.json" "$1" "$2" <<'PY'
import json, sys
papers = json.load(open(sys.argv[1]))["papers"]
sys.exit(0 if any(int(p["Day"]) == int(sys.argv[2]) and sys.argv[3] in line
                  for p in papers for line in p.get("Note", [])) else 1)
PY
}
editors() { xdotool search --all --onlyvisible --pid "$program_pid" --name '^Note and Reminder' 2>/dev/null; }
# An editor other than the one given has the focus; sets focused.
other_editor_focused() {
  focused=$(xdotool getwindowfocus 2>/dev/null)
  [ "$focused" != "$1" ] && editors | grep -qx "$focused"
}
# Types a line into the focused window and saves it with Ctrl+Enter; the editor must close.
type_and_save() {
  local editor=$1
  xdotool type --delay 20 "$2"
  xdotool key ctrl+Return
  closed() { ! editors | grep -qx "$editor"; }
  poll 5 closed || fail "Ctrl+Enter did not close the editor with \"$2\""
}

start_calendar

# ---- another day's editor, which the calendar waits on -----------------------------------------
locate_day_cell "$other_date"
xdotool mousemove $((cell_x + 16)) $((cell_y + 16)) click --repeat 2 --delay 80 1
poll 10 editor_focused || { fail "a double click on day $day opened no editor"; exit 1; }
waited=$(editor_window)

# ---- alerts answered while it is open ----------------------------------------------------------
subject=$first_subject
poll 60 popup_out || { fail "no popup \"Reminder: $subject\" within 60 s"; exit 1; }
first=$(popup_window) first_x=$X first_y=$Y
subject="Call the garage"
poll 10 popup_out || { fail "no popup \"Reminder: $subject\""; exit 1; }
shot alerts-over-editor
gone() { ! xdotool search --all --onlyvisible --pid "$program_pid" 2>/dev/null | grep -qx "$1"; }
xdotool mousemove $((first_x + 110)) $((first_y + 102)) click 1
poll 5 gone "$first" || fail "\"Dismiss\" did not take the alert away while an editor is open"

# The message's line, in the middle of the popup, once the popup stands still (the others may
# close up after the dismissed one).
steady() { popup_out && local was="$X $Y" && sleep 0.5 && popup_out && [ "$X $Y" = "$was" ]; }
poll 5 steady || fail "the popup \"Reminder: $subject\" did not stand still"
xdotool mousemove $((X + WIDTH / 2)) $((Y + 45)) click 1
if poll 10 other_editor_focused "$waited"; then
  type_and_save "$focused" "Typed after the alert click"
  paper_holds "$reminder_day" "Typed after the alert click" ||
    fail "the line typed after the alert click is not on the reminder's day"
else
  fail "a click on the alert's message opened no editor with the focus"
fi

# ---- the hot key while it is open -----------------------------------------------------------
xdotool windowactivate --sync "$waited" 2>/dev/null
poll 5 editor_focused || fail "the waited-on editor did not take the focus back"
xdotool key super+space
poll 10 other_editor_focused "$waited" || fail "Super+Space left the focus on the other day's editor"
shot hotkey-over-editor
type_and_save "$focused" "Typed after the hot key"
paper_holds "$today" "Typed after the hot key" ||
  fail "the line typed after Super+Space is not on today's paper"

# ---- the tray icon while it is open ---------------------------------------------------------
# The tray icon: the program's small window without a name, embedded in the tray host's strip.
tray_icon() {
  local id
  for id in $(xdotool search --all --onlyvisible --pid "$program_pid" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    [ "$WIDTH" -le 32 ] && { echo "$id"; return; }
  done
}
icon=$(tray_icon)
if [ -z "$icon" ]; then
  fail "no tray icon"
else
  windows_before=$(visible_windows)
  editors_before=$(editors | wc -l)
  menu_open() { [ "$(visible_windows)" -gt "$windows_before" ] && [ "$(editors | wc -l)" -eq "$editors_before" ]; }
  xdotool mousemove --window "$icon" 8 8 click 1
  if poll 5 menu_open; then
    shot tray-menu
    xdotool key Escape
    menu_closed() { [ "$(visible_windows)" -eq "$windows_before" ]; }
    poll 5 menu_closed || fail "Esc did not close the tray's menu"
  else
    fail "a left click on the tray icon opened no menu (or an editor)"
  fi
  # Away and back: a click close in time and place to the one before would make a double click.
  xdotool mousemove 0 0 sleep 1
  xdotool mousemove --window "$icon" 8 8 click --repeat 2 --delay 80 1
  if poll 10 other_editor_focused "$waited"; then
    # Well past the double-click interval nothing but the editor came.
    sleep 1
    [ "$(visible_windows)" -eq $((windows_before + 1)) ] ||
      fail "a double click on the tray icon opened more than the editor"
    type_and_save "$focused" "Typed after the tray"
    paper_holds "$today" "Typed after the tray" ||
      fail "the line typed after the tray's double click is not on today's paper"
  else
    fail "a double click on the tray icon opened no editor with the focus"
  fi
fi

# ---- the other day's editor closed ------------------------------------------------------------
xdotool windowactivate --sync "$waited" 2>/dev/null
# Its round cross button closes it unsaved.
xdotool mousemove --window "$waited" 282 366 click 1
poll 5 editor_gone || fail "the cross button did not close the other day's editor"
paper_holds "$other_day" "Typed" && fail "a line typed elsewhere went into the other day's note"

exit_by_menu "after the windows"
[ "$failures" -eq 0 ] &&
  echo "PASS: alerts, the hot key and the tray answer beside an open editor" && exit 0
cat "$work/dump.json" "$work/orvenna.log" 2>/dev/null
exit 1
