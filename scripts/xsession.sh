#!/usr/bin/env bash
# Runs one command inside a private X session: a virtual X server, the openbox window manager
# and, on request, a tray host and a sound server with a null sink.
#
#   scripts/xsession.sh [--tray] [--sound] [--size WxH] [--monitors] -- COMMAND...
#
# --monitors gives two monitors of --size side by side, DUMMY0 (primary) and DUMMY1 right of it:
# Xorg with the dummy video driver (scripts/xorg-dummy-monitors.conf) instead of Xvfb, which
# has one output. Xorg takes a configuration file from any folder only when run as root: as
# another user, or without Xorg's dummy driver, the session is not started and the exit status
# is 77 (a skipped test to CTest). The command sees the mode's name in ORVENNA_MONITOR_MODE,
# for plugging DUMMY1 back in after `xrandr --output DUMMY1 --off`.
#
# The command sees DISPLAY, a private XDG_RUNTIME_DIR (mode 0700) and GSettings on the keyfile
# backend in a temporary XDG_CONFIG_HOME (a caller's own XDG_CONFIG_HOME or GSETTINGS_BACKEND
# is kept). Each session takes a display number of its own at random. At the
# end only the processes started here are stopped, by process id; the exit status is the
# command's, or 125 when the session could not be set up.
set -euo pipefail

usage() { echo "usage: $0 [--tray] [--sound] [--size WxH] [--monitors] -- COMMAND..." >&2; exit 125; }

tray=0 sound=0 size=1280x800 monitors=0
while [ $# -gt 0 ]; do
  case "$1" in
    --tray) tray=1 ;;
    --sound) sound=1 ;;
    --monitors) monitors=1 ;;
    --size) [ $# -ge 2 ] || usage; size=$2; shift ;;
    --) shift; break ;;
    *) usage ;;
  esac
  shift
done
[ $# -gt 0 ] || usage
[[ "$size" =~ ^[0-9]+x[0-9]+$ ]] || usage
if [ "$monitors" -eq 1 ]; then
  if [ "$(id -u)" -ne 0 ] || ! command -v Xorg >/dev/null ||
    ! ls /usr/lib/xorg/modules/drivers/dummy_drv.so >/dev/null 2>&1; then
    echo "xsession: two monitors need Xorg's dummy driver and root (packages xserver-xorg-core, xserver-xorg-video-dummy); skipped" >&2
    exit 77
  fi
fi

root=$(cd "$(dirname "$0")/.." && pwd)
tmp=$(mktemp -d "${TMPDIR:-/tmp}/orvenna-xsession.XXXXXX")
chmod 700 "$tmp"
pids=()

# Stops what this script started, last first, by process id.
stop_started() {
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  pids=()
}

cleanup() {
  stop_started
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

fail() { echo "xsession: $*" >&2; for log in "$tmp"/*.log; do [ -s "$log" ] && tail -5 "$log" >&2; done; exit 125; }

# Polls a condition (a shell command) every 50 ms until it holds or the deadline in seconds
# passes; also gives up when the process to watch has died.
wait_for() {
  local seconds=$1 watched=$2; shift 2
  local deadline=$((SECONDS + seconds))
  until "$@" >/dev/null 2>&1; do
    kill -0 "$watched" 2>/dev/null || return 1
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

# ---- the session: X server, window manager, tray host, sound server -------------------------
# A server that shuts down while another starts can take the new one's socket with it, so a
# session that does not come up whole is torn down and started again, four times at most.
display_ready() { xprop -root _NET_SUPPORTED >/dev/null 2>&1 || xdpyinfo >/dev/null 2>&1; }
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }

strut_applied() {
  local area
  area=$(xprop -root _NET_WORKAREA) || return 1
  area=${area#*= }
  IFS=', ' read -r _ _ _ height _ <<<"$area"
  [ -n "$height" ] && [ "$height" -lt "${size#*x}" ]
}

# DUMMY0 and DUMMY1 side by side, each of $size, with a mode made for it (the dummy outputs
# accept any timing within the configuration's ranges).
export ORVENNA_MONITOR_MODE="orvenna-$size"
two_monitors() {
  local w=${size%x*} h=${size#*x} mode=$ORVENNA_MONITOR_MODE
  xrandr --newmode "$mode" 10 "$w" $((w + 6)) $((w + 16)) $((w + 26)) "$h" $((h + 3)) $((h + 8)) $((h + 18)) &&
    xrandr --addmode DUMMY0 "$mode" && xrandr --addmode DUMMY1 "$mode" &&
    xrandr --output DUMMY0 --mode "$mode" --pos 0x0 --primary --output DUMMY1 --mode "$mode" --pos "${w}x0" &&
    [ "$(xrandr --listmonitors | head -1)" = "Monitors: 2" ]
}

# Starts every part; returns non-zero, with a reason in $why, when one does not come up.
start_session() {
  # A display number picked at random from a wide range, not the lowest free one: a server
  # that has just ended can still take its socket away from a new server of the same number,
  # and the lowest free number is the one that just ended. A number taken meanwhile by another
  # session makes this server end at once, and the session is started again.
  local number
  number=$((100 + RANDOM % 800))
  while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do
    number=$((100 + RANDOM % 800))
  done
  export DISPLAY=":$number"
  if [ "$monitors" -eq 1 ]; then
    Xorg ":$number" -config "$root/scripts/xorg-dummy-monitors.conf" -noreset -nolisten tcp \
      -logfile "$tmp/xorg.log" >"$tmp/xorg-out.log" 2>&1 &
    pids+=($!)
    wait_for 20 "${pids[0]}" display_ready || { why="Xorg did not start on $DISPLAY"; return 1; }
    two_monitors || { why="xrandr did not set up two monitors"; return 1; }
  else
    Xvfb ":$number" -screen 0 "${size}x24" -nolisten tcp >"$tmp/xvfb.log" 2>&1 &
    pids+=($!)
    wait_for 20 "${pids[0]}" display_ready || { why="Xvfb did not start on $DISPLAY"; return 1; }
  fi

  openbox --sm-disable >"$tmp/openbox.log" 2>&1 &
  pids+=($!)
  wait_for 20 "${pids[-1]}" wm_ready || { why="openbox did not start"; return 1; }

  if [ "$tray" -eq 1 ]; then
    trayer --edge bottom --align right --widthtype pixel --width 200 --height 28 \
      --transparent false --SetDockType true --SetPartialStrut true >"$tmp/trayer.log" 2>&1 &
    pids+=($!)
    wait_for 20 "${pids[-1]}" strut_applied || { why="trayer did not start"; return 1; }
  fi

  if [ "$sound" -eq 1 ]; then
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --disable-shm \
      -L "module-null-sink sink_name=nullsink" -L module-native-protocol-unix \
      >"$tmp/pulseaudio.log" 2>&1 &
    pids+=($!)
    wait_for 20 "${pids[-1]}" test -S "$XDG_RUNTIME_DIR/pulse/native" \
      || { why="pulseaudio did not start"; return 1; }
  fi
  # The whole session must still be there: the server can vanish under a late client.
  kill -0 "${pids[0]}" 2>/dev/null && display_ready && wm_ready ||
    { why="the session fell apart while starting"; return 1; }
}

# ---- session environment --------------------------------------------------------------------
export XDG_RUNTIME_DIR="$tmp/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
if [ -z "${XDG_CONFIG_HOME:-}" ]; then
  export XDG_CONFIG_HOME="$tmp/config"
  mkdir -m 700 "$XDG_CONFIG_HOME"
fi
export GSETTINGS_BACKEND=${GSETTINGS_BACKEND:-keyfile}
unset WAYLAND_DISPLAY

why=""
for attempt in 1 2 3 4 5; do
  start_session && break
  echo "xsession: $why (attempt $attempt)" >&2
  [ "$attempt" -lt 5 ] || fail "$why"
  stop_started
  rm -rf "$XDG_RUNTIME_DIR/pulse"
done

status=0
"$@" || status=$?
exit "$status"
