#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: the unit and window tests, the
# end-to-end tests under a virtual X server, and each fuzz target for a bounded number of runs.
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
exit $status
