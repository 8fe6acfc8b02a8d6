#!/usr/bin/env bash
# The Debian package as a new user meets it (run it inside scripts/xsession.sh, after the build):
#   - cpack builds it from the build folder; its dependencies name the libraries the programs
#     link and those the program opens by name (GIO at the version of its GSettings calls), the
#     program does not link GIO, apt accepts it, and it holds the programs, the images, a menu
#     entry and metadata that pass desktop-file-validate and appstreamcli validate, the icons
#     and the manual page;
#   - unpacked into a fresh root, the installed program is started by an ordinary user (not
#     root) with a new home: the notice comes, "OK" is pressed, a note is written with the
#     editor, and "orvenna-notes dump" finds it in ~/.local/share/orvenna/2004.cal, with and
#     without naming the file; the second start shows no notice;
#   - for a user whose ~/.local/share cannot be written, one error box names the folder and the
#     reason before the notice.
#
#   package_e2e.sh BUILD_DIR VERSION
#
# With E2E_SHOTS set to a folder, a screenshot of the error box is kept there.
# Prints each failure; exit status 0 or 1.
set -uo pipefail

build_dir=$1
version=$2
[ -n "${DISPLAY:-}" ] || { echo "FAIL: no DISPLAY (run inside scripts/xsession.sh)"; exit 1; }

source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/orvenna-e2e-package.XXXXXX")
chmod 755 "$work"  # the user below must reach the unpacked programs
program_pid=""
cleanup() {
  end_program
  if [ "$failures" -eq 0 ]; then rm -rf "$work"; else echo "Kept for inspection: $work"; fi
}
trap cleanup EXIT

# ---- the package ----------------------------------------------------------------------------
if ! cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1; then
  fail "cpack could not build the package"; cat "$work/cpack.log"; exit 1
fi
deb="$work/package/orvenna_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { fail "no package $deb"; ls "$work/package"; exit 1; }
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libqt6widgets6 libqt6gui6 libjpeg62-turbo libgif7 libical3 libxcb1 libcanberra0 \
    libsecret-1-0 libqt6network6; do
  grep -qE "(^|, )$library( |,|$)" <<<"$depends" || fail "the package does not depend on $library: $depends"
done
# GIO is opened by name for the GSettings sources only; the package names it at the version of
# those calls.
depends_at_least() {  # depends_at_least PACKAGE VERSION
  local entry
  while read -r entry; do
    [ "${entry%% (>= *}" = "$1" ] && [ "$entry" != "$1" ] &&
      dpkg --compare-versions "$(sed 's/.*(>= \(.*\))/\1/' <<<"$entry")" ge "$2" && return 0
  done < <(tr ',' '\n' <<<"$depends" | sed 's/^ *//')
  return 1
}
depends_at_least libglib2.0-0 2.39.4 || fail "the package does not depend on libglib2.0-0 (>= 2.39.4) for GIO: $depends"
apt-get -s install "$deb" >"$work/apt.log" 2>&1 || { fail "apt would not install the package"; cat "$work/apt.log"; }

root="$work/root"
dpkg-deb -x "$deb" "$root"
for file in bin/orvenna bin/orvenna-notes lib/orvenna/orvenna-calendar.so share/orvenna/images/2.bmp share/orvenna/images/bk.bmp \
    share/orvenna/images/grdbk.bmp share/orvenna/images/leftcornor.bmp \
    share/icons/hicolor/16x16/apps/org.orvenna.Orvenna.png \
    share/icons/hicolor/32x32/apps/org.orvenna.Orvenna.png \
    share/icons/hicolor/48x48/apps/org.orvenna.Orvenna.png \
    share/icons/hicolor/scalable/apps/org.orvenna.Orvenna.svg share/man/man1/orvenna-notes.1.gz; do
  [ -s "$root/usr/$file" ] || fail "the package lacks /usr/$file"
done
linked=$(readelf -d "$root/usr/bin/orvenna" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
grep -qE '^lib(gio|gobject)-2\.0' <<<"$linked" && fail "the program links GIO or GObject: $(tr '\n' ' ' <<<"$linked")"
# The calendar module the program loads on first use finds every library it needs.
if ldd -r "$root/usr/lib/orvenna/orvenna-calendar.so" 2>&1 | grep -qE 'not found|undefined symbol'; then
  fail "the calendar module cannot be loaded"; ldd -r "$root/usr/lib/orvenna/orvenna-calendar.so"
fi
for size in 16 32 48; do
  got=$(identify -format '%wx%h' "$root/usr/share/icons/hicolor/${size}x${size}/apps/org.orvenna.Orvenna.png" 2>/dev/null)
  [ "$got" = "${size}x${size}" ] || fail "the ${size}x${size} icon is $got"
done
entry="$root/usr/share/applications/org.orvenna.Orvenna.desktop"
desktop-file-validate "$entry" >"$work/validate.log" 2>&1 && ! grep -qE 'error|warning' "$work/validate.log" ||
  { fail "desktop-file-validate refused the menu entry"; cat "$work/validate.log"; }
metainfo="$root/usr/share/metainfo/org.orvenna.Orvenna.metainfo.xml"
appstreamcli validate --no-net "$metainfo" >"$work/validate.log" 2>&1 ||
  { fail "appstreamcli validate refused the metadata"; cat "$work/validate.log"; }
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metadata has no release $version"
zcat "$root/usr/share/man/man1/orvenna-notes.1.gz" | groff -man -ww -z -Tutf8 2>"$work/man.log" && [ ! -s "$work/man.log" ] ||
  { fail "the manual page has errors"; cat "$work/man.log"; }

# ---- an ordinary user with a new home ---------------------------------------------------------
# As root the programs run as the unprivileged "nobody"; as any other user, as that user.
as_user=()
[ "$(id -u)" -ne 0 ] || as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
user_folder() {  # a folder of the user's own: user_folder PATH
  mkdir -m 700 -p "$1"
  [ "$(id -u)" -ne 0 ] || chown 65534:65534 "$1"
}
# The command line that runs a program as the user with home $1, with only what a desktop
# session gives: no XDG_* folders, so the defaults under the new home apply. Sets run.
session_of() {
  run=("${as_user[@]}" env -i HOME="$1" PATH=/usr/bin:/bin DISPLAY="$DISPLAY" LANG=C.UTF-8
       XDG_RUNTIME_DIR="$1.run" QT_QPA_PLATFORM=xcb GSETTINGS_BACKEND=keyfile)
}
start_installed() {  # start_installed HOME: the program in the background, log in $work/orvenna.log
  session_of "$1"
  # A simple command, so that program_pid is the program's own process.
  "${run[@]}" "$root/usr/bin/orvenna" >"$work/orvenna.log" 2>&1 &
  program_pid=$!
}
named_window() { xdotool search --all --onlyvisible --pid "$program_pid" --name "^$1\$" 2>/dev/null | head -1; }
notice_window() { named_window Notice; }
focused() { local id; id=$(named_window "$1"); [ -n "$id" ] && [ "$(xdotool getwindowfocus)" = "$id" ]; }
# "OK" of the notice: its default button, at (328, 208) in the window, 75 x 25.
press_notice_ok() {
  local id; id=$(notice_window)
  xdotool mousemove --window "$id" 365 220 click 1
  notice_gone() { [ -z "$(notice_window)" ]; }
  poll 5 notice_gone || fail "\"OK\" did not close the notice"
}

home="$work/home"
user_folder "$home"
user_folder "$home.run"
folder="$home/.local/share/orvenna"

# ---- the first start --------------------------------------------------------------------------
start_installed "$home"
if poll 20 focused Notice; then
  press_notice_ok
else
  fail "the first start showed no notice"; cat "$work/orvenna.log"; exit 1
fi
wait_for_calendar
for file in firstrun.dat 2004.cal images/2.bmp images/leftcornor.bmp images/applebar.bmp; do
  [ -s "$folder/$file" ] || fail "the first start left no $file in ~/.local/share/orvenna"
done
cmp -s "$folder/images/2.bmp" "$root/usr/share/orvenna/images/2.bmp" || fail "images/2.bmp is not the shipped one"
extra=$(ls "$root/usr/bin" | grep -vxE 'orvenna|orvenna-notes')
[ -z "$extra" ] || fail "the program wrote into its installed folder: $extra"

locate_today_cell
if open_today_editor; then
  xdotool type --delay 20 "Dentist at nine"
  xdotool key ctrl+Return
  poll 5 editor_gone || fail "Ctrl+Enter did not save and close the editor"
else
  fail "a double click on day $day opened no editor"
fi
exit_by_menu "on the first start"

session_of "$home"
"${run[@]}" "$root/usr/bin/orvenna-notes" dump "$folder/2004.cal" >"$work/dump.json" 2>&1 ||
  fail "orvenna-notes dump cannot read ~/.local/share/orvenna/2004.cal"
grep -q '"Dentist at nine"' "$work/dump.json" || fail "the note is not in ~/.local/share/orvenna/2004.cal"
"${run[@]}" "$root/usr/bin/orvenna-notes" dump >"$work/dump-default.json" 2>&1 ||
  fail "orvenna-notes dump without a file failed"
cmp -s "$work/dump.json" "$work/dump-default.json" || fail "orvenna-notes dump without a file read another file"

# ---- the second start: no notice ----------------------------------------------------------------
start_installed "$home"
wait_for_calendar
[ -z "$(notice_window)" ] || fail "the second start showed the notice again"
exit_by_menu "on the second start"
[ "$(grep -c . "$folder/firstrun.dat")" -eq 1 ] || fail "firstrun.dat changed"

# ---- a data folder that cannot be made ---------------------------------------------------------
locked="$work/locked"
user_folder "$locked"
user_folder "$locked.run"
user_folder "$locked/.local"
user_folder "$locked/.local/share"
chmod 555 "$locked/.local/share"
start_installed "$locked"
if "${as_user[@]}" test -w "$locked/.local/share"; then
  note "this user may write a read-only folder: the error box is left out"
elif poll 20 focused Orvenna; then
  grep -qF "Cannot create folder \"$locked/.local/share/orvenna/\". Permission denied" "$work/orvenna.log" ||
    { fail "the error box's words are not the folder and the reason"; cat "$work/orvenna.log"; }
  [ -z "${E2E_SHOTS:-}" ] || import -window root "$E2E_SHOTS/start-error-box.png" 2>/dev/null
  xdotool key Return
  if poll 10 focused Notice; then
    press_notice_ok
  else
    fail "no notice after the error box"
  fi
  calendar_shown() { [ -n "$(calendar_window)" ]; }
  poll 15 calendar_shown || fail "the calendar did not come after the error box"
  boxes=$(xdotool search --all --onlyvisible --pid "$program_pid" --name '^Orvenna$' 2>/dev/null | wc -l)
  [ "$boxes" -eq 1 ] || fail "$boxes windows named Orvenna where the calendar alone should be"
else
  fail "no error box for a folder that cannot be made"; cat "$work/orvenna.log"
fi
end_program

[ "$failures" -eq 0 ] && echo "PASS: the package installs, and the installed program keeps its files in the user's folder" && exit 0
cat "$work/orvenna.log" 2>/dev/null
exit 1
