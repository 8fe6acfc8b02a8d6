#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each briefly on its seed corpus.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORVENNA_FUZZ_BUILD_DIR:-$root/build-fuzz}
runs=${ORVENNA_FUZZ_RUNS:-20000}
# Each target stops after its runs or these seconds, whichever comes first (the iCalendar
# import spends most of a run in libical's time-zone expansion).
seconds=${ORVENNA_FUZZ_SECONDS:-180}
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DORVENNA_FUZZ=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"
passed=0; failed=0
for target in "$build"/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="$root/fuzz/corpus/${name#fuzz_}"
  work=$(mktemp -d)
  [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/
  if "$target" -runs="$runs" -max_total_time="$seconds" -max_len=65536 "$work" >"$build/$name.log" 2>&1; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1)); tail -40 "$build/$name.log"
  fi
  rm -rf "$work"
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
