#!/usr/bin/env bash
# The fixed-size dialogs as the window manager sees them, on the real program under an X
# display with a window manager (run it inside scripts/xsession.sh). A first start brings the
# notice, the title's menu the settings dialog and Super+Space an editor whose reminder row
# opens the reminder dialog. Each of the three, as mapped, asks for a title and a close button
# alone (Motif hints without minimise, maximise or resize), and the window manager allows it
# neither resizing nor maximising.
#
#   frames_e2e.sh BIN_DIR NOTES_TOOL
#
# With E2E_SHOTS set to a folder, the title bars and the settings dialog's "Appearance" page are
# kept there. Prints each failure; exit status 0 or 1.
set -uo pipefail

bin_dir=$1
notes_tool=$2
[ -n "${DISPLAY:-}" ] || { echo "FAIL: no DISPLAY (run inside scripts/xsession.sh)"; exit 1; }
source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
prepare_program_folder frames
shot() { [ -n "${E2E_SHOTS:-}" ] && import -window root "$@" 2>/dev/null; true; }

# X, Y, WIDTH, HEIGHT of a window's inside on the screen.
placed() {
  local info; info=$(xwininfo -id "$1")
  X=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
  Y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
  WIDTH=$(sed -n 's/.*Width: *//p' <<<"$info") HEIGHT=$(sed -n 's/.*Height: *//p' <<<"$info")
}
named() { xdotool search --all --onlyvisible --pid "$program_pid" --name "$1" 2>/dev/null | head -1; }

# fixed_frame WINDOW NAME: the frame the mapped window asks for and gets.
fixed_frame() {
  local hints flags functions decorations actions
  hints=$(xprop -id "$1" _MOTIF_WM_HINTS | sed -n 's/.* = //p')
  IFS=', ' read -r flags functions decorations _ <<<"$hints"
  # Functions (flag 1): no "all" (1), minimise (8), maximise (16); resize (2) only as the
  # window manager's size hints leave it. Decorations (flag 2): no "all", minimise (32),
  # maximise (64).
  if [ -z "$hints" ] || ((!(flags & 1) || (functions & 0x19) || !(flags & 2) || (decorations & 0x61))); then
    fail "the $2 asks for more than a title and a close button (Motif hints: ${hints:-none})"
  fi
  actions=$(xprop -id "$1" _NET_WM_ALLOWED_ACTIONS)
  grep -q 'MAXIMIZE\|RESIZE' <<<"$actions" && fail "the $2 may be resized or maximised: $actions"
  placed "$1"
  shot -crop "$((WIDTH + 8))x28+$((X - 4))+$((Y - 26))" +repage "${E2E_SHOTS:-}/title-$2.png"
}

# ---- the notice of a first start ---------------------------------------------------------------
"$folder/orvenna" >"$work/orvenna.log" 2>&1 &
program_pid=$!
notice_up() { [ -n "$(named '^Notice$')" ]; }
if poll 20 notice_up; then
  notice=$(named '^Notice$')
  fixed_frame "$notice" notice
  xdotool windowactivate --sync "$notice" 2>/dev/null
  xdotool key Return
else
  fail "no notice at the first start"
fi
wait_for_calendar
poll 10 splash_gone || fail "the splash stayed up"

# ---- the settings dialog ------------------------------------------------------------------
setting_up() { [ -n "$(named '^Calendar Setting$')" ]; }
if open_menu && xdotool key s && poll 5 setting_up; then
  dialog=$(named '^Calendar Setting$')
  fixed_frame "$dialog" settings
  xdotool windowactivate --sync "$dialog" 2>/dev/null
  xdotool key --window "$dialog" alt+a
  sleep 0.5
  placed "$dialog"
  shot -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage "${E2E_SHOTS:-}/settings-appearance.png"
  xdotool key Escape
  setting_gone() { ! setting_up; }
  poll 5 setting_gone || fail "Esc did not close the settings dialog"
else
  fail "the settings dialog did not open from the menu"
fi

# ---- the reminder dialog ------------------------------------------------------------------
xdotool key super+space
if poll 10 editor_focused; then
  editor=$(editor_window)
  xdotool mousemove --window "$editor" 118 362 click 1     # the "Reminder" tab
  dialog_up() { [ -n "$(named '^Reminder$')" ]; }
  for try in 1 2 3; do                                      # the first row's ellipsis button
    xdotool mousemove --window "$editor" 200 63 click 1
    xdotool mousemove --window "$editor" 300 63 click 1
    poll 3 dialog_up && break
  done
  if dialog_up; then
    dialog=$(named '^Reminder$')
    fixed_frame "$dialog" reminder-dialog
    xdotool key Escape
    dialog_gone() { ! dialog_up; }
    poll 5 dialog_gone || fail "Esc did not close the reminder dialog"
  else
    fail "the ellipsis button opened no reminder dialog"
  fi
  xdotool mousemove --window "$editor" 282 366 click 1     # the round cross: closed unsaved
  poll 5 editor_gone || fail "the cross button did not close the editor"
else
  fail "Super+Space opened no editor"
fi

exit_by_menu "after the dialogs"
[ "$failures" -eq 0 ] &&
  echo "PASS: the notice, the settings and the reminder dialog have a title and a close button" && exit 0
cat "$work/orvenna.log"
exit 1
