#!/usr/bin/env bash
# Installs what is needed, builds, and runs the program's main job. Until the calendar window
# exists, that is the companion tool on a demonstration notes file: it builds the file from
# tools/demo-notes.json, then shows the store and today's due reminders.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
build=${ORVENNA_BUILD_DIR:-$root/build}
tool="$build/bin/orvenna-notes"
demo="$build/demo/2004.cal"
mkdir -p "$(dirname "$demo")"

"$tool" build "$demo" < "$root/tools/demo-notes.json"
echo "== orvenna-notes dump $demo"
"$tool" dump "$demo"
today=$(date +%Y-%m-%d)
echo "== orvenna-notes due $demo $today"
"$tool" due "$demo" "$today"
echo "The demonstration notes file is $demo"
