#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: the unit and window tests (among them
# translations_current, which runs lupdate and fails when translations/*.ts are out of date with
# the code), the end-to-end tests under a virtual X server, each fuzz target for a bounded number
# of runs, and the unit and window tests once more built with AddressSanitizer and
# UndefinedBehaviorSanitizer (in build-asan/, or $ORVENNA_ASAN_BUILD_DIR; ORVENNA_ASAN=0 leaves
# that run out).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
build=${ORVENNA_BUILD_DIR:-$root/build}

runtime=$(mktemp -d)
chmod 700 "$runtime"
export XDG_RUNTIME_DIR=$runtime
trap 'rm -rf "$runtime"' EXIT

status=0
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" || status=1
"$root/scripts/fuzz.sh" || status=1

if [ "${ORVENNA_ASAN:-1}" != 0 ]; then
  asan=${ORVENNA_ASAN_BUILD_DIR:-$root/build-asan}
  launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S "$root" -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DORVENNA_SANITIZE=address,undefined -DORVENNA_BENCH=OFF "${launcher[@]}" >/dev/null
  # The test programs only: the program and the X11 sessions are covered by the run above.
  cmake --build "$asan" -j "$(nproc)" --target orvenna_unit_tests
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1 \
  LSAN_OPTIONS=suppressions=$root/scripts/lsan.supp:print_suppressions=0 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$asan" -L unit --output-on-failure -j "$(nproc)" || status=1
fi
exit $status
