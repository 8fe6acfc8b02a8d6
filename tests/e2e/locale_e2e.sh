#!/usr/bin/env bash
# The program in the user's language and calendar conventions: the real program on an X display
# with a window manager (run it inside scripts/xsession.sh), started four times with LANG and
# LC_TIME set to en_US, en_GB, de_DE and fr_FR and the week start and time format "as the locale
# says" in "Regional.dat". For each it checks, from the windows:
#   - the first column: a double click on the first cell of the second row opens the editor (its
#     caption in the language) on a Sunday (en_US) or a Monday (the others), as the note typed
#     there and read back with the notes tool shows;
#   - a reminder's time in the editor's grid (copied from its cell) and in its alert (the popup's
#     caption): "2:30 PM" in en_US, "14:30" in the others;
#   - the title menu's captions (the accelerator of the settings command opens the dialog whose
#     caption is the language's) and the weekday row (a screenshot of the title differs between
#     Sunday and Monday weeks and between English and the other languages).
#
#   locale_e2e.sh BIN_DIR NOTES_TOOL
#
# With E2E_SHOTS set to a folder, screenshots of the calendar, the menu, the settings dialog, the
# editor's grid and the alert of each language are kept there.
# Prints each failure; exit status 0 or 1.
set -uo pipefail

bin_dir=$1
notes_tool=$2
python=/usr/bin/python3
[ -n "${DISPLAY:-}" ] || { echo "FAIL: no DISPLAY (run inside scripts/xsession.sh)"; exit 1; }

source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
prepare_program_folder locale
base=$work

# What each language shows: editor caption, alert title word, the settings command's key and the
# dialog's caption, the exit key; the first weekday (0 Sunday) and the strftime form of a time.
declare -A editor_caption=([en_US]="Note and Reminder" [en_GB]="Note and Reminder"
                           [de_DE]="Notiz und Erinnerung" [fr_FR]="Note et rappel")
declare -A alert_word=([en_US]="Reminder:" [en_GB]="Reminder:" [de_DE]="Erinnerung:" [fr_FR]="Rappel :")
declare -A setting_key=([en_US]=s [en_GB]=s [de_DE]=e [fr_FR]=r)
declare -A setting_caption=([en_US]="Calendar Setting" [en_GB]="Calendar Setting"
                            [de_DE]="Kalendereinstellungen" [fr_FR]="Paramètres du calendrier")
declare -A exit_key=([en_US]=x [en_GB]=x [de_DE]=b [fr_FR]=q)
declare -A first_weekday=([en_US]=0 [en_GB]=1 [de_DE]=1 [fr_FR]=1)
declare -A time_form=([en_US]="%-I:%M %p" [en_GB]="%H:%M" [de_DE]="%H:%M" [fr_FR]="%H:%M")

shot() { [ -z "${E2E_SHOTS:-}" ] || import -window root "$E2E_SHOTS/$lang-$1.png" 2>/dev/null; }
window_named() { xdotool search --all --onlyvisible --pid "$program_pid" --name "$1" 2>/dev/null | head -1; }

run_language() {
  lang=$1
  work=$base/$lang folder=$work/program
  mkdir -p "$folder" && cp -r "$bin_dir"/orvenna "$bin_dir"/images "$bin_dir"/../lib/orvenna/orvenna-calendar.so "$folder"/
  printf 'Orvenna regional 1\nFirstDay=locale\nTimeFormat=locale\nWeekNumbers=0\nEnd\n' >"$folder/Regional.dat"

  # Today's reminder falls due 20 seconds after the start, so it alerts at once; the first cell
  # of the second row (the first week day after the 1st) holds one at 14:30.
  read -r today due cell_day cell_due alert_time < <("$python" - "${first_weekday[$lang]}" "${time_form[$lang]}" <<'PY'
import sys
from datetime import datetime, timedelta
first, form = int(sys.argv[1]), sys.argv[2]
now = datetime.now(); origin = datetime(1899, 12, 30)
due = now + timedelta(seconds=20)
day = now.date().replace(day=2)
while (day.weekday() + 1) % 7 != first:
    day += timedelta(days=1)
cell = datetime(day.year, day.month, day.day, 14, 30)
days = lambda d: (d - origin).total_seconds() / 86400
print((now.date() - origin.date()).days, days(due), (day - origin.date()).days, days(cell),
      due.strftime(form).replace(" ", "_"))
PY
)
  alert_time=${alert_time//_/ }
  if [ "$cell_day" = "$today" ]; then  # the grid's first row is the one at 14:30
    notes="[{\"Day\": $today, \"ReminderList\": [{\"When\": $cell_due, \"Subject\": \"Bus\"}, {\"When\": $due, \"Subject\": \"Dentist\"}]}]"
  else
    notes="[{\"Day\": $today, \"ReminderList\": [{\"When\": $due, \"Subject\": \"Dentist\"}]},
            {\"Day\": $cell_day, \"ReminderList\": [{\"When\": $cell_due, \"Subject\": \"Bus\"}]}]"
  fi
  echo "{\"papers\": $notes}" | "$notes_tool" build "$folder/2004.cal" >/dev/null ||
    { fail "$lang: cannot build the notes file"; return; }

  # Away from the corner where the alerts slide out.
  echo '{"Left": 100, "Top": 100}' | "$notes_tool" settings-build "$folder/Setting.cfg" >/dev/null ||
    { fail "$lang: cannot write Setting.cfg"; return; }
  export LANG=$lang.UTF-8 LC_TIME=$lang.UTF-8
  unset LC_ALL LANGUAGE
  start_calendar

  # ---- the alert --------------------------------------------------------------------------
  local popup_name="^${alert_word[$lang]} $alert_time Dentist\$"
  alert_up() { [ -n "$(window_named "$popup_name")" ]; }
  if poll 15 alert_up; then
    shot alert
  else
    fail "$lang: no alert \"${alert_word[$lang]} $alert_time Dentist\""
    xdotool search --all --onlyvisible --pid "$program_pid" getwindowname %@ 2>/dev/null
  fi

  # ---- the weekday row ----------------------------------------------------------------------
  import -window root -crop "296x32+${win_x}+${win_y}" +repage "$base/title-$lang.png" 2>/dev/null
  shot calendar

  # ---- the first column, and the time in the grid --------------------------------------------
  local editor_name="^${editor_caption[$lang]}\$"
  editor_up() { local id; id=$(window_named "$editor_name"); [ -n "$id" ] && [ "$(xdotool getwindowfocus)" = "$id" ]; }
  xdotool mousemove $((win_x + 19 + 16)) $((win_y + 32 + 28 + 5 + 16)) click --repeat 2 --delay 80 1
  if poll 10 editor_up; then
    local editor; editor=$(window_named "$editor_name")
    xdotool type --delay 20 "first column"
    page_shot() { import -window "$editor" -crop 300x250+5+30 +repage "$1" 2>/dev/null; }
    page_changed() {
      page_shot "$work/page-now.png" &&
        [ "$(compare -metric AE "$work/page-note.png" "$work/page-now.png" null: 2>&1 | cut -d' ' -f1)" -gt 500 ]
    }
    page_shot "$work/page-note.png"
    xdotool mousemove --window "$editor" 118 362 click 1  # the reminder tab, in any of the languages
    poll 5 page_changed || fail "$lang: the reminder page did not open"
    xdotool mousemove --window "$editor" 35 63 click 1    # the first row's time
    sleep 0.5
    xdotool key ctrl+a ctrl+c
    local grid_time
    copied() { grid_time=$(xclip -o -selection clipboard 2>/dev/null); [ -n "$grid_time" ]; }
    poll 3 copied
    shot grid
    [ "$grid_time" = "$(date -d 14:30 +"${time_form[$lang]}")" ] ||
      fail "$lang: the grid shows \"$grid_time\" for 14:30"
    xdotool key ctrl+Return
    editor_closed() { [ -z "$(window_named "$editor_name")" ]; }
    poll 5 editor_closed || fail "$lang: Ctrl+Enter did not save and close the editor"
    local weekday
    weekday=$("$notes_tool" dump "$folder/2004.cal" | "$python" -c '
import json, sys
from datetime import date, timedelta
for paper in json.load(sys.stdin)["papers"]:
    if "first column" in paper.get("Note", []):
        print(((date(1899, 12, 30) + timedelta(days=int(paper["Day"]))).weekday() + 1) % 7)')
    [ "$weekday" = "${first_weekday[$lang]}" ] ||
      fail "$lang: the first column holds weekday ${weekday:-none} (0 Sunday), not ${first_weekday[$lang]}"
  else
    fail "$lang: no editor \"${editor_caption[$lang]}\" opened on the first column"
  fi

  # ---- the title menu and the settings dialog --------------------------------------------------
  click_x=""
  if open_menu; then
    shot menu
    xdotool key "${setting_key[$lang]}"
    local dialog_name="^${setting_caption[$lang]}\$"
    dialog_up() { [ -n "$(window_named "$dialog_name")" ]; }
    if poll 5 dialog_up; then
      shot settings
      xdotool key Escape
      dialog_gone() { [ -z "$(window_named "$dialog_name")" ]; }
      poll 5 dialog_gone || fail "$lang: Escape did not close the settings dialog"
    else
      fail "$lang: the menu's key \"${setting_key[$lang]}\" opened no \"${setting_caption[$lang]}\""
    fi
  else
    fail "$lang: the title menu did not open"
  fi

  # The exit key of the language ends the program.
  if open_menu; then
    xdotool key "${exit_key[$lang]}"
    ended() { ! kill -0 "$program_pid" 2>/dev/null; }
    if poll 5 ended; then
      wait "$program_pid"; program_pid=""
    else
      fail "$lang: the menu's key \"${exit_key[$lang]}\" did not end the program"
      end_program
    fi
  fi
  [ "$failures" -eq 0 ] || cat "$work/orvenna.log"
}

for lang in en_US en_GB de_DE fr_FR; do
  locale -a | grep -qix "$lang.utf-\?8" || { fail "the locale $lang.UTF-8 is not generated (scripts/setup.sh)"; continue; }
  run_language "$lang"
done

# The weekday rows: Sunday and Monday weeks differ, and so do English and the other languages.
differ() { [ "$(compare -metric AE "$base/title-$1.png" "$base/title-$2.png" null: 2>&1 | cut -d' ' -f1)" -gt 20 ]; }
for pair in "en_US en_GB" "en_GB de_DE" "en_GB fr_FR" "de_DE fr_FR"; do
  read -r a b <<<"$pair"
  [ -s "$base/title-$a.png" ] && [ -s "$base/title-$b.png" ] && ! differ "$a" "$b" &&
    fail "the weekday rows of $a and $b look the same"
done

work=$base
[ "$failures" -eq 0 ] && echo "PASS: four languages, their weeks, times and captions" && exit 0
exit 1
