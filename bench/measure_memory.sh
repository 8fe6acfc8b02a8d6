#!/usr/bin/env bash
# The real program's memory with a 3840 x 2160 JPEG wallpaper: resident after start, the peak
# (VmHWM) of the start-up composition, then resident and peak after 100 month changes (from
# the title's menu) and after 20 wallpaper changes (gsettings), so that growth shows.
#
#   bench/measure_memory.sh [BUILD_DIR] [WxH]
#
# Runs itself inside scripts/xsession.sh with a tray host; prints one line per figure, in kB.
# Targets: resident < 40 MB, peak < 60 MB, no growth across the changes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [ "${1:-}" = "--inside" ]; then
  bin=$2 size=$3
  work=$(mktemp -d)
  program_pid=""
  trap '[ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null; rm -rf "$work"' EXIT
  folder="$work"
  failures=0
  # shellcheck source=../tests/e2e/e2e_common.sh
  . "$root/tests/e2e/e2e_common.sh"
  note() { :; }  # the menu often opens at the second click; not worth a line each time
  cp -r "$bin/orvenna" "$bin/images" "$bin/../lib/orvenna/orvenna-calendar.so" "$work/"
  for seed in 1 2; do
    convert -seed "$seed" -size "$size" gradient:"#1d3a6b-#d0${seed}a3c" -attenuate 0.5 \
      +noise Gaussian -quality 90 "$work/wall$seed.jpg"
  done
  gsettings set org.gnome.desktop.background picture-options stretched
  gsettings set org.gnome.desktop.background picture-uri "file://$work/wall1.jpg"
  start_calendar
  program=$program_pid

  figure() {  # label: VmRSS and VmHWM now
    awk -v label="$1" '/^VmRSS/ { r = $2 } /^VmHWM/ { h = $2 }
      END { printf "%-34s resident %7d kB   peak %7d kB\n", label, r, h }' "/proc/$program/status"
  }
  stamp() { date -r "$work/bk.bmp" +%s%N; }
  digest() { md5sum <"$work/bk.bmp"; }
  settled() { local a; a=$(stamp); sleep 0.3; [ "$a" = "$(stamp)" ]; }

  poll 10 settled
  figure "after start"
  for i in $(seq 1 100); do
    before=$(stamp)
    open_menu || { echo "the menu did not open at month change $i" >&2; exit 1; }
    xdotool key Down Down Return
    changed() { [ "$(stamp)" != "$before" ]; }
    poll 5 changed || { echo "month change $i did not refresh the calendar" >&2; exit 1; }
    [ $((i % 25)) -ne 0 ] || figure "after $i month changes"
  done
  for i in $(seq 1 20); do
    before=$(digest)
    gsettings set org.gnome.desktop.background picture-uri "file://$work/wall$((i % 2 + 1)).jpg"
    recomposed() { [ "$(digest)" != "$before" ]; }
    poll 10 recomposed || { echo "wallpaper change $i did not reach the calendar" >&2; exit 1; }
    poll 10 settled
    [ $((i % 5)) -ne 0 ] || figure "after $i wallpaper changes"
  done
  exit 0
fi

build=${1:-${ORVENNA_BUILD_DIR:-$root/build}}
size=${2:-3840x2160}
"$root/scripts/xsession.sh" --tray --size "$size" -- "$0" --inside "$build/bin" "$size"
