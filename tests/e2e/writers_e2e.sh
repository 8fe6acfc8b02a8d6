#!/usr/bin/env bash
# Two programs writing "2004.cal" at once, on the real program under an X display with a window
# manager (run it inside scripts/xsession.sh). While a note is typed in today's editor, the
# notes tool imports ten events 150 ms apart, so the calendar's file watch never sees the file
# settle; the editor is saved with Ctrl+Enter in the middle of that burst. It checks that
#   - every tool import succeeds (the calendar holds the file's lock only while it saves);
#   - the file then holds all ten imported events and the typed line;
#   - after "E&xit" the file still holds them all.
#
#   writers_e2e.sh BIN_DIR NOTES_TOOL
#
# Prints each failure; exit status 0 or 1.
set -uo pipefail

bin_dir=$1
notes_tool=$2
[ -n "${DISPLAY:-}" ] || { echo "FAIL: no DISPLAY (run inside scripts/xsession.sh)"; exit 1; }
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
prepare_program_folder writers
writes=10

# Ten calendars of one event each, two days ahead (in this month or the next).
event_day=$(date -d '+2 days' +%Y%m%d)
for i in $(seq 1 "$writes"); do
  printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Orvenna tests//EN\r\nBEGIN:VEVENT\r\nUID:writer-%s@tests\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:%sT%02d0000\r\nSUMMARY:Tool event %s\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n' \
    "$i" "$event_day" $((i + 8)) "$i" >"$work/event-$i.ics"
done

start_calendar
locate_today_cell
open_today_editor || { fail "a double click on day $day opened no editor"; exit 1; }
xdotool type --delay 20 "Typed while the tool writes"

# The burst: each import is a whole read-modify-write of the file under its lock.
(
  for i in $(seq 1 "$writes"); do
    "$notes_tool" import-ics "$folder/2004.cal" "$work/event-$i.ics" >>"$work/imports.log" 2>&1 ||
      echo "import $i failed" >>"$work/import-failures.log"
    sleep 0.15
  done
) &
burst_pid=$!
# Saved in the middle of the burst: the watch has not taken the last writes up.
sleep 0.8
xdotool key ctrl+Return
wait "$burst_pid"
poll 5 editor_gone || fail "Ctrl+Enter did not save and close the editor"
[ -e "$work/import-failures.log" ] && fail "$(cat "$work/import-failures.log") (see $work/imports.log)"

holds_everything() {
  "$notes_tool" dump "$folder/2004.cal" >"$work/dump.json" 2>/dev/null || return 1
  grep -q '"Typed while the tool writes"' "$work/dump.json" || return 1
  local i
  for i in $(seq 1 "$writes"); do
    grep -q "\"Tool event $i\"" "$work/dump.json" || return 1
  done
}
# The program's save lays its change over the file as it finds it; once the watch has looked,
# nothing of either writer is missing.
sleep 1
holds_everything || {
  fail "the file lost a write: $(grep -o '"Tool event [0-9]*"' "$work/dump.json" 2>/dev/null | wc -l) of $writes tool events, typed line $(grep -c 'Typed while' "$work/dump.json" 2>/dev/null)"
}

exit_by_menu "after the burst of outside writes"
holds_everything || fail "after Exit the file no longer holds every write"

[ "$failures" -eq 0 ] && echo "PASS: an editor's save within a burst of tool writes keeps every write" && exit 0
cat "$work/dump.json" "$work/orvenna.log" 2>/dev/null
exit 1
