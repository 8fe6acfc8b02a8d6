#!/usr/bin/env bash
# A reminder that falls due while the program stands still, on the real program under an X
# display with a window manager (run it inside scripts/xsession.sh). The notes file holds a
# one-off reminder 75 s ahead; once the calendar is up, the program is stopped (SIGSTOP) until
# the reminder's minute is well past, then continued (SIGCONT). Meanwhile the monotonic clock
# ran on with the wall clock, so only the late timer tells that moments passed unseen. It checks
# that
#   - the "Missed reminders" window comes up after the program continues, and no alert does
#     (the reminder's minute has passed);
#   - "Alerts.dat" notes a last check past the reminder only once it is listed;
#   - the calendar then ends by its menu.
#
#   stopped_e2e.sh BIN_DIR NOTES_TOOL [SCREENSHOT]
#
# With SCREENSHOT the screen is saved there once the list is up. Prints each failure; exit
# status 0 or 1.
set -uo pipefail

bin_dir=$1
notes_tool=$2
screenshot=${3:-}
[ -n "${DISPLAY:-}" ] || { echo "FAIL: no DISPLAY (run inside scripts/xsession.sh)"; exit 1; }
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
prepare_program_folder stopped
python=/usr/bin/python3
lead=75

# Local date and time as the notes file counts them: days since 30 December 1899.
read -r today due due_epoch < <("$python" - "$lead" <<'PY'
import sys, time
from datetime import datetime, timedelta
now = datetime.now()
origin = datetime(1899, 12, 30)
due = now + timedelta(seconds=int(sys.argv[1]))
print((now.date() - origin.date()).days, (due - origin).total_seconds() / 86400,
      time.time() + int(sys.argv[1]))
PY
)
subject="Take the cake out"
echo "{\"papers\": [{\"Day\": $today, \"ReminderList\": [{\"When\": $due, \"Subject\": \"$subject\"}]}]}" |
  "$notes_tool" build "$folder/2004.cal" >/dev/null || { echo "FAIL: cannot build the notes file"; exit 1; }

start_calendar
# The timer is armed for the minute before the reminder: the stop must come before that.
left=$("$python" -c "print(int($due_epoch - __import__('time').time()))")
[ "$left" -gt 62 ] || { fail "the calendar took too long to start ($left s left before the reminder)"; exit 1; }
kill -STOP "$program_pid"
note "stopped $left s before the reminder"
# Past the reminder's minute: a check now would find it more than a minute late.
sleep $((left + 65))
kill -CONT "$program_pid"

missed_window() { xdotool search --all --onlyvisible --pid "$program_pid" --name '^Missed reminders$' 2>/dev/null | head -1; }
missed_shown() { [ -n "$(missed_window)" ]; }
if poll 15 missed_shown; then
  [ -n "$screenshot" ] && import -window root "$screenshot"
  [ -z "$(popup_window)" ] || fail "the reminder alerted as well as being listed"
  last_check=$(sed -n 's/^LastCheck=//p' "$folder/Alerts.dat")
  "$python" -c "import sys; sys.exit(0 if float('$last_check') > $due else 1)" ||
    fail "\"Alerts.dat\" notes a last check of $last_check, before the reminder at $due"
  xdotool windowactivate --sync "$(missed_window)" 2>/dev/null
  xdotool key --window "$(missed_window)" alt+a
  missed_gone() { ! missed_shown; }
  poll 5 missed_gone || fail "\"Dismiss all\" did not close the missed reminders"
else
  fail "no \"Missed reminders\" window for the reminder that fell due while the program was stopped"
fi
kill -0 "$program_pid" 2>/dev/null || fail "the calendar ended after it was continued"
exit_by_menu "after being stopped and continued"

[ "$failures" -eq 0 ] && echo "PASS: a reminder due while the program was stopped is listed as missed" && exit 0
cat "$work/orvenna.log"
exit 1
