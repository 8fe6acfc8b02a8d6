# Sourced by the end-to-end scripts: failures, polling, and the calendar's title menu with its
# "E&xit". The menu steps need program_pid, win_x and win_y of the running calendar.

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
note() { echo "-- $*"; }

# Polls a command every 100 ms until it succeeds or the deadline (seconds) passes.
poll() {
  local seconds=$1; shift
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

# Ends the program of program_pid (if any) as a log-out does, by SIGTERM, and by SIGKILL when it
# has not ended within 5 s (a box still waits for an answer); clears program_pid.
end_program() {
  [ -n "${program_pid:-}" ] || return 0
  kill "$program_pid" 2>/dev/null
  program_gone() { ! kill -0 "$program_pid" 2>/dev/null; }
  poll 5 program_gone || kill -KILL "$program_pid" 2>/dev/null
  wait "$program_pid" 2>/dev/null
  program_pid=""
}

visible_windows() { xdotool search --onlyvisible --pid "$program_pid" 2>/dev/null | wc -l; }

# Right click on the title until one more window (the menu) shows. Every click lands 10 pixels
# right of the one before: a right click close in time and place to the previous one is a
# double click, which opens no menu.
click_x=""
open_menu() {
  local try
  menu_windows_before=$(visible_windows)
  menu_open() { [ "$(visible_windows)" -gt "$menu_windows_before" ]; }
  [ -n "$click_x" ] || click_x=$((win_x + 90))
  for try in 1 2 3; do
    click_x=$((click_x + 10))
    xdotool mousemove "$click_x" $((win_y + 16)) click 3
    poll 2 menu_open && { [ "$try" -eq 1 ] || note "the menu opened at click $try"; return 0; }
  done
  return 1
}

# "E&xit" from the title's menu must end the program with status 0; program_pid is cleared
# once it has ended. The argument says what else is going on ("while a browser is open").
exit_by_menu() {
  local status
  open_menu || { fail "the menu did not open for Exit"; return; }
  xdotool key x
  ended() { ! kill -0 "$program_pid" 2>/dev/null; }
  if poll 5 ended; then
    wait "$program_pid"; status=$?
    program_pid=""
    [ "$status" -eq 0 ] || fail "the program ended with status $status after Exit"
  else
    fail "\"E&xit\" did not end the program${1:+ $1}"
  fi
}

# The settings file as JSON in $settings, and the window position it keeps in $top and $left;
# needs notes_tool. Fails when the file cannot be read.
read_stored_position() {
  settings=$("$notes_tool" settings-dump "$folder/Setting.cfg") || return 1
  top=$(grep -o '"Top": *-\?[0-9]*' <<<"$settings" | grep -o -- '-\?[0-9]*$')
  left=$(grep -o '"Left": *-\?[0-9]*' <<<"$settings" | grep -o -- '-\?[0-9]*$')
}

# The calendar among the program's windows (the tray icon and the menu carry its name too):
# the one 296 pixels wide (calendar_width device pixels when the screen is scaled).
calendar_window() {
  local id
  for id in $(xdotool search --all --onlyvisible --pid "$program_pid" --name '^Orvenna$' 2>/dev/null); do
    xwininfo -id "$id" 2>/dev/null | grep -q "Width: ${calendar_width:-296}\$" && { echo "$id"; return; }
  done
}

# Starts "$folder/orvenna" (log in "$work/orvenna.log") and waits for the calendar window and
# its captured background; sets program_pid, win_x and win_y. Ends the script when the window
# does not come up.
start_calendar() {
  # Not a first run: the notice would wait for its "OK" before the calendar shows.
  [ -e "$folder/firstrun.dat" ] || printf '1\r\n' >"$folder/firstrun.dat"
  "$folder/orvenna" >"$work/orvenna.log" 2>&1 &
  program_pid=$!
  wait_for_calendar
}

# Waits for the calendar window of program_pid and its captured background in "$folder";
# sets win_x and win_y. Ends the script when the window does not come up.
wait_for_calendar() {
  calendar_up() { [ -n "$(calendar_window)" ] && [ -s "$folder/bk.bmp" ]; }
  if ! poll 15 calendar_up; then
    fail "the calendar window did not appear"
    cat "$work/orvenna.log"
    exit 1
  fi
  eval "$(xdotool getwindowgeometry --shell "$(calendar_window)")"
  win_x=$X win_y=$Y
}

# A day's cell on the calendar at win_x, win_y, the day given as a date (YYYY-MM-DD) of the
# shown month, today when none: Sunday-first columns of 37 pixels, rows of 28 below the 32-pixel
# title; the piece is 32 x 32 at (column x 37 - 1 + 20, row x 28 + 5). Sets day, cell_x and
# cell_y (the piece's top-left corner on the screen).
locate_day_cell() {
  local column row
  read -r day column row < <(/usr/bin/python3 - "${1:-}" <<'PY'
import datetime, sys
t = datetime.date.fromisoformat(sys.argv[1]) if sys.argv[1] else datetime.date.today()
first = t.replace(day=1)
lead = (first.weekday() + 1) % 7
print(t.day, (lead + t.day - 1) % 7, (lead + t.day - 1) // 7)
PY
)
  cell_x=$((win_x + column * 37 - 1 + 20)) cell_y=$((win_y + 32 + row * 28 + 5))
}
locate_today_cell() { locate_day_cell; }

# The note editor ("Note and Reminder") of the running program, and whether it has the focus.
editor_window() { xdotool search --all --onlyvisible --pid "$program_pid" --name '^Note and Reminder' 2>/dev/null | head -1; }
editor_focused() { local id; id=$(editor_window); [ -n "$id" ] && [ "$(xdotool getwindowfocus)" = "$id" ]; }
editor_gone() { [ -z "$(editor_window)" ]; }

# A double click on today's cell (locate_today_cell first) until the editor has the focus;
# sets editor. Fails when no editor came.
open_today_editor() {
  xdotool mousemove $((cell_x + 16)) $((cell_y + 16)) click --repeat 2 --delay 80 1
  poll 10 editor_focused || return 1
  editor=$(editor_window)
}

# A fresh work folder "$work" (kept when a check failed) and a program folder "$folder" with the
# executable and its images; the program started by start_calendar is ended on exit.
prepare_program_folder() {
  work=$(mktemp -d "${TMPDIR:-/tmp}/orvenna-e2e-$1.XXXXXX")
  program_pid=""
  cleanup() {
    end_program
    if [ "$failures" -eq 0 ]; then rm -rf "$work"; else echo "Kept for inspection: $work"; fi
  }
  trap cleanup EXIT
  folder="$work/program"
  mkdir -p "$folder"
  cp -r "$bin_dir"/orvenna "$bin_dir"/images "$bin_dir"/../lib/orvenna/orvenna-calendar.so "$folder"/
}

# Paints a picture on the root window, as a desktop draws its wallpaper; `display` stays to answer
# the server until the next paint_root or stop_root_painter.
painter_pid=""
stop_root_painter() {
  [ -n "$painter_pid" ] && { kill "$painter_pid" 2>/dev/null; wait "$painter_pid" 2>/dev/null; }
  painter_pid=""
}
paint_root() {
  stop_root_painter
  display -window root "$1" &
  painter_pid=$!
}
root_shows() {  # the root window's pixel at (10, 10) has the colour of the picture's
  local want got
  want=$(convert "$1" -crop 1x1+10+10 -depth 8 txt:- | tail -1 | grep -o '#[0-9A-F]\{6\}')
  got=$(import -window root -crop 1x1+10+10 -depth 8 txt:- 2>/dev/null | tail -1 | grep -o '#[0-9A-F]\{6\}')
  [ -n "$want" ] && [ "$want" = "$got" ]
}

# The alert popup of the reminder "$subject" (its title is "Reminder: " and its start time, then
# the subject), and whether it is out at its full size; popup_out leaves X, Y, WIDTH and HEIGHT
# set.
popup_window() { xdotool search --all --onlyvisible --pid "$program_pid" --name "^Reminder: .* $subject\$" 2>/dev/null | head -1; }
popup_out() {
  local id; id=$(popup_window)
  [ -n "$id" ] || return 1
  eval "$(xdotool getwindowgeometry --shell "$id")"
  [ "$WIDTH" -eq 148 ] && [ "$HEIGHT" -eq 121 ]
}
