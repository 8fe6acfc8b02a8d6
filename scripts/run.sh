#!/usr/bin/env bash
# Installs what is needed, builds, and shows a first start of the program on a desktop without
# needing one: a virtual X session (scripts/xsession.sh) with a window manager and a tray host,
# a generated wallpaper, and a notes file with a few notes in the current month (their days
# underlined). The steps are scripts/demo.sh's: the first-run notice is kept as a screenshot and
# answered with OK, then the calendar is kept as a screenshot and the program ends through its
# own "E&xit". The screenshots go to build/screenshots/ (notice.png and orvenna.png).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORVENNA_BUILD_DIR:-$root/build}

"$root/scripts/setup.sh"
"$root/scripts/build.sh"

demo="$build/demo"
shots="$build/screenshots"
"$root/scripts/demo.sh" prepare "$build/bin" "$demo"
"$root/scripts/xsession.sh" --tray --size 1280x800 -- "$root/scripts/demo.sh" show "$demo" "$shots"
echo "The screenshot of the first-run notice is $shots/notice.png"
echo "The screenshot of the calendar on the desktop is $shots/orvenna.png"
