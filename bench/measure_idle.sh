#!/usr/bin/env bash
# The real program at rest on a large desktop: CPU time, thread wake-ups (voluntary context
# switches of every thread) and memory over a quiet spell, with a wallpaper of the screen's size.
#
#   bench/measure_idle.sh [BUILD_DIR] [SECONDS] [WxH]
#
# Runs itself inside scripts/xsession.sh with a tray host; prints one line per figure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [ "${1:-}" = "--inside" ]; then
  bin=$2 spell=$3 size=$4
  work=$(mktemp -d)
  trap 'kill $program $painter 2>/dev/null || true; rm -rf "$work"' EXIT
  cp -r "$bin/orvenna" "$bin/images" "$work/"
  printf '1\r\n' >"$work/firstrun.dat"   # not a first run: no notice to answer
  convert -seed 3 -size "$size" gradient:'#1d3a6b-#d08a3c' -attenuate 0.5 +noise Gaussian \
    -type TrueColor "PNG24:$work/wall.png"
  gsettings set org.gnome.desktop.background picture-uri "file://$work/wall.png"
  gsettings set org.gnome.desktop.background picture-options stretched
  display -window root "$work/wall.png" &
  painter=$!
  "$work/orvenna" &
  program=$!
  deadline=$((SECONDS + 30))
  until [ -s "$work/bk.bmp" ] && xdotool search --onlyvisible --pid "$program" --name '^Orvenna$' >/dev/null; do
    [ "$SECONDS" -lt "$deadline" ] || { echo "the calendar did not appear" >&2; exit 1; }
    sleep 0.1
  done
  sleep 2   # let start-up's last paints pass before the quiet spell
  ticks() { awk '{ print $14 + $15 }' "/proc/$program/stat"; }
  switches() { cat /proc/"$program"/task/*/status | awk '/^voluntary_ctxt_switches/ { n += $2 } END { print n }'; }
  per_thread() {
    for task in /proc/"$program"/task/*; do
      printf '%s:%s ' "$(cat "$task/comm")" "$(awk '/^voluntary_ctxt_switches/ { print $2 }' "$task/status")"
    done
  }
  t0=$(ticks) s0=$(switches) p0=$(per_thread)
  sleep "$spell"
  t1=$(ticks) s1=$(switches) p1=$(per_thread)
  hz=$(getconf CLK_TCK)
  awk -v t=$((t1 - t0)) -v hz="$hz" -v s="$spell" \
    'BEGIN { printf "idle CPU: %d ticks (%.3f s) in %d s = %.3f %%\n", t, t / hz, s, 100 * t / hz / s }'
  echo "wake-ups (voluntary context switches, all threads): $((s1 - s0)) in $spell s"
  echo "  per thread before: $p0"
  echo "  per thread after:  $p1"
  grep -E '^(VmRSS|VmHWM)' "/proc/$program/status" | sed 's/^/memory: /'
  exit 0
fi

build=${1:-${ORVENNA_BUILD_DIR:-$root/build}}
"$root/scripts/xsession.sh" --tray --size "${3:-3840x2160}" -- \
  "$0" --inside "$build/bin" "${2:-20}" "${3:-3840x2160}"
