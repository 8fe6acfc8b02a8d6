#!/usr/bin/env bash
# The note editor driven as a user would: the real program on an X display with a window
# manager (run it inside scripts/xsession.sh). A double click on today's cell opens "Note and
# Reminder"; two note lines are typed, a reminder time is picked from the grid's list, the
# subject is typed in the "Reminder" dialog, and Ctrl+Enter saves. It checks that
#   - the editor and the dialog open and close;
#   - the day is underlined on the calendar at once;
#   - "orvenna-notes dump" shows the two lines and the reminder in "2004.cal";
#   - a SIGTERM (a log-out) with a line typed in the editor saves the line and ends the program.
#
#   editor_e2e.sh BIN_DIR NOTES_TOOL
#
# With E2E_SHOTS set to a folder, screenshots of the note sheet, the open pick list and the
# reminder dialog are kept there.
# Prints each failure; exit status 0 or 1.
set -uo pipefail

bin_dir=$1
notes_tool=$2
[ -n "${DISPLAY:-}" ] || { echo "FAIL: no DISPLAY (run inside scripts/xsession.sh)"; exit 1; }

source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
prepare_program_folder editor
start_calendar

locate_today_cell
cell_shot() { import -window root -crop "32x32+${cell_x}+${cell_y}" +repage "$1" 2>/dev/null; }
pixels_apart() { compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1 || true; }
cell_shot "$work/cell-before.png"

# ---- the editor ----------------------------------------------------------------------------
open_today_editor || { fail "a double click on day $day opened no editor"; exit 1; }
xdotool type --delay 20 "Dentist at nine"
xdotool key Return
xdotool type --delay 20 "bring the card"

page_shot() { import -window "$editor" -crop 300x250+5+30 +repage "$1" 2>/dev/null; }
page_shot "$work/page-note.png"
[ -z "${E2E_SHOTS:-}" ] || import -window root "$E2E_SHOTS/note-sheet.png" 2>/dev/null
page_changed() { page_shot "$work/page-now.png" && [ "$(pixels_apart "$work/page-note.png" "$work/page-now.png")" -gt 500 ]; }
xdotool mousemove --window "$editor" 118 362 click 1            # the "Reminder" tab
poll 5 page_changed || fail "the \"Reminder\" page did not open"

# The time from the pick list of the first reminder row.
windows_before=$(visible_windows)
list_open() { [ "$(visible_windows)" -gt "$windows_before" ]; }
list_closed() { [ "$(visible_windows)" -eq "$windows_before" ]; }
xdotool mousemove --window "$editor" 35 63 click 1
xdotool key F4
poll 5 list_open || fail "the time cell's pick list did not open"
[ -z "${E2E_SHOTS:-}" ] || import -window root "$E2E_SHOTS/pick-list.png" 2>/dev/null
xdotool key Down Down Down Return
poll 5 list_closed || fail "the pick list did not close"

# The ellipsis button of the row opens the dialog.
dialog_window() { xdotool search --all --onlyvisible --pid "$program_pid" --name '^Reminder' 2>/dev/null | head -1; }
dialog_focused() { local id; id=$(dialog_window); [ -n "$id" ] && [ "$(xdotool getwindowfocus)" = "$id" ]; }
for try in 1 2 3; do
  xdotool mousemove --window "$editor" 200 63 click 1
  xdotool mousemove --window "$editor" 300 63 click 1
  poll 3 dialog_focused && break
done
if dialog_focused; then
  [ -z "${E2E_SHOTS:-}" ] || import -window root "$E2E_SHOTS/reminder-dialog.png" 2>/dev/null
  xdotool type --delay 20 "Dentist"
  xdotool key Return
  dialog_gone() { [ -z "$(dialog_window)" ]; }
  poll 5 dialog_gone || fail "OK did not close the reminder dialog"
else
  fail "the ellipsis button opened no reminder dialog"
fi

xdotool key ctrl+Return
poll 5 editor_gone || fail "Ctrl+Enter did not save and close the editor"

# ---- what the calendar and the file show ---------------------------------------------------
underlined() { cell_shot "$work/cell-after.png" && [ "$(pixels_apart "$work/cell-before.png" "$work/cell-after.png")" -gt 5 ]; }
poll 5 underlined || fail "day $day is not underlined after the save"
"$notes_tool" dump "$folder/2004.cal" >"$work/dump.json" || fail "2004.cal cannot be read"
grep -q '"Dentist at nine"' "$work/dump.json" && grep -q '"bring the card"' "$work/dump.json" ||
  fail "the note lines are not in 2004.cal"
grep -q '"Subject": "Dentist"' "$work/dump.json" || fail "the reminder is not in 2004.cal"
exit_by_menu "after editing a note"

# ---- a log-out while the editor holds a typed line -------------------------------------------
# The session ends its programs with SIGTERM: the line is saved and the program ends by itself.
start_calendar
open_today_editor || fail "no editor opened for the log-out"
xdotool key ctrl+a
xdotool type --delay 20 "Typed before the log-out"
kill -TERM "$program_pid"
ended() { ! kill -0 "$program_pid" 2>/dev/null; }
if poll 5 ended; then
  wait "$program_pid"; status=$?
  program_pid=""
  [ "$status" -eq 0 ] || fail "the program ended with status $status after SIGTERM"
  "$notes_tool" dump "$folder/2004.cal" >"$work/dump.json" || fail "2004.cal cannot be read"
  grep -q '"Typed before the log-out"' "$work/dump.json" ||
    fail "the line typed before the log-out is not in 2004.cal"
else
  fail "SIGTERM did not end the program"
fi

[ "$failures" -eq 0 ] && echo "PASS: the editor saves a note and a reminder" && exit 0
cat "$work/dump.json" "$work/orvenna.log" 2>/dev/null
exit 1
