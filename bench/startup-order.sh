#!/usr/bin/env bash
# Writes app/startup-order.txt: the functions of the program that a start runs. The linker lays
# them out side by side (app/CMakeLists.txt), so the pages the kernel maps around each first
# touch of the program's code hold start-up code, not code that most runs never reach.
#
#   bench/startup-order.sh [BUILD_DIR]
#
# Needs valgrind. Starts the program under callgrind, inside scripts/xsession.sh with a tray on a
# 3840 x 2160 screen with a JPEG wallpaper of that size: a warm start with XFCE's wallpaper
# channel, a warm start with GNOME's keys and a cold start (no composition kept). The list is
# the union of the functions each ran, in the order callgrind names them. Run it again when a
# start does much that it did not do before: a stale list costs memory, never behaviour.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [ "${1:-}" = "--inside" ]; then
  bin=$2 out=$3
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  cp -r "$bin/orvenna" "$bin/images" "$bin/../lib/orvenna/orvenna-calendar.so" "$work/"
  printf '1\r\n' >"$work/firstrun.dat"   # not a first run: no notice to answer
  convert -seed 3 -size 3840x2160 gradient:'#1d3a6b-#d08a3c' -attenuate 0.5 +noise Gaussian \
    -quality 90 "$work/wall.jpg"
  . "$root/bench/wallpaper-keys.sh"
  xfce_wallpaper "$work/wall.jpg"
  gnome_wallpaper "$work/wall.jpg"

  # One start under callgrind, its counts dumped once the calendar had time to show and settle.
  traced() {
    local name=$1 pid
    valgrind --tool=callgrind --demangle=no --callgrind-out-file="$work/$name.%p" \
      "$work/orvenna" 2>/dev/null &
    pid=$!
    sleep 45
    callgrind_control --dump "$pid" >/dev/null
    sleep 2
    kill -KILL "$pid"; wait "$pid" 2>/dev/null || true
  }
  # A start outside callgrind first keeps the composition that the warm start takes.
  native() {
    "$work/orvenna" 2>/dev/null &
    local pid=$!
    sleep 4
    kill "$pid"; wait "$pid" 2>/dev/null || true
  }
  export ORVENNA_BENCH_NO_SPLASH_HOLD=1
  XDG_CURRENT_DESKTOP=XFCE native
  XDG_CURRENT_DESKTOP=XFCE traced xfce
  (unset XDG_CURRENT_DESKTOP; native; traced gnome)
  rm -f "$work/bk.bmp" "$work/bk.key"
  (unset XDG_CURRENT_DESKTOP; traced cold)

  python3 - "$work" "$out" <<'EOF'
import glob, re, sys
work, out = sys.argv[1], sys.argv[2]
names, seen = [], set()
for path in sorted(glob.glob(f"{work}/*.*.1")):   # the dumps, not the counts at the kill
    objects, functions, current = {}, {}, None
    for line in open(path, errors="replace"):
        match = re.match(r"^(c?ob|c?fn)=\((\d+)\)(?: (.*))?$", line.rstrip("\n"))
        if not match:
            continue
        kind, key, name = match.groups()
        table = objects if kind.endswith("ob") else functions
        if name:
            table[key] = name
        if kind == "ob":
            current = objects[key]
        elif kind == "fn" and current == f"{work}/orvenna":
            name = functions[key].split("'")[0]   # callgrind marks a recursion as name'2
            if not name.startswith("0x") and " " not in name and name not in seen:
                seen.add(name)
                names.append(name)
if len(names) < 100:
    sys.exit(f"only {len(names)} functions traced: did the program start?")
with open(out, "w") as file:
    file.write("".join(name + "\n" for name in names))
print(f"{len(names)} functions written to {out}")
EOF
  exit 0
fi

command -v valgrind >/dev/null || { echo "needs valgrind (apt-get install valgrind)" >&2; exit 2; }
build=${1:-${ORVENNA_BUILD_DIR:-$root/build}}
"$root/scripts/xsession.sh" --tray --size 3840x2160 -- "$0" --inside "$build/bin" "$root/app/startup-order.txt"
