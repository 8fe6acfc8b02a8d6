#!/usr/bin/env bash
# The real program at rest on a large desktop: CPU time, thread wake-ups (voluntary context
# switches of every thread) and memory over a quiet spell, with a wallpaper of the screen's size;
# first the same figures of the floor program (bench/floor.cpp), a bare Qt window and tray icon.
#
#   bench/measure_idle.sh [BUILD_DIR] [SECONDS] [WxH]
#
# Runs itself inside scripts/xsession.sh with a tray host; prints one line per figure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [ "${1:-}" = "--inside" ]; then
  bin=$2 spell=$3 size=$4 floor=$5
  work=$(mktemp -d)
  program=""
  trap 'kill $program $painter 2>/dev/null || true; wait 2>/dev/null; rm -rf "$work"' EXIT
  cp -r "$bin/orvenna" "$bin/images" "$bin/../lib/orvenna/orvenna-calendar.so" "$work/"
  printf '1\r\n' >"$work/firstrun.dat"   # not a first run: no notice to answer
  convert -seed 3 -size "$size" gradient:'#1d3a6b-#d08a3c' -attenuate 0.5 +noise Gaussian \
    -type TrueColor "PNG24:$work/wall.png"
  . "$root/bench/wallpaper-keys.sh"
  gnome_wallpaper "$work/wall.png"
  display -window root "$work/wall.png" &
  painter=$!
  ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
  switches() { cat /proc/"$1"/task/*/status | awk '/^voluntary_ctxt_switches/ { n += $2 } END { print n }'; }
  per_thread() {
    for task in /proc/"$1"/task/*; do
      printf '%s:%s ' "$(cat "$task/comm")" "$(awk '/^voluntary_ctxt_switches/ { print $2 }' "$task/status")"
    done
  }
  # The figures of one process over the quiet spell, each line led by its label.
  quiet_spell() {
    local label=$1 pid=$2 t0 s0 p0 t1 s1 p1 hz
    sleep 2   # let start-up's last paints pass before the quiet spell
    t0=$(ticks "$pid") s0=$(switches "$pid") p0=$(per_thread "$pid")
    sleep "$spell"
    t1=$(ticks "$pid") s1=$(switches "$pid") p1=$(per_thread "$pid")
    hz=$(getconf CLK_TCK)
    awk -v l="$label" -v t=$((t1 - t0)) -v hz="$hz" -v s="$spell" \
      'BEGIN { printf "%s idle CPU: %d ticks (%.3f s) in %d s = %.3f %%\n", l, t, t / hz, s, 100 * t / hz / s }'
    echo "$label wake-ups (voluntary context switches, all threads): $((s1 - s0)) in $spell s"
    echo "  per thread before: $p0"
    echo "  per thread after:  $p1"
    grep -E '^(VmRSS|VmHWM)' "/proc/$pid/status" | sed "s/^/$label memory: /"
  }
  # The floor program first, the same way: what a bare Qt window and a tray icon cost at rest.
  "$floor" &
  program=$!
  deadline=$((SECONDS + 30))
  until xdotool search --onlyvisible --pid "$program" --class . >/dev/null; do
    [ "$SECONDS" -lt "$deadline" ] || { echo "the floor program did not appear" >&2; exit 1; }
    sleep 0.1
  done
  quiet_spell floor "$program"
  kill "$program"
  wait "$program" 2>/dev/null || true
  "$work/orvenna" &
  program=$!
  deadline=$((SECONDS + 30))
  until [ -s "$work/bk.bmp" ] && xdotool search --onlyvisible --pid "$program" --name '^Orvenna$' >/dev/null; do
    [ "$SECONDS" -lt "$deadline" ] || { echo "the calendar did not appear" >&2; exit 1; }
    sleep 0.1
  done
  quiet_spell program "$program"
  exit 0
fi

build=${1:-${ORVENNA_BUILD_DIR:-$root/build}}
"$root/scripts/xsession.sh" --tray --size "${3:-3840x2160}" -- \
  "$0" --inside "$build/bin" "${2:-20}" "${3:-3840x2160}" "$build/bench/bench_floor"
