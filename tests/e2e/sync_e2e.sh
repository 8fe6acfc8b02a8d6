#!/usr/bin/env bash
# The real program synced with a private CalDAV server (Radicale with a password), its password
# in a private Secret Service (run it inside tests/support/keyring_session.sh and
# scripts/xsession.sh). It checks that
#   - the password is taken from the desktop's password store and never written to a file of
#     the program's folder;
#   - a reminder put on the server before the start arrives and alerts on the desktop;
#   - a note written in the editor reaches the server a few seconds after the save;
#   - the calendar ends by its menu.
#
#   sync_e2e.sh BIN_DIR NOTES_TOOL
set -uo pipefail

bin_dir=$1
notes_tool=$2
[ -n "${DISPLAY:-}" ] || { echo "FAIL: no DISPLAY (run inside scripts/xsession.sh)"; exit 1; }
[ -n "${ORVENNA_KEYRING_SESSION:-}" ] || { echo "FAIL: run inside tests/support/keyring_session.sh"; exit 1; }
python=/usr/bin/python3
# A machine without the server or the tools skips the test (77); everything else that goes
# wrong fails it.
for tool in curl secret-tool; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (scripts/setup.sh)"; exit 77; }
done
"$python" -c 'import radicale' 2>/dev/null || { echo "SKIP: Radicale is not installed (scripts/setup.sh)"; exit 77; }

source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
prepare_program_folder sync
server_pid=""
stop_server() { [ -n "$server_pid" ] && { kill "$server_pid" 2>/dev/null; wait "$server_pid" 2>/dev/null; }; }
trap 'stop_server; cleanup' EXIT

# ---- the server: Radicale on a free port, user "anna" with a password ---------------------
password="s3cret pass"
port=$("$python" -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
printf 'anna:%s\n' "$password" >"$work/users"
"$python" -m radicale --config "" --server-hosts "127.0.0.1:$port" --auth-type htpasswd \
  --auth-htpasswd-filename "$work/users" --auth-htpasswd-encryption plain \
  --storage-filesystem-folder "$work/storage" >"$work/radicale.log" 2>&1 &
server_pid=$!
server_up() { curl -s -o /dev/null "http://127.0.0.1:$port/"; }
poll 30 server_up || { fail "Radicale did not start"; cat "$work/radicale.log"; exit 1; }
calendar="http://127.0.0.1:$port/anna/cal/"
status=$(curl -s -o /dev/null -w '%{http_code}' -u "anna:$password" -X MKCALENDAR "$calendar")
[ "$status" = 201 ] || { fail "MKCALENDAR answered $status"; exit 1; }

# A reminder on the server, due in about 80 seconds: a timed event in UTC.
subject="Call from the phone"
read -r start stamp < <("$python" -c '
from datetime import datetime, timedelta, timezone
due = datetime.now(timezone.utc) + timedelta(seconds=80)
print(due.strftime("%Y%m%dT%H%M00Z"), datetime.now(timezone.utc).strftime("%Y%m%dT%H%M%SZ"))')
printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//phone//EN\r\nBEGIN:VEVENT\r\nUID:phone-1\r\nDTSTAMP:%s\r\nDTSTART:%s\r\nSUMMARY:%s\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n' \
  "$stamp" "$start" "$subject" >"$work/phone.ics"
status=$(curl -s -o /dev/null -w '%{http_code}' -u "anna:$password" -T "$work/phone.ics" \
  -H 'Content-Type: text/calendar' "${calendar}phone-1.ics")
[ "$status" = 201 ] || { fail "PUT of the reminder answered $status"; exit 1; }

# ---- the account: the address and the user in the side file, the password in the keyring -----
printf 'Orvenna sync account 1\nServer=%s\nUser=anna\nCalendar=\nEnd\n' "$calendar" >"$folder/SyncAccount.dat"
printf '%s' "$password" | secret-tool store --label="Orvenna test" xdg:schema org.orvenna.Orvenna.Account \
  server "$calendar" user anna || { fail "secret-tool could not store the password"; exit 1; }

# ---- the start: the reminder arrives and alerts --------------------------------------------
start_calendar
arrived() { "$notes_tool" dump "$folder/2004.cal" 2>/dev/null | grep -q "\"$subject\""; }
poll 30 arrived || fail "the reminder on the server did not reach 2004.cal"
if poll 120 popup_out; then
  note "the reminder from the server alerted at $X,$Y"
else
  fail "no popup \"Reminder: $subject\" for the reminder from the server"
fi

# ---- a note written in the editor reaches the server -----------------------------------------
line="Note from the desktop $$"
locate_today_cell
if open_today_editor; then
  xdotool type --delay 20 "$line"
  xdotool key ctrl+Return
  poll 5 editor_gone || fail "Ctrl+Enter did not save and close the editor"
  printf '%s\n' "$password" >"$work/password"
  on_server() {
    rm -f "$work/check.cal" "$work/Sync.dat"
    "$notes_tool" sync "$work/check.cal" "$calendar" --user anna --password-file "$work/password" \
      >/dev/null 2>&1 && "$notes_tool" dump "$work/check.cal" | grep -q "\"$line\""
  }
  poll 40 on_server || fail "the note written in the editor did not reach the server"
else
  fail "a double click on day $day opened no editor"
fi

# ---- the password is in no file of the program's ------------------------------------------------
grep -rlF "$password" "$folder" && fail "the password was written to a file of the program folder"
exit_by_menu "after syncing"

[ "$failures" -eq 0 ] && echo "PASS: the program syncs with a CalDAV server" && exit 0
cat "$work/orvenna.log" "$work/radicale.log" 2>/dev/null | tail -50
exit 1
