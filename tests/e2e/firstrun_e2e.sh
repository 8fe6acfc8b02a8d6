# The run command's first start, step for step (scripts/demo.sh, as scripts/run.sh runs it):
# the notice on a fresh program folder, OK pressed with the mouse, the calendar alone on the
# wallpaper above the tray strip, and "E&xit". Then the results are checked: both screenshots
# show their window, the first-run marker is written, the position is kept at exit.
# Arguments: the folder of the built program.
set -uo pipefail
bin_dir=$1
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/e2e_common.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/orvenna-e2e-firstrun.XXXXXX")
trap '[ "$failures" -eq 0 ] && rm -rf "$work" || echo "Kept for inspection: $work"' EXIT
demo="$work/demo" shots="$work/shots" folder="$work/demo/program"
notes_tool="$bin_dir/orvenna-notes"

"$root/scripts/demo.sh" prepare "$bin_dir" "$demo" >"$work/prepare.log" 2>&1 ||
  { fail "the demonstration folder could not be made"; cat "$work/prepare.log"; exit 1; }
if ! "$root/scripts/demo.sh" show "$demo" "$shots" >"$work/show.log" 2>&1; then
  fail "the first start did not go through"
  cat "$work/show.log"
  exit 1
fi
cat "$work/show.log"

# The colour of one pixel of a picture, as #RRGGBB.
pixel() { convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | tail -1 | grep -o '#[0-9A-F]\{6\}'; }
# X, Y, WIDTH and HEIGHT of the window the show step reported with the given words.
reported() {
  local line
  line=$(grep -o "$1 is at -\?[0-9]*,-\?[0-9]*, [0-9]* x [0-9]*" "$work/show.log") || return 1
  read -r X Y WIDTH HEIGHT < <(sed 's/.* at \(-\?[0-9]*\),\(-\?[0-9]*\), \([0-9]*\) x \([0-9]*\)/\1 \2 \3 \4/' <<<"$line")
}

note "the notice screenshot shows the notice: its white title strip and its grey body"
if reported "notice"; then
  [ "$(pixel "$shots/notice.png" $((X + 200)) $((Y + 20)))" = "#FFFFFF" ] ||
    fail "no white title strip at the notice's top"
  [ "$(pixel "$shots/notice.png" $((X + 200)) $((Y + 225)))" = "#D4D0C8" ] ||
    fail "no grey body beside the notice's OK button"
else
  fail "the show step did not say where the notice was"
fi

note "the calendar screenshot shows the calendar drawn on the wallpaper, above the tray strip"
if reported "calendar window"; then
  [ "$WIDTH" -eq 296 ] && [ "$HEIGHT" -eq 216 ] || fail "the calendar is $WIDTH x $HEIGHT"
  # The weekday labels are drawn over the wallpaper's pixels in the title box.
  convert "$shots/orvenna.png" -crop "296x24+$X+$Y" +repage "$work/title.png"
  convert "$demo/wallpaper.png" -crop "296x24+$X+$Y" +repage "$work/wall.png"
  differing=$(compare -metric AE "$work/title.png" "$work/wall.png" null: 2>&1 || true)
  [ "${differing%% *}" -gt 50 ] 2>/dev/null || fail "the title box shows no labels ($differing pixels differ)"
  # The tray host's strip is the bottom 28 rows: the first place is above it.
  screen_height=$(xdpyinfo | grep -o 'dimensions: *[0-9]*x[0-9]*' | grep -o '[0-9]*$')
  [ $((Y + HEIGHT)) -le $((screen_height - 28)) ] ||
    fail "the calendar's last row (to $((Y + HEIGHT))) lies under the tray strip"
else
  fail "the show step did not say where the calendar was"
fi

note "a first start leaves the marker and, at exit, the position"
[ "$(od -An -c "$folder/firstrun.dat" | tr -d ' ')" = '1\r\n' ] || fail "firstrun.dat is not \"1\" CR LF"
read_stored_position || fail "Setting.cfg was not written at exit"

[ "$failures" -eq 0 ] && echo "PASS" || exit 1
