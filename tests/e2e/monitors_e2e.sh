#!/usr/bin/env bash
# The calendar on two monitors side by side: the real program on Xorg's dummy driver with
# DUMMY0 and DUMMY1 (run it inside scripts/xsession.sh --monitors). It checks that
#   - dragged onto the second monitor and across the boundary, the calendar looks painted on the
#     desktop as GNOME draws it: a zoomed and a centred picture placed on each monitor by its own
#     size, and a spanned one over both;
#   - the same with XFCE's backdrops, a picture of its own on each monitor;
#   - unplugging DUMMY1 (xrandr --output DUMMY1 --off) brings it onto DUMMY0, plugging DUMMY1
#     back returns it to its place there; "Setting.cfg" still reads and holds the place, the
#     monitor is remembered beside it.
# With E2E_SHOTS set to a folder, the screenshots taken on the way are kept there.
#
#   monitors_e2e.sh BIN_DIR NOTES_TOOL
set -uo pipefail

bin_dir=$1
notes_tool=$2
[ -n "${DISPLAY:-}" ] || { echo "FAIL: no DISPLAY (run inside scripts/xsession.sh --monitors)"; exit 1; }
[ "$(xrandr --listmonitors | head -1)" = "Monitors: 2" ] || { echo "FAIL: not two monitors"; exit 1; }

source "$(dirname "${BASH_SOURCE[0]}")/e2e_common.sh"
prepare_program_folder monitors
trap 'stop_root_painter; cleanup' EXIT

output_geometry() { xrandr | grep "^$1 connected" | grep -o '[0-9]*x[0-9]*+[0-9]*+[0-9]*'; }
IFS='x+' read -r mon_w mon_h _ _ < <(output_geometry DUMMY0)
[ "$(output_geometry DUMMY1)" = "${mon_w}x${mon_h}+${mon_w}+0" ] ||
  { echo "FAIL: DUMMY1 is not right of DUMMY0"; exit 1; }
desk_w=$((mon_w * 2))
desktop_colour='#204060'
schema=org.gnome.desktop.background

# Shapes on a gradient, a little wider than a monitor: a piece placed by the whole desktop's
# size, or by the other monitor's corner, differs in most of its pixels.
wall="$work/wall.png"
convert -size 1100x700 gradient:'#d9c27a-#3a1f5c' \
  -fill '#2f9e5a' -draw 'circle 900,500 900,640' -fill '#b8325a' -draw 'rectangle 700,300 820,660' \
  -fill '#e6d84a' -draw 'polygon 600,690 880,330 1090,600' -fill '#4a8fd0' -draw 'circle 300,250 300,400' \
  -type TrueColor -depth 8 "PNG24:$wall" || { echo "FAIL: cannot make the wallpaper"; exit 1; }
tile="$work/tile.png"
convert -size 300x200 gradient:'#f0a030-#203080' -fill '#e03030' -draw 'circle 60,60 60,100' \
  -type TrueColor -depth 8 "PNG24:$tile"

# The desktop as the desktop draws it on both monitors, into $work/desktop-NAME.png.
one_monitor() {  # how one monitor shows the picture $2 with placement $1, into $3
  case $1 in
    zoom) convert "$2" -resize "${mon_w}x${mon_h}^" -gravity center -extent "${mon_w}x${mon_h}" "$3" ;;
    centered) convert -size "${mon_w}x${mon_h}" xc:"$desktop_colour" "$2" -gravity center -composite "$3" ;;
    tiled) convert -size "${mon_w}x${mon_h}" tile:"$2" "$3" ;;
  esac
}
desktop_picture() {  # NAME LEFT-PLACEMENT LEFT-PICTURE RIGHT-PLACEMENT RIGHT-PICTURE, or NAME spanned
  local out="$work/desktop-$1.png"
  if [ "$2" = spanned ]; then
    convert "$wall" -resize "${desk_w}x${mon_h}!" -type TrueColor "PNG24:$out"
  else
    one_monitor "$2" "$3" "$work/left.png" && one_monitor "$4" "$5" "$work/right.png" &&
      convert "$work/left.png" "$work/right.png" +append -type TrueColor "PNG24:$out"
  fi
  echo "$out"
}

calendar_geometry() {
  local id
  id=$(calendar_window)
  [ -n "$id" ] || return 1
  eval "$(xdotool getwindowgeometry --shell "$id")"
  win_x=$X win_y=$Y
}
screen_width() { xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[1] }'; }
# Painted on the desktop picture $1: around the window the screen equals the picture except for
# the text (the fuzz allows for another scaling filter of a scaled picture).
painted_on() {
  local picture=$1 fuzz=$2 width x y w h
  calendar_geometry || return 1
  width=$(screen_width)
  x=$((win_x > 20 ? win_x - 20 : 0)); y=$((win_y > 20 ? win_y - 20 : 0))
  w=$((win_x + 316 < width ? win_x + 316 - x : width - x))
  h=$((win_y + 236 < mon_h ? win_y + 236 - y : mon_h - y))
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$work/shot-region.png" 2>/dev/null || return 1
  convert "$picture" -crop "${w}x${h}+${x}+${y}" +repage "$work/desktop-region.png"
  last_diff=$(compare -fuzz "$fuzz" -metric AE "$work/shot-region.png" "$work/desktop-region.png" null: 2>&1 |
    awk '{ printf "%d", $1 }')
  [ "$last_diff" -gt 300 ] && [ "$last_diff" -lt $((296 * 216 / 8)) ]
}
check_painted() {  # PICTURE FUZZ WHAT
  if poll 10 painted_on "$1" "$2"; then
    note "$3: at $win_x,$win_y, $last_diff pixels apart from the desktop (the text)"
  else
    fail "$3: the calendar at ${win_x:-?},${win_y:-?} is not painted on the desktop (${last_diff:-?} pixels apart)"
  fi
}
shoot() { import -window root "$work/$1.png" 2>/dev/null; [ -z "${E2E_SHOTS:-}" ] || cp "$work/$1.png" "$E2E_SHOTS/"; }

# Drags the calendar by its title until its corner is at $1,$2.
at_place() { calendar_geometry && [ "$win_x" -eq "$1" ] && [ "$win_y" -eq "$2" ]; }
drag_to() {
  local sx=$((win_x + 60)) sy=$((win_y + 10)) tx=$(($1 + 60)) ty=$(($2 + 10)) i
  xdotool mousemove "$sx" "$sy" mousedown 1
  for i in 1 2 3 4 5 6 7 8 9 10; do
    xdotool mousemove $((sx + (tx - sx) * i / 10)) $((sy + (ty - sy) * i / 10))
    sleep 0.03
  done
  xdotool mouseup 1
  poll 5 at_place "$1" "$2" || fail "the calendar went to ${win_x:-?},${win_y:-?}, not to $1,$2"
}

stored_place() {
  read_stored_position || return 1
  [ "$left" = "$1" ] && [ "$top" = "$2" ]
}

echo '{"CanMoved": true}' | "$notes_tool" settings-build "$folder/Setting.cfg" >/dev/null ||
  { echo "FAIL: cannot write the settings"; exit 1; }
gsettings set $schema primary-color "$desktop_colour"
gsettings set $schema picture-options zoom
gsettings set $schema picture-uri "file://$wall"

# ---- GNOME: zoomed on each monitor ----------------------------------------------------------------
desktop=$(desktop_picture zoom zoom "$wall" zoom "$wall")
paint_root "$desktop"
poll 10 root_shows "$desktop" || fail "the root window does not show the desktop"
start_calendar
check_painted "$desktop" 12% "zoom, first monitor"
on_second=$((mon_w + 276))
drag_to "$on_second" 200
check_painted "$desktop" 12% "zoom, second monitor"
across=$((mon_w - 144))
drag_to "$across" 300
check_painted "$desktop" 12% "zoom, across the boundary"
shoot two-monitors-zoom

# ---- GNOME: centred on each monitor, then spanned over both ----------------------------------------
gsettings set $schema picture-options centered
desktop=$(desktop_picture centred centered "$wall" centered "$wall")
paint_root "$desktop"
check_painted "$desktop" 0 "centred, across the boundary"
shoot two-monitors-centred
drag_to "$on_second" 200
check_painted "$desktop" 0 "centred, second monitor"

gsettings set $schema picture-options spanned
desktop=$(desktop_picture spanned spanned)
paint_root "$desktop"
check_painted "$desktop" 12% "spanned, second monitor"
drag_to "$across" 300
check_painted "$desktop" 12% "spanned, across the boundary"
shoot two-monitors-spanned

# ---- DUMMY1 unplugged and plugged back ---------------------------------------------------------------
drag_to "$on_second" 200
xrandr --output DUMMY1 --off
on_first() { calendar_geometry && [ "$win_x" -ge 0 ] && [ $((win_x + 296)) -le "$mon_w" ]; }
if poll 10 on_first; then
  note "DUMMY1 unplugged: the calendar at $win_x,$win_y"
  poll 5 stored_place "$win_x" "$win_y" || fail "Setting.cfg holds ${left:-?},${top:-?}, not the calendar's $win_x,$win_y"
else
  fail "with DUMMY1 unplugged the calendar stays at ${win_x:-?},${win_y:-?}"
fi
# Composed again for the one monitor left, over which the picture now spans.
convert "$wall" -resize "${mon_w}x${mon_h}!" -type TrueColor "PNG24:$work/desktop-one.png"
paint_root "$work/desktop-one.png"
check_painted "$work/desktop-one.png" 12% "spanned over the one monitor left"
shoot unplugged
xrandr --output DUMMY1 --mode "$ORVENNA_MONITOR_MODE" --pos "${mon_w}x0"
if poll 10 at_place "$on_second" 200; then
  poll 5 stored_place "$on_second" 200 || fail "Setting.cfg holds ${left:-?},${top:-?} after DUMMY1 came back"
else
  fail "DUMMY1 plugged back: the calendar stays at ${win_x:-?},${win_y:-?}, not $on_second,200"
fi
paint_root "$desktop"
check_painted "$desktop" 12% "spanned, back on the second monitor"
shoot plugged-back
exit_by_menu
if [ -z "$program_pid" ]; then
  stored_place "$on_second" 200 || fail "at exit Setting.cfg holds ${left:-?},${top:-?}, not $on_second,200"
  grep -q '"CanMoved": true' <<<"$settings" || fail "Setting.cfg lost the other settings"
  ! grep -q DUMMY1 "$folder/Setting.cfg" || fail "the monitor's name went into Setting.cfg"
  grep -qx 'Output=DUMMY1' "$folder/Monitor.dat" || fail "Monitor.dat does not remember DUMMY1"
fi

# ---- XFCE: a picture of its own on each monitor ------------------------------------------------------
xfce_backdrop() {  # MONITOR IMAGE STYLE
  cat <<EOF
      <property name="monitor$1" type="empty">
        <property name="workspace0" type="empty">
          <property name="color-style" type="int" value="0"/>
          <property name="image-style" type="int" value="$3"/>
          <property name="last-image" type="string" value="$2"/>
          <property name="rgba1" type="array">
            <value type="double" value="0.125"/><value type="double" value="0.25"/>
            <value type="double" value="0.375"/><value type="double" value="1"/>
          </property>
        </property>
      </property>
EOF
}
channel="$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml/xfce4-desktop.xml"
mkdir -p "$(dirname "$channel")"
{
  printf '<?xml version="1.0" encoding="UTF-8"?>\n<channel name="xfce4-desktop" version="1.0">\n'
  printf '  <property name="backdrop" type="empty">\n    <property name="screen0" type="empty">\n'
  xfce_backdrop DUMMY0 "$wall" 1
  xfce_backdrop DUMMY1 "$tile" 2
  printf '    </property>\n  </property>\n</channel>\n'
} >"$channel"
export XDG_CURRENT_DESKTOP=XFCE
desktop_colour='#204060'  # rgba1 above
desktop=$(desktop_picture xfce centered "$wall" tiled "$tile")
paint_root "$desktop"
poll 10 root_shows "$desktop" || fail "the root window does not show the XFCE desktop"
start_calendar
[ "$win_x" -eq "$on_second" ] && [ "$win_y" -eq 200 ] || fail "the next start put the calendar at $win_x,$win_y"
check_painted "$desktop" 0 "XFCE, second monitor (tiled)"
drag_to "$across" 300
check_painted "$desktop" 0 "XFCE, across the boundary (centred and tiled)"
shoot two-monitors-xfce
click_x=""  # the menu opens from this start's place
exit_by_menu

[ "$failures" -eq 0 ] && echo "PASS: the calendar on two monitors" && exit 0
cat "$work/orvenna.log"
exit 1
