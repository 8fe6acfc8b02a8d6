#!/usr/bin/env bash
# The Super+Space hot key from outside: the real program on an X display with a window manager
# (run it inside scripts/xsession.sh). It checks that
#   - with the next month shown, Super+Space opens the note editor on today: a line typed into
#     it and saved with Ctrl+Enter lands on today's paper in "2004.cal"; the editor's caption
#     is its own, without the program's name appended;
#   - with Super+Space grabbed by another program beforehand, the calendar still starts, shows
#     no message, and the key stays with the other program.
# With E2E_SHOTS set to a folder, the screenshots taken on the way are kept there.
#
#   hotkey_e2e.sh BIN_DIR NOTES_TOOL KEY_GRABBER
#
# Prints each failure; exit status 0 or 1.
set -uo pipefail

bin_dir=$1
notes_tool=$2
grabber=$3
[ -n "${DISPLAY:-}" ] || { echo "FAIL: no DISPLAY (run inside scripts/xsession.sh)"; exit 1; }

source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
prepare_program_folder hotkey
shot() { [ -n "${E2E_SHOTS:-}" ] && import -window root "$E2E_SHOTS/$1.png" 2>/dev/null; true; }

# The splash takes the key at its creation; it is held once the splash has gone.
splash_gone() {
  local id
  for id in $(xdotool search --all --onlyvisible --pid "$program_pid" 2>/dev/null); do
    xwininfo -id "$id" 2>/dev/null | grep -q 'Width: 402$' && return 1
  done
  return 0
}

# ---- the key opens today's note while another month is shown --------------------------------
start_calendar
poll 10 splash_gone || fail "the splash stayed up"
title_shot() { import -window root -crop "296x32+${win_x}+${win_y}" +repage "$1" 2>/dev/null; }
pixels_apart() { compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1 || true; }
title_shot "$work/title-before.png"
windows_closed=$(visible_windows)
if open_menu; then
  xdotool key Down Down Return       # the first item, then "Next Month"
  title_changed() {
    [ "$(visible_windows)" -eq "$windows_closed" ] || return 1
    title_shot "$work/title-after.png" || return 1
    [ "$(pixels_apart "$work/title-before.png" "$work/title-after.png")" -gt 20 ]
  }
  poll 5 title_changed || fail "\"Next Month\" did not change the title"
else
  fail "right click on the title box opened no menu"
fi

xdotool key super+space
if poll 10 editor_focused; then
  shot hotkey-editor
  caption=$(xdotool getwindowname "$(editor_window)")
  [ "$caption" = "Note and Reminder" ] || fail "the editor's caption is \"$caption\""
  xdotool type --delay 20 "Opened by the hot key"
  xdotool key ctrl+Return
  poll 5 editor_gone || fail "Ctrl+Enter did not save and close the editor"
  "$notes_tool" dump "$folder/2004.cal" >"$work/dump.json" || fail "2004.cal cannot be read"
  /usr/bin/python3 - "$work/dump.json" <<'PY' || fail "the line typed after Super+Space is not on today's paper"
import datetime, json, sys
today = (datetime.date.today() - datetime.date(1899, 12, 30)).days
papers = json.load(open(sys.argv[1]))
papers = papers["papers"]
sys.exit(0 if any(int(p["Day"]) == today and "Opened by the hot key" in p.get("Note", [])
                  for p in papers) else 1)
PY
else
  fail "Super+Space opened no editor"
fi
exit_by_menu "after the hot key"

# ---- the key taken by another program first -------------------------------------------------
"$grabber" >"$work/grabber.out" 2>&1 &
grabber_pid=$!
grabbed() { grep -qx grabbed "$work/grabber.out"; }
if ! poll 5 grabbed; then
  fail "the key grabber did not take Super+Space"; cat "$work/grabber.out"
else
  start_calendar
  poll 10 splash_gone || fail "the splash stayed up with the key taken"
  # Nothing but the calendar (and its task-bar entry) may be up: no message about the key.
  extra=$(xdotool search --all --onlyvisible --pid "$program_pid" 2>/dev/null | while read -r id; do
    xwininfo -id "$id" 2>/dev/null | grep -q 'Width: 296$' || xprop -id "$id" WM_NAME; done |
    grep -v '"Orvenna"' || true)
  [ -z "$extra" ] || fail "windows besides the calendar with the key taken: $extra"
  shot hotkey-taken
  xdotool key super+space
  ! poll 2 editor_focused || fail "Super+Space opened the editor though another program holds it"
  kill -0 "$program_pid" 2>/dev/null || fail "the calendar ended with the key taken"
  exit_by_menu "with the key taken"
fi
kill "$grabber_pid" 2>/dev/null; wait "$grabber_pid" 2>/dev/null

[ "$failures" -eq 0 ] && echo "PASS: Super+Space opens today's note, and a taken key is let be" && exit 0
cat "$work/dump.json" "$work/orvenna.log" 2>/dev/null
exit 1
