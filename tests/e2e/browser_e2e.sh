#!/usr/bin/env bash
# The note browser from outside: the real program on an X display with a window manager (run it
# inside scripts/xsession.sh). With notes in the current month it checks that
#   - "&Browse..." in the title's menu opens a "Browse" window, and a second click a second one;
#   - "&Close" in a browser's "&File" menu closes that browser only;
#   - "E&xit" ends the program while a browser is still open.
#
#   browser_e2e.sh BIN_DIR NOTES_TOOL
#
# Prints each failure; exit status 0 or 1.
set -uo pipefail

bin_dir=$1
notes_tool=$2
[ -n "${DISPLAY:-}" ] || { echo "FAIL: no DISPLAY (run inside scripts/xsession.sh)"; exit 1; }

source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
prepare_program_folder browser
day_number() { echo $(( $(date -u -d "$1" +%s) / 86400 + 25569 )); }
month=$(date +%Y-%m)
cat >"$work/notes.json" <<JSON
{"papers": [
  {"Day": $(day_number "$month-03"), "Note": ["Dentist at 9:30", "", "bring the forms"]},
  {"Day": $(day_number "$month-21"), "Note": ["Pay the rent"]}
]}
JSON
"$notes_tool" build "$folder/2004.cal" <"$work/notes.json" || { echo "FAIL: cannot build the notes file"; exit 1; }

# ---- the calendar --------------------------------------------------------------------------
start_calendar

browsers() { xdotool search --all --onlyvisible --pid "$program_pid" --name '^Browse' 2>/dev/null; }
browser_count() { browsers | wc -l; }
browse() {   # "&Browse..." and wait for one more browser
  local want=$(($(browser_count) + 1))
  open_menu || { fail "the title's menu did not open"; return 1; }
  xdotool key b
  counted() { [ "$(browser_count)" -eq "$want" ]; }
  poll 5 counted || { fail "\"&Browse...\" did not open browser number $want"; return 1; }
}

# ---- two browsers, one closed ---------------------------------------------------------------
if browse; then
  first=$(browsers | head -1)
  eval "$(xdotool getwindowgeometry --shell "$first")"
  note "browser $first at $X,$Y size ${WIDTH}x$HEIGHT"
  [ "$WIDTH" -eq 696 ] && [ "$HEIGHT" -eq 480 ] || fail "browser size ${WIDTH}x$HEIGHT, expected 696x480"
  browse
  if [ "$(browser_count)" -eq 2 ]; then
    xdotool windowactivate --sync "$first" 2>/dev/null
    file_menu_before=$(visible_windows)
    xdotool key --window "$first" alt+f
    file_menu_open() { [ "$(visible_windows)" -gt "$file_menu_before" ]; }
    poll 2 file_menu_open || fail "alt+f did not open the browser's \"&File\" menu"
    xdotool key c
    one_left() { [ "$(browser_count)" -eq 1 ] && ! browsers | grep -qx "$first"; }
    poll 5 one_left || fail "\"&Close\" did not close that browser alone ($(browser_count) open)"
  fi
fi

# ---- exit with a browser open ----------------------------------------------------------------
exit_by_menu "while a browser was open"

[ "$failures" -eq 0 ] && echo "PASS: the note browser from the calendar's menu" && exit 0
cat "$work/orvenna.log"
exit 1
